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

bool MySortFilterProxyModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return false;
    const QVariant leftValue = source->data(left, Qt::DisplayRole);
    const QVariant rightValue = source->data(right, Qt::DisplayRole);
    if (leftValue.type() == QVariant::DateTime)
        return leftValue.toDateTime() < rightValue.toDateTime();
    return QString::localeAwareCompare(sortText(left, leftValue), sortText(right, rightValue)) < 0;
}
