#include "notespage.h"

#include "detailformatter.h"

#include "contracts/imdcommon.h"
#include "contracts/inote.h"

NotesPage::NotesPage(IUIPluginSetting* setting) : DemoTablePage(setting, MMobile::MD_NOTE) {}

QString NotesPage::DetailText(MMobile::IMDCommon* item, int sourceRow) const
{
    auto* record = MMobile::record_cast<MMobile::INote>(item);
    return record ? DetailFormatter::Note(record) : CellsAsHtml(sourceRow);
}
