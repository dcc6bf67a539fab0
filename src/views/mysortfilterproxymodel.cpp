#include "views/mysortfilterproxymodel.h"

#include <QColor>
#include <QDateTime>
#include <QRegExp>
#include <QRegularExpression>

MySortFilterProxyModel::MySortFilterProxyModel(QObject* parent)
    : QSortFilterProxyModel(parent),
      m_pAddressPattern(
          new QRegExp(QStringLiteral("([\\w\\.]*@[\\w\\.]*)"), Qt::CaseSensitive, QRegExp::RegExp))
{
}

MySortFilterProxyModel::~MySortFilterProxyModel()
{
    delete m_pAddressPattern;
}

QVariant MySortFilterProxyModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::BackgroundRole) {
        if (!index.isValid())
            return QVariant();
        return index.row() % 2 == 0 ? QColor(242, 242, 242, 255) : QColor(255, 255, 255, 255);
    }
    return QSortFilterProxyModel::data(index, role);
}

// The base class keeps either a QRegExp (setFilterRegExp, setFilterFixedString,
// setFilterWildcard) or a QRegularExpression (setFilterRegularExpression); the
// one holding a pattern is the one in effect. Without a pattern every text matches.
bool MySortFilterProxyModel::matchesFilter(const QString& text) const
{
    const QRegExp regExp = filterRegExp();
    if (!regExp.pattern().isEmpty())
        return regExp.indexIn(text) != -1;
    const QRegularExpression regularExpression = filterRegularExpression();
    if (!regularExpression.pattern().isEmpty())
        return regularExpression.match(text).hasMatch();
    return true;
}

bool MySortFilterProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return false;
    const QModelIndex first = source->index(sourceRow, 0, sourceParent);
    if (matchesFilter(source->data(first, Qt::DisplayRole).toString()))
        return true;
    // A one-column source gives an invalid index here and so an empty text.
    const QModelIndex second = source->index(sourceRow, 1, sourceParent);
    return matchesFilter(source->data(second, Qt::DisplayRole).toString());
}

QString MySortFilterProxyModel::sortText(const QModelIndex& index, const QVariant& value) const
{
    const QString text = value.toString();
    if (index.column() != 1)
        return text;
    // The pattern keeps the state of its last match; the proxy lives on one thread.
    if (m_pAddressPattern->indexIn(text, 0) == -1)
        return text;
    return m_pAddressPattern->cap(1);
}

MySortFilterProxyModel::SortValue
MySortFilterProxyModel::sortValue(const QModelIndex& sourceIndex) const
{
    SortValue result;
    result.value = sourceModel()->data(sourceIndex, Qt::DisplayRole);
    result.text = sortText(sourceIndex, result.value);
    return result;
}

// A date-time on the left compares chronologically with whatever the right
// side converts to; everything else compares by locale-aware text.
bool MySortFilterProxyModel::less(const SortValue& left, const SortValue& right)
{
    if (left.value.type() == QVariant::DateTime)
        return left.value.toDateTime() < right.value.toDateTime();
    return QString::localeAwareCompare(left.text, right.text) < 0;
}

const MySortFilterProxyModel::SortValue*
MySortFilterProxyModel::cachedSortValue(const QModelIndex& sourceIndex) const
{
    if (sourceIndex.column() != m_nSortValuesColumn || sourceIndex.model() != sourceModel() ||
        sourceIndex.parent().isValid())
        return nullptr;
    const int row = sourceIndex.row();
    return row >= 0 && row < m_sortValues.size() ? &m_sortValues.at(row) : nullptr;
}

void MySortFilterProxyModel::sort(int column, Qt::SortOrder order)
{
    QAbstractItemModel* source = sourceModel();
    // The base class ignores a request for the order it already keeps up.
    const bool unchanged = dynamicSortFilter() && sortColumn() == column && sortOrder() == order;
    if (source && !unchanged && column >= 0 && column < source->columnCount()) {
        const int rows = source->rowCount();
        m_sortValues.reserve(rows);
        for (int row = 0; row < rows; ++row)
            m_sortValues.append(sortValue(source->index(row, column)));
        m_nSortValuesColumn = column;
    }
    QSortFilterProxyModel::sort(column, order);
    m_sortValues.clear();
    m_sortValues.squeeze();
    m_nSortValuesColumn = -1;
}

bool MySortFilterProxyModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    if (!sourceModel())
        return false;
    const SortValue* cachedLeft = cachedSortValue(left);
    const SortValue* cachedRight = cachedSortValue(right);
    if (cachedLeft && cachedRight)
        return less(*cachedLeft, *cachedRight);
    return less(cachedLeft ? *cachedLeft : sortValue(left),
                cachedRight ? *cachedRight : sortValue(right));
}
