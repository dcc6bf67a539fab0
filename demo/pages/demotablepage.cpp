#include "demotablepage.h"

#include "firsttickrule.h"
#include "recoverysteps.h"
#include "searchmarkproxy.h"
#include "wechataccountchooser.h"

#include "search/cbmsearch.h"
#include "search/searchbar.h"
#include "store/taskitem.h"
#include "views/myheaderview.h"
#include "views/mytableview.h"
#include "views/taskitemmodel.h"

#include "contracts/imdcommon.h"
#include "contracts/itaskctrl.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
// What the detail pane keeps when the table takes the width of its columns.
const int kMinimumDetailWidth = 280;
} // namespace

DemoTablePage::DemoTablePage(IUIPluginSetting* setting, MMobile::MDType type)
    : CategoryPanel(setting, type, /*showDeviceButton=*/true), m_pSearch(new CBMSearch)
{
    QWidget* client = getClientWidget();
    m_pSearchBar = new SearchBar(client);
    m_pSearchBar->setObjectName(QStringLiteral("searchBar"));
    // The bar places its children itself and has no size hint of its own.
    m_pSearchBar->setMinimumSize(972, 40);

    m_pSplitter = new QSplitter(Qt::Horizontal, client);
    m_pSplitter->setObjectName(QStringLiteral("pageSplitter"));
    m_pTable = new MytableView(m_pSplitter);
    m_pTable->setObjectName(QStringLiteral("tableView"));
    m_pHeader = new MyHeaderView(m_pTable);
    m_pHeader->setObjectName(QStringLiteral("tableHeader"));
    m_pTable->setHorizontalHeader(m_pHeader);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->setSortingEnabled(true);
    m_pTable->verticalHeader()->hide();

    m_pModel = new TaskItemModel(this);
    m_pProxy = new SearchMarkProxy(this);
    m_pProxy->setSourceModel(m_pModel);
    m_pTable->setModel(m_pProxy);
    // Rows come in the engine's order: no column shows a sort until one is clicked.
    m_pHeader->setSortIndicator(-1, Qt::AscendingOrder);

    m_pDetail = new QTextBrowser(m_pSplitter);
    m_pDetail->setObjectName(QStringLiteral("detailPane"));
    m_pDetail->setOpenLinks(false);
    m_pSplitter->addWidget(m_pTable);
    m_pSplitter->addWidget(m_pDetail);
    m_pSplitter->setStretchFactor(0, 3);
    m_pSplitter->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(4, 4, 4, 4);
    m_pFirstTicks = new FirstTickRule(client);
    layout->addWidget(m_pSearchBar);
    layout->addWidget(m_pFirstTicks);
    layout->addWidget(m_pSplitter, 1);

    connect(m_pSearchBar, &SearchBar::signalfilterlineEditTextEdited, this,
            &DemoTablePage::RunSearch);
    connect(m_pSearchBar, &SearchBar::signalOnlyShowDeletedItems, this,
            &DemoTablePage::SetOnlyDeleted);
    connect(m_pModel, &TaskItemModel::itemCheckedChanged, this, &DemoTablePage::UpdateSelection);
    if (auto* box = m_pHeader->findChild<QCheckBox*>(QStringLiteral("checkAllBox")))
        connect(box, &QCheckBox::clicked, this, &DemoTablePage::OnCheckAllClicked);
    connect(m_pTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { ShowDetail(current); });
    connect(m_pTable, &MytableView::showNextRowItems, this, &DemoTablePage::ShowDetail);
    m_pAccounts = new WeChatAccountChooser(m_pSearchBar, this);
    connect(m_pAccounts, &WeChatAccountChooser::accountChosen, this,
            [this](MMobile::IMDGetter* getter) { ShowAccount(getter); });

    // Wide enough for every column of the widest table beside a readable detail pane.
    resize(1300, 720);
}

DemoTablePage::~DemoTablePage()
{
    // Views go first: the store they show dies in the base destructor.
    m_pProxy->setStore(nullptr);
    m_pModel->setCurrentTypeItems(nullptr);
    delete m_pSearch;
}

SearchBar* DemoTablePage::searchBar() const
{
    return m_pSearchBar;
}

MytableView* DemoTablePage::tableView() const
{
    return m_pTable;
}

TaskItemModel* DemoTablePage::tableModel() const
{
    return m_pModel;
}

MySortFilterProxyModel* DemoTablePage::proxyModel() const
{
    return m_pProxy;
}

QTextBrowser* DemoTablePage::detailPane() const
{
    return m_pDetail;
}

TaskItem* DemoTablePage::store() const
{
    return m_pTaskItem;
}

TASK_CTRL_STATUS DemoTablePage::scanStatus() const
{
    return m_status;
}

int DemoTablePage::VisibleRowCount() const
{
    return m_pProxy->rowCount();
}

int DemoTablePage::GetExportOption()
{
    return 0;
}

WeChatAccountChooser* DemoTablePage::accountChooser() const
{
    return m_pAccounts;
}

int DemoTablePage::GetExportWeChatIndex()
{
    return m_pAccounts->Current();
}

void DemoTablePage::slotAfterScan()
{
    CategoryPanel::slotAfterScan();
    // WeChat data comes one account at a time; the chooser shows the first.
    if (!m_pTaskItem || !m_pAccounts->Reset(m_pDataSource))
        ShowStore();
}

