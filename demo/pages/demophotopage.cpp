#include "demophotopage.h"

#include "deletedmarkdelegate.h"
#include "firsttickrule.h"
#include "gridfilter.h"
#include "recoverysteps.h"
#include "wechataccountchooser.h"

#include "photos/imagelistdelegate.h"
#include "photos/imagelistitmmodel.h"
#include "search/searchbar.h"
#include "store/imageitemlist.h"

#include "contracts/icategorydatasource.h"
#include "contracts/imdcommon.h"
#include "contracts/imdgetter.h"
#include "contracts/iphoto.h"
#include "contracts/itaskctrl.h"
#include "contracts/iuipluginsetting.h"
#include "contracts/ivoicememo.h"

#include <QCheckBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QImageReader>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const int kPreviewWidth = 300;

QString Utf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}
} // namespace

DemoPhotoPage::DemoPhotoPage(IUIPluginSetting* setting, MMobile::MDType type,
                             const QString& workFolder)
    : CategoryPanel(setting, type, /*showDeviceButton=*/true), m_workFolder(workFolder),
      m_pImages(nullptr)
{
    m_pictureFolder = setting ? QString::fromUtf8(setting->GetSkinDir(type)) : QString();

    QWidget* client = getClientWidget();
    m_pSearchBar = new SearchBar(client);
    m_pSearchBar->setObjectName(QStringLiteral("searchBar"));
    // The bar places its children itself and has no size hint of its own.
    m_pSearchBar->setMinimumSize(972, 40);

    m_pCheckAll = new QCheckBox(tr("Select all"), client);
    m_pCheckAll->setObjectName(QStringLiteral("checkAllBox"));
    m_pCheckAll->setTristate(true);
    m_pLayoutButton = new QPushButton(tr("Show all files"), client);
    m_pLayoutButton->setObjectName(QStringLiteral("layoutButton"));

    m_pGrid = new QListView(client);
    m_pGrid->setObjectName(QStringLiteral("photoGrid"));
    m_pGrid->setViewMode(QListView::IconMode);
    m_pGrid->setFlow(QListView::LeftToRight);
    m_pGrid->setWrapping(true);
    m_pGrid->setResizeMode(QListView::Adjust);
    m_pGrid->setMovement(QListView::Static);
    m_pGrid->setSpacing(0);
    m_pGrid->setMinimumWidth(950);
    m_pDelegate = new DeletedMarkDelegate(this, m_pictureFolder,
                                          [this](int row) { return m_pFilter->IsDeletedRow(row); });
    m_pModel = new ImageListItmModel(this);
    m_pGrid->setItemDelegate(m_pDelegate);
    m_pGrid->setModel(m_pModel);
    m_pFilter = new GridFilter(m_pGrid);

    m_pPreview = new QLabel(client);
    m_pPreview->setObjectName(QStringLiteral("previewPane"));
    m_pPreview->setFixedWidth(kPreviewWidth);
    m_pPreview->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_pPreview->setWordWrap(true);

    auto* tools = new QHBoxLayout;
    m_pFirstTicks = new FirstTickRule(client);
    tools->addWidget(m_pCheckAll);
    tools->addWidget(m_pFirstTicks, 1);
    tools->addWidget(m_pLayoutButton);
    auto* body = new QHBoxLayout;
    body->addWidget(m_pGrid, 1);
    body->addWidget(m_pPreview);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_pSearchBar);
    layout->addLayout(tools);
    layout->addLayout(body, 1);

    // Nothing to search or filter before the scan.
    m_pSearchBar->EnableAllTool(false);
    connect(m_pSearchBar, &SearchBar::signalfilterlineEditTextEdited, m_pFilter,
            &GridFilter::SetKeyword);
    connect(m_pSearchBar, &SearchBar::signalOnlyShowDeletedItems, m_pFilter,
            &GridFilter::SetOnlyDeleted);
    connect(m_pFilter, &GridFilter::applied, this, [this](int visible) {
        // The file shown may be filtered away; an empty result says so.
        if (!m_pFilter->IsActive())
            return;
        const QModelIndex current = m_pGrid->currentIndex();
        if (visible == 0)
            m_pPreview->setText(tr("No items match"));
        else if (!current.isValid() || m_pGrid->isRowHidden(current.row()))
            m_pPreview->clear();
    });

    connect(m_pModel, &ImageListItmModel::itemCheckedChanged, this,
            &DemoPhotoPage::UpdateSelection);
    connect(m_pCheckAll, &QCheckBox::clicked, this, &DemoPhotoPage::OnCheckAllClicked);
    connect(m_pLayoutButton, &QPushButton::clicked, this, &DemoPhotoPage::ToggleLayout);
    connect(m_pGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShowPreview(current); });
    m_pAccounts = new WeChatAccountChooser(m_pSearchBar, this);
    connect(m_pAccounts, &WeChatAccountChooser::accountChosen, this,
            [this](MMobile::IMDGetter* getter) { ShowAccount(getter); });

    resize(1300, 720);
}

