#ifndef SAMPLECALLS_H
#define SAMPLECALLS_H

#include "samplebackupcontent.h"

#include <functional>

class SampleRandom;
class SampleStoreContext;
class SqliteWriter;

// The call history of a sample backup, written into an open database: the
// old store (call_history.db, iOS 7) or the newer one (CallHistory.storedata),
// with phone, FaceTime and app calls answered, missed, unanswered and, where
// the store keeps why a call ended, cancelled. From iOS 17 on the store marks
// only incoming calls answered: an outgoing call that connected has
// ZANSWERED 0 and a duration. The calls are appended to the content in date
// order.
class SampleCalls
{
public:
    // The store as the backup keeps it (call_history.db up to iOS 7, else
    // CallHistory.storedata), with its deletions; appends the calls to the
    // context's content.
    static bool WriteStore(SampleStoreContext& context);
    // ios: the system generation whose store is written (7 the old one).
    // `early`, when given (the newer store), runs once, right after the call
    // that made the table outgrow its root page, which keeps its old cells
    // as an interior page; `beforeUpdate`, when given, runs once just before
    // a generation whose update appended columns to the call table (iOS 18)
    // adds them, so that the calls it deletes are records older than those
    // columns; `late`, when given, runs after each of the last fifth of the
    // calls. A false answer from any fails the write.
    static bool Write(SqliteWriter& db, SampleRandom& random, double now, int scale, int ios,
                      SampleBackupContent& content, const std::function<bool()>& early = nullptr,
                      const std::function<bool()>& beforeUpdate = nullptr,
                      const std::function<bool()>& late = nullptr);
};

#endif // SAMPLECALLS_H
