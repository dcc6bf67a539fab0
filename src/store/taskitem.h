#ifndef TASKITEM_H
#define TASKITEM_H

#include "categorypanel_global.h"
#include "contracts/mmobiletypes.h"

#include <QString>
#include <QVector>

#include <vector>

namespace MMobile {
class IMDCommon;
class IMDGetter;
} // namespace MMobile

// The items of one category found by a scan, with the user's tick and the
// current search mark of each item. The page owns the store; the items are
// borrowed from the engine and never released here.
//
// An item is in view when its search mark is set and, while the only-deleted
// filter is on, it reports itself deleted. Ticks change only on search-marked
// items, and the checked count counts ticked items in view.
//
// AddData inserts at the front, once per item while a scan runs, so the three
// parallel lists are kept in reverse: position i of the store lives at
// size - 1 - i of each list and inserting at the front is an append.
class CATEGORYPANEL_EXPORT TaskItem
{
public:
    explicit TaskItem(MMobile::MDType type);
    TaskItem(const TaskItem& other);
    TaskItem& operator=(const TaskItem& other);
    virtual ~TaskItem();

    virtual void SetDatas(MMobile::IMDGetter* getter);
    // Inserts `item` at position 0; a null item is ignored. `index` is not used here.
    virtual void AddData(MMobile::IMDCommon* item, int index);
    // Items whose search mark is set and, when `onlyDeleted`, that are deleted.
    virtual unsigned int GetDataCount(bool onlyDeleted) const;
    // Every item, whatever its marks.
    virtual unsigned int GetDataCountEx() const;
    virtual MMobile::IMDCommon* GetData(unsigned int index) const;
    virtual void ClearData();
    // Sets every item's drop mark from its tick and returns the selected count.
    virtual unsigned int GetCheckedDataIndexs();
    // Appends the selected positions (every position when `all`) and sets the
    // drop marks; returns how many it appended.
    virtual unsigned int GetCheckedDataIndexs(std::vector<unsigned int>& indexs, bool all);
    virtual Qt::CheckState GetCheckState(unsigned int index) const;
    // Returns the state of the category as a whole, for a select-all box.
    virtual Qt::CheckState SetChecked(unsigned int index, Qt::CheckState state);
    virtual void SetCheckAllState(Qt::CheckState state);
    // Leaves the checked count alone: call UpdateCheckedCountBySearch afterwards.
    virtual void SetSearchMark(unsigned int index, bool mark);
    virtual bool GetSearchMark(unsigned int index) const;
    virtual void UpdateCheckedCountBySearch();
    virtual bool CheckIdxHide(unsigned int index) const;
    // The first position in view, or 0xFFFFFFFF.
    virtual unsigned int GetDefaultIdx() const;
    // Writes at most `max` positions that pass the only-deleted filter into `indexs`.
    virtual unsigned int GetShowItemIdx(unsigned int* indexs, unsigned int max) const;

    MMobile::MDType GetType() const;
    QString GetName() const;
    unsigned int GetCheckedCount() const;
    bool GetOnlyDeleteSelected() const;
    void SetOnlyDeleteSelected(bool onlyDeleted);
    // Whether `item` (probably at `hint`) is selected for recovery; drop marks untouched.
    bool GetCheckedDataIndexs(int hint, MMobile::IMDCommon* item) const;

    // The store name of a category ("Photo", "Contacts", ...); empty for unknown values.
    static QString NameOfType(MMobile::MDType type);

protected:
    // Accessible to subclasses for their own bookkeeping of the checked count.
    void SetCheckedCount(unsigned int count);

private:
    int Slot(unsigned int index) const;
    bool IsDeletedAt(int slot) const;
    bool PassesFilterAt(int slot) const;
    Qt::CheckState InitialState(MMobile::IMDCommon* item) const;
    void Append(MMobile::IMDCommon* item);

    MMobile::MDType m_type;
    QString m_name;
    bool m_bOnlyDeleteSelected;
    quint32 m_checkedCount;
    QVector<MMobile::IMDCommon*> m_items;
    QVector<Qt::CheckState> m_checkStates;
    QVector<bool> m_searchMarks;
};

#endif // TASKITEM_H
