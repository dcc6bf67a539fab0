#ifndef DEMOTABLEPAGE_H
#define DEMOTABLEPAGE_H

#include "plugin/categorypanel.h"

class MyHeaderView;
class MySortFilterProxyModel;
class SearchMarkProxy;
class MytableView;
class SearchBar;
class WeChatAccountChooser;
class TaskItemModel;
class CBMSearch;
class FirstTickRule;
class QModelIndex;
class QShowEvent;
class QSplitter;
class QTextBrowser;

namespace MMobile {
class IMDCommon;
class IMDGetter;
} // namespace MMobile

// A category page that lists its records in a sortable table: the search bar
// above, the table (TaskItemModel behind MySortFilterProxyModel, check-all box
// in the header) on the left and the selected record's detail on the right.
// A category's page derives from it and says how a record reads in the detail
// pane. Models, views, bar and search engine are children of the page or
// owned by it; the store stays the base page's.
class DemoTablePage : public CategoryPanel
{
    Q_OBJECT

public:
    DemoTablePage(IUIPluginSetting* setting, MMobile::MDType type);
    ~DemoTablePage() override;

    SearchBar* searchBar() const;
    MytableView* tableView() const;
    TaskItemModel* tableModel() const;
    MySortFilterProxyModel* proxyModel() const;
    QTextBrowser* detailPane() const;
    // Rows of the table that the search, the only-deleted switch and the filter let through.
    int VisibleRowCount() const;
    // The store behind the table; null before the first Load.
    TaskItem* store() const;
    TASK_CTRL_STATUS scanStatus() const;
    // The account chooser of the WeChat pages (idle on the others).
    WeChatAccountChooser* accountChooser() const;

protected:
    int GetExportOption() override;
    int GetExportWeChatIndex() override;
    void slotAfterScan() override;
    void showEvent(QShowEvent* event) override;

protected slots:
    // Shows the steps of a recovery to a phone in the progress dialog.
    void slotExportDataResult(TASK_CTRL_STATUS state, int percent, const char* lable) override;

protected:
    // The detail of one record as rich text; by default the row's cells.
    virtual QString DetailText(MMobile::IMDCommon* item, int sourceRow) const;
    QString CellsAsHtml(int sourceRow) const;

private:
    // Shows what the store holds now: marks, models, search and selection.
    void ShowStore();
    void ShowAccount(MMobile::IMDGetter* getter);
    void RunSearch(const QString& text);
    void SetOnlyDeleted(bool onlyDeleted);
    // Filters the rows again after the store's marks changed; refreshes the selection text.
    void ApplyView();
    void UpdateSelection();
    void OnCheckAllClicked();
    void ShowDetail(const QModelIndex& proxyIndex);
    // Gives the table the width of its columns, as far as the detail pane
    // keeps a readable width, so no cell is cut at the table's edge.
    void FitTable();

    SearchBar* m_pSearchBar;
    QSplitter* m_pSplitter;
    MytableView* m_pTable;
    MyHeaderView* m_pHeader;
    TaskItemModel* m_pModel;
    SearchMarkProxy* m_pProxy;
    QTextBrowser* m_pDetail;
    CBMSearch* m_pSearch;
    WeChatAccountChooser* m_pAccounts;
    FirstTickRule* m_pFirstTicks;
};

#endif // DEMOTABLEPAGE_H
