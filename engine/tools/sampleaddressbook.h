#ifndef SAMPLEADDRESSBOOK_H
#define SAMPLEADDRESSBOOK_H

class SampleStoreContext;

// The address book of a sample backup (AddressBook.sqlitedb): people with
// their numbers, e-mail and postal addresses, dates, related names and
// accounts, and the full-text index the phone keeps of them. The person
// table is made as an older system made it and gains the later columns by
// ALTER TABLE part of the way in; with deletions, people go as the table
// outgrows its root page, before those columns, once its last leaf is full
// and in the log. Owns nothing.
class SampleAddressBook
{
public:
    // Appends the people to the context's content.
    static bool Write(SampleStoreContext& context);
};

#endif // SAMPLEADDRESSBOOK_H
