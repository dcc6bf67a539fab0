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
class SampleReminderStore
{
public:
    static const char* const Domain;
    static QString Path();
    static bool Write(SqliteWriter& db, SampleRandom& random, double due, int scale,
                      SampleBackupContent& content);
};

#endif // SAMPLEREMINDERSTORE_H
