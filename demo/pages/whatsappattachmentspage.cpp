#include "whatsappattachmentspage.h"

WhatsAppAttachmentsPage::WhatsAppAttachmentsPage(IUIPluginSetting* setting,
                                                 const QString& workFolder)
    : DemoPhotoPage(setting, MMobile::MD_WHATSAPP_ATTACHMENT, workFolder)
{
}
