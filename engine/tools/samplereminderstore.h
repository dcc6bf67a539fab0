#ifndef SAMPLEREMINDERSTORE_H
#define SAMPLEREMINDERSTORE_H

#include "samplebackupcontent.h"

class SampleRandom;
class SqliteWriter;

// The Reminders app's own store of iOS 13 and later (one Core Data store per
// account under the app group's Container_v1/Stores): lists in
// ZREMCDBASELIST, reminders in ZREMCDREMINDER, some marked for deletion.
// Written into an open database; the reminders are appended to the content,
// due after `due` (the calendar store's last), so the content stays in order.
// Reminders moved from the calendar store are written again, linked to their
// calendar item, and are not new content.
class SampleReminderStore
{
public:
    struct Moved
    {
        QString calendarItemId;
        SampleBackupContent::Reminder reminder;
    };

    static const char* const Domain;
    static QString Path();
    // `idSuffix` makes the reminders' identifiers another phone's.
    static bool Write(SqliteWriter& db, SampleRandom& random, double due, int scale,
                      const std::vector<Moved>& moved, SampleBackupContent& content,
                      const QString& idSuffix = QString());
};

#endif // SAMPLEREMINDERSTORE_H
