#ifndef MESSAGEORDER_H
#define MESSAGEORDER_H

#include "sqlitedb.h"

#include <QByteArray>

#include <cstddef>
#include <utility>
#include <vector>

// The order of each conversation's messages as SQLite's ORDER BY date,
// ROWID gives it (NULL first, then numbers by value, texts, blobs byte by
// byte), for rows a query gave unsorted. The message reader asks SQLite for
// its rows in the joins' order, which is mostly the dates' already, and puts
// the few conversations that came otherwise in order itself: SQLite would
// sort every row with its texts, at about the cost of the query.
class MessageOrder
{
public:
    explicit MessageOrder(std::size_t conversations);

    void Reserve(std::size_t rows);
    // The next row read, of conversation `conversation`: its date in column
    // `date`, its rowid.
    void Add(std::size_t conversation, const SqliteDb::Row& row, int date, qint64 rowid);
    // The conversations whose rows did not come in order, each with the
    // positions of its rows (0: the first it got) in date order.
    std::vector<std::pair<std::size_t, std::vector<std::size_t>>> Disorder() const;

private:
    struct Key
    {
        qint64 rowid;
        qint64 value; // the integer, the real's bits, or the index of the bytes
        int type;     // SQLite's storage class
        int conversation;
    };
    bool Less(const Key& a, const Key& b) const;

    std::vector<Key> m_keys;         // in the order the rows came
    std::vector<QByteArray> m_bytes; // dates stored as text or blob
    std::vector<qint64> m_last;      // by conversation: its last key, or -1
    std::vector<bool> m_unsorted;    // by conversation
};

#endif // MESSAGEORDER_H
