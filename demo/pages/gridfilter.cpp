#include "gridfilter.h"

#include "store/imageitemlist.h"

#include "contracts/imdcommon.h"
#include "contracts/imdgetter.h"
#include "contracts/iphoto.h"
#include "contracts/ivoicememo.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QListView>

#include <algorithm>

GridFilter::GridFilter(QListView* view) : QObject(view), m_view(view)
{
    // Resets and new layouts forget the hidden rows.
    QAbstractItemModel* model = view->model();
    connect(model, &QAbstractItemModel::modelReset, this, &GridFilter::Apply);
    connect(model, &QAbstractItemModel::layoutChanged, this, &GridFilter::Apply);
    connect(model, &QAbstractItemModel::rowsInserted, this, &GridFilter::Apply);
}

void GridFilter::SetStore(ImageItemList* store, MMobile::IMDGetter* getter)
{
    m_store = store;
    m_deleted.clear();
    const unsigned int count = getter ? getter->GetCount() : 0;
    m_deleted.reserve(int(count));
    for (unsigned int i = 0; i < count; ++i) {
        MMobile::IMDCommon* item = getter->GetItem(i);
        m_deleted << (item && item->IsDeleted());
    }
    Apply();
}

void GridFilter::SetKeyword(const QString& keyword)
{
    m_keyword = keyword.trimmed();
    Apply();
}

void GridFilter::SetOnlyDeleted(bool onlyDeleted)
{
    m_onlyDeleted = onlyDeleted;
    Apply();
}

bool GridFilter::IsDeletedRow(int row) const
{
    ImageListItem* entry = m_store ? m_store->GetViewItem(row) : nullptr;
    return entry && !entry->isTitle && entry->dataIndex >= 0 &&
           entry->dataIndex < m_deleted.size() && m_deleted.at(entry->dataIndex);
}

int GridFilter::DeletedFiles() const
{
    return int(std::count(m_deleted.cbegin(), m_deleted.cend(), true));
}

bool GridFilter::Matches(int row) const
{
    if (m_onlyDeleted && !IsDeletedRow(row))
        return false;
    if (m_keyword.isEmpty())
        return true;
    ImageListItem* entry = m_store->GetViewItem(row);
    QString name = entry->text;
    std::uint64_t time = 0;
    if (entry->photo) {
        name += QLatin1Char(' ') + QString::fromUtf8(entry->photo->GetDisplayText());
        time = entry->photo->GetTime();
    } else if (entry->recording) {
        name += QLatin1Char(' ') + QString::fromUtf8(entry->recording->GetDisplayText());
        time = entry->recording->GetTime();
    }
    if (name.contains(m_keyword, Qt::CaseInsensitive))
        return true;
    const QDateTime when = QDateTime::fromSecsSinceEpoch(qint64(time));
    return time > 0 && (when.toString(QStringLiteral("yyyy-MM-dd")).contains(m_keyword) ||
                        when.toString(QStringLiteral("dd-MM-yyyy")).contains(m_keyword));
}

void GridFilter::Apply()
{
    m_visibleFiles = 0;
    const int rows = m_store ? m_store->GetViewCount() : 0;
    int title = -1;
    bool titleHasFiles = false;
    const auto closeTitle = [&] {
        if (title >= 0)
            m_view->setRowHidden(title, !titleHasFiles);
    };
    for (int row = 0; row < rows; ++row) {
        ImageListItem* entry = m_store->GetViewItem(row);
        if (entry && entry->isTitle) {
            closeTitle();
            title = row;
            titleHasFiles = false;
            continue;
        }
        const bool shown = entry && Matches(row);
        m_view->setRowHidden(row, !shown);
        if (shown) {
            ++m_visibleFiles;
            titleHasFiles = true;
        }
    }
    closeTitle();
    emit applied(m_visibleFiles);
}
