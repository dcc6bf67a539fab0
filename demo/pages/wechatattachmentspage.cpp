#include "wechatattachmentspage.h"

WeChatAttachmentsPage::WeChatAttachmentsPage(IUIPluginSetting* setting, const QString& workFolder)
    : DemoPhotoPage(setting, MMobile::MD_WECHAT_ATTACHMENT, workFolder)
{
}
