#ifndef ROWIDSET_H
#define ROWIDSET_H

#include <QtGlobal>

#include <cstddef>
#include <vector>

// The rowids a laid-out table holds, in one open-addressed block: a table
// of many thousand rows otherwise costs a node per rowid to make and to free.
// A plain value.
class RowidSet
{
public:
    bool contains(qint64 rowid) const;
    // False when the set held it already.
    bool insert(qint64 rowid);
    // False when the set did not hold it.
    bool remove(qint64 rowid);
    std::size_t size() const { return m_size; }

private:
    struct Slot
    {
        qint64 rowid = 0;
        bool used = false;
    };
    std::size_t home(qint64 rowid) const;
    void grow();

    std::vector<Slot> m_slots;
    std::size_t m_size = 0;
};

#endif // ROWIDSET_H