DemoPhotoPage::~DemoPhotoPage()
{
    m_pModel->SetDatas(nullptr);
}

ImageItemList* DemoPhotoPage::imageStore() const
{
    return m_pImages;
}

int DemoPhotoPage::deletedCount() const
{
    MMobile::IMDGetter* getter = m_pDataSource ? m_pDataSource->GetDataGetter() : nullptr;
    int deleted = 0;
    for (unsigned int i = 0; getter && i < getter->GetCount(); ++i) {
        MMobile::IMDCommon* item = getter->GetItem(i);
        deleted += item && item->IsDeleted() ? 1 : 0;
    }
    return deleted;
}

ImageListItmModel* DemoPhotoPage::gridModel() const
{
    return m_pModel;
}

QListView* DemoPhotoPage::gridView() const
{
    return m_pGrid;
}

QLabel* DemoPhotoPage::previewPane() const
{
    return m_pPreview;
}

QCheckBox* DemoPhotoPage::checkAllBox() const
{
    return m_pCheckAll;
}

SearchBar* DemoPhotoPage::searchBar() const
{
    return m_pSearchBar;
}

TASK_CTRL_STATUS DemoPhotoPage::scanStatus() const
{
    return m_status;
}

int DemoPhotoPage::GetExportOption()
{
    return 0;
}

void DemoPhotoPage::NewTaskItem()
{
    m_pImages = new ImageItemList(m_type, m_workFolder, m_pictureFolder);
    m_pTaskItem = m_pImages;
}

void DemoPhotoPage::slotAfterScan()
{
    CategoryPanel::slotAfterScan();
    // WeChat files come one account at a time; the chooser shows the first.
    if (m_pImages && m_pAccounts->Reset(m_pDataSource))
        return;
    m_pModel->SetDatas(m_pImages);
    m_pFilter->SetStore(m_pImages, m_pDataSource ? m_pDataSource->GetDataGetter() : nullptr);
    m_pSearchBar->EnableAllTool(m_pImages && m_pImages->GetViewCount() > 0);
    ApplyFirstTicks();
}

WeChatAccountChooser* DemoPhotoPage::accountChooser() const
{
    return m_pAccounts;
}

int DemoPhotoPage::GetExportWeChatIndex()
{
    return m_pAccounts->Current();
}

void DemoPhotoPage::ShowAccount(MMobile::IMDGetter* getter)
{
    if (!m_pImages)
        return;
    m_pPreview->clear();
    m_pModel->SetDatas(nullptr);
    m_pImages->SetDatas(getter);
    m_pModel->SetDatas(m_pImages);
    m_pFilter->SetStore(m_pImages, getter);
    m_pSearchBar->EnableAllTool(m_pImages->GetViewCount() > 0);
    ApplyFirstTicks();
}

void DemoPhotoPage::SetViewMode(int mode)
{
    if (!m_pImages)
        return;
    m_pModel->ChangeViewMode(mode == IMAGE_VIEW_FLAT ? IMAGE_VIEW_FLAT : IMAGE_VIEW_BY_DATE);
    m_pLayoutButton->setText(m_pImages->GetViewMode() == IMAGE_VIEW_FLAT ? tr("Group by day")
                                                                         : tr("Show all files"));
    m_pPreview->clear();
}

