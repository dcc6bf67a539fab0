#include "alldaydelegate.h"

#include <QLocale>

AllDayDelegate::AllDayDelegate(QObject* parent, DayOf dayOf)
    : QStyledItemDelegate(parent), m_dayOf(std::move(dayOf))
{
}

QString AllDayDelegate::DayText(const QDate& day)
{
    return tr("%1 (all day)").arg(QLocale().toString(day, QLocale::ShortFormat));
}

void AllDayDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!option->text.isEmpty() || !m_dayOf)
        return;
    const QDate day = m_dayOf(index);
    if (day.isValid())
        option->text = DayText(day);
}

QString AllDayDelegate::CellText(const QModelIndex& index) const
{
    QStyleOptionViewItem option;
    initStyleOption(&option, index);
    return option.text;
}
