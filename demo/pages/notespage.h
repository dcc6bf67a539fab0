#ifndef NOTESPAGE_H
#define NOTESPAGE_H

#include "demotablepage.h"

// The page of the notes: the selected note's text in the detail pane.
class NotesPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit NotesPage(IUIPluginSetting* setting);

protected:
    QString DetailText(MMobile::IMDCommon* item, int sourceRow) const override;
};

#endif // NOTESPAGE_H
