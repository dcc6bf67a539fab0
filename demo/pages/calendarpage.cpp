#include "calendarpage.h"

#include "alldaydelegate.h"

#include "store/taskitem.h"
#include "views/mysortfilterproxymodel.h"
#include "views/mytableview.h"

#include "contracts/icalendar.h"
#include "contracts/imdcommon.h"

namespace {
const int kStartColumn = 2;
const int kEndColumn = 3;
} // namespace

CalendarPage::CalendarPage(IUIPluginSetting* setting) : DemoTablePage(setting, MMobile::MD_CALENDAR)
{
    auto* days = new AllDayDelegate(this, [this](const QModelIndex& index) {
        return AllDay(proxyModel()->mapToSource(index).row(), index.column());
    });
    tableView()->setItemDelegateForColumn(kStartColumn, days);
    tableView()->setItemDelegateForColumn(kEndColumn, days);
}

QDate CalendarPage::AllDay(int sourceRow, int column) const
{
    TaskItem* items = store();
    auto* record =
        items && sourceRow >= 0
            ? MMobile::record_cast<MMobile::ICalendar>(items->GetData(unsigned(sourceRow)))
            : nullptr;
    if (!record || (column != kStartColumn && column != kEndColumn))
        return QDate();
    const char* text = column == kStartColumn ? record->GetStartDate() : record->GetEndDate();
    // A day alone, as an all-day event has it; anything else stays empty.
    return QDate::fromString(QString::fromUtf8(text ? text : "").trimmed(),
                             QStringLiteral("yyyy-MM-dd"));
}
