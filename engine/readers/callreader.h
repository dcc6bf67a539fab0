#ifndef CALLREADER_H
#define CALLREADER_H

#include "readercontext.h"

// Reads the call history: CallHistory.storedata (ZCALLRECORD, iOS 8 on) or,
// in older backups, call_history.db (table call). Numbers the address book
// knows get its names. The context is borrowed.
class CallReader
{
public:
    explicit CallReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items);

private:
    ReaderContext& m_context;
};

#endif // CALLREADER_H
