#ifndef CALLREADER_H
#define CALLREADER_H

#include "readercontext.h"

// Reads the call history: CallHistory.storedata (ZCALLRECORD, iOS 8 on) or,
// in older backups, call_history.db (table call). The type tells the
// direction ("Outgoing", "Unanswered", "Incoming", "Missed") and, after it,
// a call that is not a phone call: "(FaceTime Video)", "(FaceTime Audio)" or
// the app's name. Numbers and addresses the address book knows get its names.
// The context is borrowed.
class CallReader
{
public:
    explicit CallReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items);

private:
    bool ReadOld(SqliteDb& db, ReaderContext::Items& items);
    void Add(ReaderContext::Items& items, const QString& address, QString name,
             const QByteArray& date, const QString& type, double duration, const char* store,
             qint64 rowid);

    ReaderContext& m_context;
};

#endif // CALLREADER_H
