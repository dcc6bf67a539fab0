#ifndef CONTACTSEARCHINDEX_H
#define CONTACTSEARCHINDEX_H

#include <QByteArray>
#include <QList>

struct sqlite3;

// What the address book's search index (ABPersonFullTextSearch_content)
// keeps of each person: names, organization, note, numbers and e-mail
// addresses. Its columns are numbered differently by generation (c15Phone,
// later c16Phone), so they are found by the property their name ends in.
// Writes what it knows into the rows an address book lost, so that every
// reader of them (a page, a merge) sees the same people. Holds nothing.
class ContactSearchIndex
{
public:
    static const char* const Table;
    // The name the rows a database lost of it are laid out under: its own
    // is kept for the index.
    static const char* const LostTable;

    // Completes the people of the laid-out address book `db` from its
    // LostTable: the name parts they lack, and their numbers and addresses
    // where they have none. True also when there is no index; false when a
    // write fails.
    static bool Complete(sqlite3* db);
    // The numbers of an index cell: each number is there as typed (spaces
    // and all) and in other forms, so runs of digits make one number and a
    // number whose digits another ends in is that number again.
    static QList<QByteArray> Numbers(const QByteArray& cell);
};

#endif // CONTACTSEARCHINDEX_H
