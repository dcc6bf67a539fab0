#include "photos/imagelistitmmodel.h"

#include "contracts/iphoto.h"
#include "contracts/ivoicememo.h"
#include "contracts/mmobiletypes.h"

#include <QPointer>

ImageListItmModel::ImageListItmModel(QObject* parent) : QAbstractListModel(parent), m_store(nullptr)
{
}

ImageListItmModel::~ImageListItmModel() = default;

int ImageListItmModel::rowCount(const QModelIndex& parent) const
{
    if (!m_store || parent.isValid())
        return 0;
    return m_store->GetViewCount();
}

QVariant ImageListItmModel::data(const QModelIndex& index, int role) const
{
    if (!m_store || m_store->GetViewCount() <= 0 || !index.isValid() || index.model() != this)
        return QVariant();
    const ImageListItem* entry = m_store->GetViewItem(index.row());
    if (!entry)
        return QVariant();

    switch (role) {
    case Qt::DisplayRole:
        return entry->text;
    case Qt::DecorationRole:
        if (entry->photo)
            return QString::fromUtf8(entry->photo->GetThumbnailPath());
        if (entry->recording)
            return QString::fromUtf8(
                entry->recording->GetTextProperty(MMobile::VOICE_PROP_THUMBNAIL_PATH));
        return QVariant();
    case Qt::CheckStateRole:
        return int(entry->checkState);
    case TitleRole:
        return entry->isTitle;
    case HiddenRole:
        return m_store->GetViewMode() == IMAGE_VIEW_BY_DATE && entry->hidden;
    case MemberCountRole:
        return entry->memberRows.size();
    case DefaultPhotoRole:
        return m_store->GetDefaultPhotoPath();
    default:
        return QVariant();
    }
}

bool ImageListItmModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!m_store || !index.isValid() || index.row() >= m_store->GetViewCount())
        return false;
    if (role == Qt::CheckStateRole) {
        m_store->SetChecked(unsigned(index.row()), value.toBool() ? Qt::Checked : Qt::Unchecked);
        emit dataChanged(index, index);
        emit itemCheckedChanged();
        // Views ask again for every row, so the title's summary tick is redrawn.
        beginResetModel();
        endResetModel();
        return true;
    }
    if (role == HiddenRole) {
        m_store->SetHide(index.row(), value.toBool());
        // Collapsed photos get a zero size hint once the view relays out.
        beginResetModel();
        endResetModel();
        return false;
    }
    return false;
}

QVariant ImageListItmModel::headerData(int, Qt::Orientation, int) const
{
    return QVariant();
}

Qt::ItemFlags ImageListItmModel::flags(const QModelIndex& index) const
{
    // The root is no item: Qt's model contract wants no flags (or only drops) there.
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled;
}

void ImageListItmModel::SetDatas(ImageItemList* store)
{
    beginResetModel();
    if (m_store && m_store != store)
        m_store->SetThumbnailListener({});
    m_store = store;
    if (store) {
        // Thumbnails made off the GUI thread arrive later: their cells are
        // drawn again. The model may go before the store, hence the guard.
        QPointer<ImageListItmModel> model(this);
        store->SetThumbnailListener([model, store] {
            if (!model || model->m_store != store)
                return;
            const int rows = model->rowCount();
            if (rows > 0)
                emit model->dataChanged(model->index(0, 0), model->index(rows - 1, 0),
                                        {Qt::DecorationRole});
        });
    }
    endResetModel();
}

void ImageListItmModel::CheckAll(Qt::CheckState state)
{
    if (!m_store)
        return;
    m_store->SetAllImageDataChecked(state);
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, 0));
}

void ImageListItmModel::ChangeViewMode(ImageViewMode mode)
{
    if (!m_store)
        return;
    beginResetModel();
    m_store->ChangeViewMode(mode);
    endResetModel();
}
