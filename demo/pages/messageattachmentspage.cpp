#include "messageattachmentspage.h"

MessageAttachmentsPage::MessageAttachmentsPage(IUIPluginSetting* setting, const QString& workFolder)
    : DemoPhotoPage(setting, MMobile::MD_MESSAGE_ATTACHMENT, workFolder)
{
}
