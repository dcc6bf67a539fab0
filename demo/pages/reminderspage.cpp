#include "reminderspage.h"

#include "firsttickrule.h"
#include "recoverysteps.h"

#include "reminderstreemodel.h"

#include "search/cbmsearch.h"
#include "search/searchbar.h"
#include "store/taskitem.h"
#include "views/treeitem.h"

#include "contracts/imdcommon.h"
#include "contracts/ireminider.h"
#include "contracts/itaskctrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
QString Escaped(const char* text)
{
    return (text ? QString::fromUtf8(text) : QString()).toHtmlEscaped();
}
} // namespace

RemindersPage::RemindersPage(IUIPluginSetting* setting)
    : CategoryPanel(setting, MMobile::MD_REMINDER, /*showDeviceButton=*/true),
      m_pSearch(new CBMSearch)
{
    QWidget* client = getClientWidget();
    m_pSearchBar = new SearchBar(client);
    m_pSearchBar->setObjectName(QStringLiteral("searchBar"));
    // The bar places its children itself and has no size hint of its own.
    m_pSearchBar->setMinimumSize(972, 40);
    auto* splitter = new QSplitter(Qt::Horizontal, client);
    splitter->setObjectName(QStringLiteral("pageSplitter"));
    m_pTree = new QTreeView(splitter);
    m_pTree->setObjectName(QStringLiteral("treeView"));
    m_pModel = new RemindersTreeModel(this);
    m_pTree->setModel(m_pModel);
    m_pDetail = new QTextBrowser(splitter);
    m_pDetail->setObjectName(QStringLiteral("detailPane"));
    splitter->addWidget(m_pTree);
    splitter->addWidget(m_pDetail);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(4, 4, 4, 4);
    m_pFirstTicks = new FirstTickRule(client);
    layout->addWidget(m_pSearchBar);
    layout->addWidget(m_pFirstTicks);
    layout->addWidget(splitter, 1);

    connect(m_pSearchBar, &SearchBar::signalfilterlineEditTextEdited, this,
            &RemindersPage::RunSearch);
    connect(m_pSearchBar, &SearchBar::signalOnlyShowDeletedItems, this,
            &RemindersPage::SetOnlyDeleted);
    connect(m_pModel, &TreeItemModel::itemCheckedChanged, this, &RemindersPage::TakeTicks);
    connect(m_pTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShowDetail(current); });

    resize(1000, 640);
}

RemindersPage::~RemindersPage()
{
    m_pModel->Build(nullptr);
    delete m_pSearch;
}

SearchBar* RemindersPage::searchBar() const
{
    return m_pSearchBar;
}

QTreeView* RemindersPage::treeView() const
{
    return m_pTree;
}

RemindersTreeModel* RemindersPage::treeModel() const
{
    return m_pModel;
}

QTextBrowser* RemindersPage::detailPane() const
{
    return m_pDetail;
}

TaskItem* RemindersPage::store() const
{
    return m_pTaskItem;
}

TASK_CTRL_STATUS RemindersPage::scanStatus() const
{
    return m_status;
}

int RemindersPage::VisibleRowCount() const
{
    int visible = 0;
    for (TreeItem* leaf : m_pModel->Leaves()) {
        const QModelIndex index = m_pModel->IndexOf(leaf);
        if (!m_pTree->isRowHidden(index.row(), index.parent()))
            ++visible;
    }
    return visible;
}

int RemindersPage::GetExportOption()
{
    return 0;
}

void RemindersPage::slotExportDataResult(TASK_CTRL_STATUS state, int percent, const char* lable)
{
    // A recovery to a phone names its steps, as on the other pages.
    RecoverySteps::Show(m_pProgressDialog, m_recoverMode, state, percent, lable);
    CategoryPanel::slotExportDataResult(state, percent, lable);
}

