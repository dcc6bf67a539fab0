#ifndef SAMPLESTORESCHEMAS_H
#define SAMPLESTORESCHEMAS_H

#include <QString>
#include <QStringList>

// The table definitions of the stores a sample backup holds, as each system
// generation the generator writes (7, 12, 14, 16, 18) lays them out: every
// column with its name, type, order and default as the phone's own schema
// has it, not only those the engine reads, so that records are as long, and
// carve as, the phone's. doc/sample-schemas.md says where each layout comes
// from and which generation boundaries are inferred. Owns nothing.
//
// \code
//   db.Exec(SampleStoreSchemas::Messages(ios));
// \endcode
class SampleStoreSchemas
{
public:
    // sms.db: handle, chat, message, their join tables, attachment and the
    // log of deleted message GUIDs; one SQL text of CREATE statements.
    // A store of iOS 14 on was made by an older system: its message table
    // has iOS 12's columns, and MessageUpdates() those the updates since added.
    static QString Messages(int ios);
    // Column definitions the updates after iOS 12 appended to the message
    // table, in order ("reply_to_guid TEXT", ...); empty up to iOS 12.
    static QStringList MessageUpdates(int ios);
    // CallHistory.storedata's call table (iOS 8 on) as the store first made
    // it; see CallRecordAdded() for what a later update appended.
    static QString CallRecord(int ios);
    // Column definitions a system update appended to the call table of a
    // store made before it ("ZINITIATOR INTEGER", ...); empty where the
    // generation's table was made whole.
    static QStringList CallRecordAdded(int ios);
};

#endif // SAMPLESTORESCHEMAS_H
