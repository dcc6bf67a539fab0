#ifndef REMINDERSTOREREADER_H
#define REMINDERSTOREREADER_H

#include "readercontext.h"

#include <QStringList>

class SchemaProbe;
class SqliteDb;

// Reads the Reminders app's own stores (iOS 13 on): every
// Container_v1/Stores/Data-<id>.sqlite of the reminders app group, one per
// account. Reminders come from ZREMCDREMINDER, their list's name from the
// list table of the store's generation (ZREMCDBASELIST, ZREMCDLIST or
// ZREMCDOBJECT); one marked for deletion reports IsDeleted(). The context is
// borrowed; the items made are handed to the caller with their due time, so
// that they can be merged with the calendar store's reminders.
class ReminderStoreReader
{
public:
    struct Dated
    {
        double due; // stored seconds since 2001; lowest() when there is none
        std::unique_ptr<EngineItem> item;
        // The calendar item's identifiers: UUID and unique_identifier in the
        // calendar store, the one kept from it (ZDACALENDARITEMUNIQUEIDENTIFIER)
        // in the Reminders app's store.
        QStringList ids;
    };
    using DatedItems = std::vector<Dated>;

    explicit ReminderStoreReader(ReaderContext& context) : m_context(context) {}
    // False with the context's error when a store cannot be read or lacks
    // ZREMCDREMINDER.
    bool Read(DatedItems& reminders);

    static const char* const Domain;

private:
    // `path`: the store's path in the domain.
    bool ReadStore(SqliteDb& db, const QString& path, DatedItems& reminders);

    ReaderContext& m_context;
};

#endif // REMINDERSTOREREADER_H