void DemoPhotoPage::ToggleLayout()
{
    if (m_pImages)
        SetViewMode(m_pImages->GetViewMode() == IMAGE_VIEW_FLAT ? IMAGE_VIEW_BY_DATE
                                                                : IMAGE_VIEW_FLAT);
}

void DemoPhotoPage::UpdateSelection()
{
    m_pCheckAll->setCheckState(CheckSeletedItem(0, 0));
}

void DemoPhotoPage::ApplyFirstTicks()
{
    m_pModel->CheckAll(Qt::Unchecked);
    m_pFirstTicks->Apply(
        m_pModel->rowCount(),
        [this](int row) {
            return !m_pModel->index(row).data(ImageListItmModel::TitleRole).toBool();
        },
        [this](int row) { return m_pFilter->IsDeletedRow(row); },
        [this](int row) {
            m_pModel->setData(m_pModel->index(row), int(Qt::Checked), Qt::CheckStateRole);
        });
    UpdateSelection();
}

void DemoPhotoPage::OnCheckAllClicked()
{
    if (!m_pImages)
        return;
    const bool tickAll = m_pImages->GetCheckedCount() < m_pImages->GetDataCount(false);
    if (!m_pFilter->IsActive()) {
        m_pModel->CheckAll(tickAll ? Qt::Checked : Qt::Unchecked);
    } else {
        // Only the files in view: what the user sees is what gets ticked.
        for (int row = 0; row < m_pModel->rowCount(); ++row) {
            if (!m_pGrid->isRowHidden(row) &&
                !m_pModel->index(row).data(ImageListItmModel::TitleRole).toBool())
                m_pModel->setData(m_pModel->index(row), int(tickAll ? Qt::Checked : Qt::Unchecked),
                                  Qt::CheckStateRole);
        }
    }
    UpdateSelection();
}

void DemoPhotoPage::ShowPreview(const QModelIndex& index)
{
    ImageListItem* entry = m_pImages ? m_pImages->GetViewItem(index.row()) : nullptr;
    if (!entry || entry->isTitle) {
        m_pPreview->clear();
        return;
    }
    m_pPreview->setToolTip(QString());
    if (entry->recording) {
        MMobile::IVoiceMemo* memo = entry->recording;
        m_pPreview->setText(QStringLiteral("<h3>%1</h3><p>%2<br>%3</p>")
                                .arg(Utf8(memo->GetDisplayText()).toHtmlEscaped(),
                                     Utf8(memo->GetTextProperty(4)).toHtmlEscaped(),
                                     Utf8(memo->GetTextProperty(3)).toHtmlEscaped()));
        return;
    }
    MMobile::IPhoto* photo = entry->photo;
    if (!photo) {
        m_pPreview->clear();
        return;
    }
    // Formats Qt cannot read (HEIC without a plug-in) fall back to the thumbnail.
    QImageReader reader(Utf8(photo->GetFilePath()));
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        image = QImage(index.data(Qt::DecorationRole).toString());
    const QString when = QDateTime::fromSecsSinceEpoch(qint64(photo->GetTime()))
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (image.isNull()) {
        m_pPreview->setText(
            QStringLiteral("%1<br>%2").arg(Utf8(photo->GetDisplayText()).toHtmlEscaped(), when));
        return;
    }
    m_pPreview->setPixmap(
        QPixmap::fromImage(image.scaledToWidth(kPreviewWidth - 10, Qt::SmoothTransformation)));
    m_pPreview->setToolTip(
        DeletedMarkDelegate::ToolTip(Utf8(photo->GetDisplayText()) + QLatin1Char('\n') + when,
                                     m_pFilter->IsDeletedRow(index.row())));
}

void DemoPhotoPage::slotExportDataResult(TASK_CTRL_STATUS state, int percent, const char* lable)
{
    RecoverySteps::Show(m_pProgressDialog, m_recoverMode, state, percent, lable);
    CategoryPanel::slotExportDataResult(state, percent, lable);
}
