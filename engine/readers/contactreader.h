#ifndef CONTACTREADER_H
#define CONTACTREADER_H

#include "readercontext.h"

// Reads the address book (AddressBook.sqlitedb, the same tables from iOS 7
// on): a contact per ABPerson row, with every value of ABMultiValue by its
// property (phones, e-mails, postal addresses, URLs, dates, related names,
// instant messaging, social profiles); the parts of addresses, instant
// message and social profile entries stand in ABMultiValueEntry. Birthdays
// and dates are floating. The context is borrowed.
class ContactReader
{
public:
    explicit ContactReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items);

private:
    ReaderContext& m_context;
};

#endif // CONTACTREADER_H
