#ifndef WHATSAPPATTACHMENTSPAGE_H
#define WHATSAPPATTACHMENTSPAGE_H

#include "demophotopage.h"

// The page of the WhatsApp attachments, in the photo grid.
class WhatsAppAttachmentsPage : public DemoPhotoPage
{
    Q_OBJECT

public:
    WhatsAppAttachmentsPage(IUIPluginSetting* setting, const QString& workFolder);
};

#endif // WHATSAPPATTACHMENTSPAGE_H
