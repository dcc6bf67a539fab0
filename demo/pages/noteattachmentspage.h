#ifndef NOTEATTACHMENTSPAGE_H
#define NOTEATTACHMENTSPAGE_H

#include "demophotopage.h"

// The page of the note attachments, in the photo grid.
class NoteAttachmentsPage : public DemoPhotoPage
{
    Q_OBJECT

public:
    NoteAttachmentsPage(IUIPluginSetting* setting, const QString& workFolder);
};

#endif // NOTEATTACHMENTSPAGE_H
