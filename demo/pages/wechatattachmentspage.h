#ifndef WECHATATTACHMENTSPAGE_H
#define WECHATATTACHMENTSPAGE_H

#include "demophotopage.h"

// The page of the WeChat attachments, in the photo grid.
class WeChatAttachmentsPage : public DemoPhotoPage
{
    Q_OBJECT

public:
    WeChatAttachmentsPage(IUIPluginSetting* setting, const QString& workFolder);
};

#endif // WECHATATTACHMENTSPAGE_H
