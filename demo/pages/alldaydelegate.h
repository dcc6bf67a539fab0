#ifndef ALLDAYDELEGATE_H
#define ALLDAYDELEGATE_H

#include <QDate>
#include <QStyledItemDelegate>

#include <functional>

// Draws the start and end cells of the calendar table for all-day events:
// the table's model gives an empty cell for a date without a time, so the
// delegate asks the page for the event's day (through a function) and shows
// it with "(all day)". Every other cell is drawn as by the default delegate.
class AllDayDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using DayOf = std::function<QDate(const QModelIndex& index)>;

    AllDayDelegate(QObject* parent, DayOf dayOf);

    // The text of an all-day cell.
    static QString DayText(const QDate& day);
    // The text the delegate draws in the cell at `index`.
    QString CellText(const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    DayOf m_dayOf;
};

#endif // ALLDAYDELEGATE_H