void DemoTablePage::showEvent(QShowEvent* event)
{
    CategoryPanel::showEvent(event);
    FitTable();
}

void DemoTablePage::FitTable()
{
    const QList<int> sizes = m_pSplitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (sizes.size() != 2 || total <= 0)
        return;
    const int columns = m_pTable->horizontalHeader()->length() + 2 * m_pTable->frameWidth() +
                        m_pTable->verticalScrollBar()->sizeHint().width();
    const int table = qMin(columns, total - kMinimumDetailWidth);
    if (table > sizes.value(0))
        m_pSplitter->setSizes({table, total - table});
}

void DemoTablePage::ShowAccount(MMobile::IMDGetter* getter)
{
    if (!m_pTaskItem)
        return;
    m_pDetail->clear();
    // The views let go of the old records before the store changes under them.
    m_pProxy->setStore(nullptr);
    m_pModel->setCurrentTypeItems(nullptr);
    m_pTaskItem->SetDatas(getter);
    ShowStore();
}

void DemoTablePage::ShowStore()
{
    // The model counts the records whose search mark is set: every record, as
    // long as the marks are all set when it takes the store. The search result
    // is shown through the proxy, never by handing the model a narrowed store.
    const unsigned int count = m_pTaskItem ? m_pTaskItem->GetDataCountEx() : 0;
    for (unsigned int i = 0; i < count; ++i)
        m_pTaskItem->SetSearchMark(i, true);
    m_pFirstTicks->Apply(m_pTaskItem);
    m_pProxy->setStore(m_pTaskItem);
    m_pModel->setCurrentTypeItems(m_pTaskItem);
    m_pSearchBar->EnableAllTool(count > 0);
    m_pTable->resizeColumnsToContents();
    FitTable();
    // A keyword still in the bar applies to the new records too.
    auto* field = m_pSearchBar->findChild<QLineEdit*>(QStringLiteral("filterLineEdit"));
    if (field && !field->text().isEmpty())
        RunSearch(field->text());
    else
        ApplyView();
}

void DemoTablePage::RunSearch(const QString& text)
{
    if (!m_pTaskItem)
        return;
    const QByteArray keyword = text.toUtf8();
    m_pSearch->SearchContent(m_pTaskItem, keyword.constData(), keyword.size());
    m_pTaskItem->UpdateCheckedCountBySearch();
    ApplyView();
}

void DemoTablePage::SetOnlyDeleted(bool onlyDeleted)
{
    if (!m_pTaskItem)
        return;
    m_pTaskItem->SetOnlyDeleteSelected(onlyDeleted);
    m_pTaskItem->UpdateCheckedCountBySearch();
    ApplyView();
}

void DemoTablePage::ApplyView()
{
    m_pProxy->marksChanged();
    // The row shown on the right may be filtered away; an empty result says so.
    if (m_pProxy->rowCount() == 0 && m_pTaskItem && m_pTaskItem->GetDataCountEx() > 0)
        m_pDetail->setHtml(QStringLiteral("<p style='color:#777777'>%1</p>")
                               .arg(tr("No items match").toHtmlEscaped()));
    else if (!m_pTable->currentIndex().isValid())
        m_pDetail->clear();
    UpdateSelection();
}

void DemoTablePage::UpdateSelection()
{
    const Qt::CheckState state = CheckSeletedItem(0, 0);
    QMetaObject::invokeMethod(m_pHeader, "setCheckBoxState", Q_ARG(Qt::CheckState, state));
}

void DemoTablePage::OnCheckAllClicked()
{
    if (!m_pTaskItem)
        return;
    const unsigned int inView = m_pTaskItem->GetDataCount(m_pTaskItem->GetOnlyDeleteSelected());
    const bool tickAll = m_pTaskItem->GetCheckedCount() < inView;
    m_pModel->CheckAll(tickAll ? Qt::Checked : Qt::Unchecked);
    UpdateSelection();
}

void DemoTablePage::ShowDetail(const QModelIndex& proxyIndex)
{
    if (!proxyIndex.isValid() || !m_pTaskItem) {
        m_pDetail->clear();
        return;
    }
    const int source = m_pProxy->mapToSource(proxyIndex).row();
    m_pDetail->setHtml(DetailText(m_pTaskItem->GetData(unsigned(source)), source));
}

QString DemoTablePage::DetailText(MMobile::IMDCommon*, int sourceRow) const
{
    return CellsAsHtml(sourceRow);
}

QString DemoTablePage::CellsAsHtml(int sourceRow) const
{
    QString html = QStringLiteral("<table cellspacing='4'>");
    for (int column = 0; column < m_pModel->columnCount(); ++column) {
        const QString title = m_pModel->headerData(column, Qt::Horizontal).toString();
        const QString value = m_pModel->index(sourceRow, column).data().toString();
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(title.toHtmlEscaped(), value.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}

void DemoTablePage::slotExportDataResult(TASK_CTRL_STATUS state, int percent, const char* lable)
{
    RecoverySteps::Show(m_pProgressDialog, m_recoverMode, state, percent, lable);
    CategoryPanel::slotExportDataResult(state, percent, lable);
}
