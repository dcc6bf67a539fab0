#include "firsttickrule.h"

#include "contracts/imdcommon.h"
#include "store/taskitem.h"

FirstTickRule::FirstTickRule(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("firstTickNote"));
    setWordWrap(true);
    hide();
}

int FirstTickRule::Apply(TaskItem* store)
{
    const unsigned int count = store ? store->GetDataCountEx() : 0;
    // Hidden items too: the only-deleted switch may be on when a page refills.
    const bool onlyDeleted = store && store->GetOnlyDeleteSelected();
    if (store) {
        store->SetOnlyDeleteSelected(false);
        store->SetCheckAllState(Qt::Unchecked);
    }
    int ticked = 0;
    for (unsigned int i = 0; i < count; ++i) {
        MMobile::IMDCommon* item = store->GetData(i);
        if (item && item->IsDeleted()) {
            store->SetChecked(i, Qt::Checked);
            ++ticked;
        }
    }
    if (store) {
        store->SetOnlyDeleteSelected(onlyDeleted);
        store->UpdateCheckedCountBySearch();
    }
    Say(ticked);
    return ticked;
}

int FirstTickRule::Apply(int rows, const std::function<bool(int)>& isItem,
                         const std::function<bool(int)>& isDeleted,
                         const std::function<void(int)>& tick)
{
    int ticked = 0;
    for (int row = 0; row < rows; ++row) {
        if (isItem(row) && isDeleted(row)) {
            tick(row);
            ++ticked;
        }
    }
    Say(ticked);
    return ticked;
}

void FirstTickRule::Say(int deleted)
{
    setText(deleted > 0 ? tr("The %n deleted item(s) are ticked first; tick any others you want "
                             "to recover too.",
                             nullptr, deleted)
                        : tr("No deleted items were found, so nothing is ticked: tick the items "
                             "you want to recover."));
    show();
}