void RemindersPage::slotAfterScan()
{
    CategoryPanel::slotAfterScan();
    m_pFirstTicks->Apply(m_pTaskItem);
    m_pModel->Build(m_pTaskItem);
    m_pSearchBar->EnableAllTool(m_pTaskItem && m_pTaskItem->GetDataCountEx() > 0);
    ApplyView();
    // The tree model's rows hint a token width, so contents cannot size the columns.
    // Narrow enough that the priority column fits beside the detail pane.
    m_pTree->header()->resizeSection(0, 200);
    m_pTree->header()->resizeSection(1, 140);
    m_pTree->header()->resizeSection(2, 100);
}

void RemindersPage::RunSearch(const QString& text)
{
    if (!m_pTaskItem)
        return;
    const QByteArray keyword = text.toUtf8();
    m_pSearch->SearchContent(m_pTaskItem, keyword.constData(), keyword.size());
    m_pTaskItem->UpdateCheckedCountBySearch();
    ApplyView();
}

void RemindersPage::SetOnlyDeleted(bool onlyDeleted)
{
    if (!m_pTaskItem)
        return;
    m_pTaskItem->SetOnlyDeleteSelected(onlyDeleted);
    m_pTaskItem->UpdateCheckedCountBySearch();
    ApplyView();
}

void RemindersPage::TakeTicks()
{
    if (!m_pTaskItem)
        return;
    for (TreeItem* leaf : m_pModel->Leaves()) {
        const int row = m_pModel->StoreRow(leaf);
        if (row >= 0 && m_pTaskItem->GetCheckState(unsigned(row)) != leaf->GetCheckState())
            m_pTaskItem->SetChecked(unsigned(row), leaf->GetCheckState());
    }
    // The store refuses ticks on reminders out of view: show what it kept.
    for (TreeItem* leaf : m_pModel->Leaves()) {
        const int row = m_pModel->StoreRow(leaf);
        if (row >= 0 && m_pTaskItem->GetCheckState(unsigned(row)) != leaf->GetCheckState())
            leaf->SetChecked(m_pTaskItem->GetCheckState(unsigned(row)));
    }
    // The tree model reset itself on the tick: hidden rows and expansion are gone.
    ApplyView();
}

void RemindersPage::ApplyView()
{
    m_pTree->expandAll();
    QHash<TreeItem*, int> listShown;
    for (TreeItem* leaf : m_pModel->Leaves()) {
        const QModelIndex index = m_pModel->IndexOf(leaf);
        const int row = m_pModel->StoreRow(leaf);
        const bool hide = !m_pTaskItem || m_pTaskItem->CheckIdxHide(unsigned(row));
        m_pTree->setRowHidden(index.row(), index.parent(), hide);
        listShown[leaf->parent()] += hide ? 0 : 1;
    }
    for (auto list = listShown.cbegin(); list != listShown.cend(); ++list)
        m_pTree->setRowHidden(list.key()->row(), QModelIndex(), list.value() == 0);
    m_pModel->SetShownCounts(listShown);
    // The reminder shown on the right may be filtered away; an empty result says so.
    const QModelIndex current = m_pTree->currentIndex();
    if (VisibleRowCount() == 0 && !m_pModel->Leaves().isEmpty())
        m_pDetail->setHtml(QStringLiteral("<p style='color:#777777'>%1</p>")
                               .arg(tr("No items match").toHtmlEscaped()));
    else if (current.isValid() && m_pTree->isRowHidden(current.row(), current.parent()))
        m_pDetail->clear();
    CheckSeletedItem(0, 0);
}

void RemindersPage::ShowDetail(const QModelIndex& index)
{
    auto* node = static_cast<TreeItem*>(index.internalPointer());
    auto* item = node ? static_cast<MMobile::IMDCommon*>(node->GetlpData()) : nullptr;
    auto* record = MMobile::record_cast<MMobile::IReminider>(item);
    if (!record) {
        m_pDetail->clear();
        return;
    }
    m_pDetail->setHtml(QStringLiteral("<h3>%1</h3><p>%2<br>%3 &middot; %4<br>%5</p><p>%6</p>")
                           .arg(Escaped(record->GetTitle()), Escaped(record->GetListName()),
                                Escaped(record->GetDate()), Escaped(record->GetStatus()),
                                Escaped(record->GetLocation()), Escaped(record->GetNote()))
                           .replace(QLatin1Char('\n'), QStringLiteral("<br>")));
}
