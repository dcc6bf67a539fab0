#include "noteattachmentspage.h"

NoteAttachmentsPage::NoteAttachmentsPage(IUIPluginSetting* setting, const QString& workFolder)
    : DemoPhotoPage(setting, MMobile::MD_NOTE_ATTACHMENT, workFolder)
{
}
