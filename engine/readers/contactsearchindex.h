#ifndef CONTACTSEARCHINDEX_H
#define CONTACTSEARCHINDEX_H

#include <QByteArray>
#include <QHash>
#include <QList>

class ContactRecord;
class SqliteDb;

// What the address book's search index (ABPersonFullTextSearch_content)
// keeps of each person: names, organization, note, numbers and e-mail
// addresses. Its columns are numbered differently by generation (c15Phone,
// later c16Phone), so they are found by the property their name ends in.
// Fills in what a recovered contact lacks; owns its copy of the rows.
class ContactSearchIndex
{
public:
    static const char* const Table;
    // The name the rows a database lost of it are laid out under: its own
    // is kept for the index.
    static const char* const LostTable;

    // Reads `table` of `db` (Table or LostTable); false when it has none.
    bool Load(SqliteDb& db, const char* table);
    // Fills the name, organization and note parts `contact` lacks, and its
    // numbers and addresses when it has none, from the index row of person
    // `id`; true when it changed a part of the name.
    bool FillIn(qint64 id, ContactRecord& contact) const;
    // The numbers of an index cell: each number is there as typed (spaces
    // and all) and in other forms, so runs of digits make one number and a
    // number whose digits another ends in is that number again.
    static QList<QByteArray> Numbers(const QByteArray& cell);

private:
    // Property ("First", "Phone", ...) -> text, by person.
    QHash<qint64, QHash<QByteArray, QByteArray>> m_rows;
};

#endif // CONTACTSEARCHINDEX_H
