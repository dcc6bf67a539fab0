#ifndef MESSAGEATTACHMENTSPAGE_H
#define MESSAGEATTACHMENTSPAGE_H

#include "demophotopage.h"

// The page of the message attachments, in the photo grid.
class MessageAttachmentsPage : public DemoPhotoPage
{
    Q_OBJECT

public:
    MessageAttachmentsPage(IUIPluginSetting* setting, const QString& workFolder);
};

#endif // MESSAGEATTACHMENTSPAGE_H
