#ifndef CONTACTMERGER_H
#define CONTACTMERGER_H

#include "categorymerger.h"

#include <QVariant>

// Contacts: the person (ABPerson), each of its values (ABMultiValue) with its
// label, and the parts of addresses and accounts (ABMultiValueEntry) with
// their keys; labels and keys are the target's own rows of the same text.
class ContactMerger : public CategoryMerger
{
public:
    bool Merge(MergeDatabase& db, Selection selection) override;

private:
    // The target's person who is already the src `person`, or -1.
    qint64 Same(MergeDatabase& db, qint64 person);
    // The target's row of the text the src row `rowid` of `table` holds.
    QVariant MapText(MergeDatabase& db, const QString& table, const QVariant& rowid);
};

#endif // CONTACTMERGER_H
