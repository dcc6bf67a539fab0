#ifndef FIRSTTICKRULE_H
#define FIRSTTICKRULE_H

#include <QLabel>

#include <functional>

class TaskItem;

// The one rule every page ticks its items by when a scan has filled it: the
// deleted items are ticked, the others are not, since what was deleted is
// what a recovery is for; and the line above the items that says so. Each
// page owns its note; the store and the tick function are borrowed.
class FirstTickRule : public QLabel
{
    Q_OBJECT

public:
    explicit FirstTickRule(QWidget* parent = nullptr);

    // Ticks the deleted items of `store` and unticks the others (its search
    // marks all set); returns how many are ticked.
    int Apply(TaskItem* store);
    // The same over `rows` rows of a view whose ticks the caller has just
    // cleared: `tick(row)` ticks each row that `isItem` (not a day title)
    // and `isDeleted`.
    int Apply(int rows, const std::function<bool(int)>& isItem,
              const std::function<bool(int)>& isDeleted, const std::function<void(int)>& tick);
    // Says the rule for `deleted` ticked items.
    void Say(int deleted);
};

#endif // FIRSTTICKRULE_H
