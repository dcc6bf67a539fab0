#ifndef REMINDERSPAGE_H
#define REMINDERSPAGE_H

#include "plugin/categorypanel.h"

class CBMSearch;
class FirstTickRule;
class RemindersTreeModel;
class SearchBar;
class QModelIndex;
class QTextBrowser;
class QTreeView;

// The page of the reminders: a tree of reminder lists with their reminders,
// the search bar above and the selected reminder's note on the right. Ticks in
// the tree go to the store; the search and the only-deleted switch hide the
// leaves the store has out of view. Views, model and search engine are the
// page's; the store is the base's.
class RemindersPage : public CategoryPanel
{
    Q_OBJECT

public:
    explicit RemindersPage(IUIPluginSetting* setting);
    ~RemindersPage() override;

    SearchBar* searchBar() const;
    QTreeView* treeView() const;
    RemindersTreeModel* treeModel() const;
    QTextBrowser* detailPane() const;
    TaskItem* store() const;
    TASK_CTRL_STATUS scanStatus() const;
    // Reminders (leaves) not hidden by the search or the filter.
    int VisibleRowCount() const;

protected:
    int GetExportOption() override;
    void slotAfterScan() override;
    void slotExportDataResult(TASK_CTRL_STATUS state, int percent, const char* lable) override;

private:
    void RunSearch(const QString& text);
    void SetOnlyDeleted(bool onlyDeleted);
    void TakeTicks();
    void ApplyView();
    void ShowDetail(const QModelIndex& index);

    SearchBar* m_pSearchBar;
    QTreeView* m_pTree;
    RemindersTreeModel* m_pModel;
    QTextBrowser* m_pDetail;
    CBMSearch* m_pSearch;
    FirstTickRule* m_pFirstTicks;
};

#endif // REMINDERSPAGE_H
