#include "samplereminderstore.h"

#include "samplerandom.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QUuid>

const char* const SampleReminderStore::Domain = "AppDomainGroup-group.com.apple.reminders";

QString SampleReminderStore::Path()
{
    const QString id = QUuid::createUuidV5(QUuid(), QStringLiteral("reminders-account"))
                           .toString(QUuid::WithoutBraces)
                           .toUpper();
    return QStringLiteral("Container_v1/Stores/Data-%1.sqlite").arg(id);
}

namespace {

bool InsertReminder(SqliteWriter& db, const SampleBackupContent::Reminder& reminder, int list,
                    const QString& calendarItemId)
{
    return db.Insert("INSERT INTO ZREMCDREMINDER (Z_ENT, Z_OPT, ZALLDAY, ZCOMPLETED, ZFLAGGED, "
                     "ZMARKEDFORDELETION, ZPRIORITY, ZLIST, ZCOMPLETIONDATE, ZCREATIONDATE, "
                     "ZDUEDATE, ZTITLE, ZNOTES, ZDACALENDARITEMUNIQUEIDENTIFIER) VALUES (21, 1, 0, "
                     "?, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                     {reminder.completed ? 1 : 0, reminder.deleted ? 1 : 0, reminder.priority, list,
                      reminder.completed ? QVariant(reminder.due + 600) : QVariant(),
                      reminder.due - 86400.0, reminder.due, reminder.title,
                      reminder.note.isEmpty() ? QVariant() : QVariant(reminder.note),
                      calendarItemId}) >= 0;
}

} // namespace

bool SampleReminderStore::Write(SqliteWriter& db, SampleRandom& random, double due, int scale,
                                const std::vector<Moved>& moved, SampleBackupContent& content,
                                const QString& idSuffix)
{
    if (!db.Exec("CREATE TABLE ZREMCDBASELIST (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT "
                 "INTEGER, ZMARKEDFORDELETION INTEGER, ZNAME VARCHAR, ZCOLOR BLOB);"
                 "CREATE TABLE ZREMCDREMINDER (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT "
                 "INTEGER, ZALLDAY INTEGER, ZCOMPLETED INTEGER, ZFLAGGED INTEGER, "
                 "ZMARKEDFORDELETION INTEGER, ZPRIORITY INTEGER, ZLIST INTEGER, ZCOMPLETIONDATE "
                 "TIMESTAMP, ZCREATIONDATE TIMESTAMP, ZDUEDATE TIMESTAMP, ZLASTMODIFIEDDATE "
                 "TIMESTAMP, ZTITLE VARCHAR, ZNOTES VARCHAR, ZIDENTIFIER BLOB, "
                 "ZDACALENDARITEMUNIQUEIDENTIFIER VARCHAR)"))
        return false;
    QStringList lists = {QStringLiteral("Work"), QStringLiteral("Family")};
    for (const Moved& reminder : moved) {
        if (!lists.contains(reminder.reminder.list))
            lists << reminder.reminder.list;
    }
    for (const QString& list : lists) {
        if (db.Insert("INSERT INTO ZREMCDBASELIST (Z_ENT, Z_OPT, ZMARKEDFORDELETION, ZNAME) "
                      "VALUES (4, 1, 0, ?)",
                      {list}) < 0)
            return false;
    }
    for (const Moved& reminder : moved) {
        if (!InsertReminder(db, reminder.reminder, int(lists.indexOf(reminder.reminder.list)) + 1,
                            reminder.calendarItemId))
            return false;
    }
    const int priorities[] = {0, 1, 5, 9};
    for (int i = 0; i < 20 * scale; ++i) {
        SampleBackupContent::Reminder reminder;
        due += random.Range(3600, 150000);
        reminder.due = due;
        reminder.title = QStringLiteral("Call %1").arg(random.Pick(SampleWords::FirstNames));
        reminder.list = lists[i % 2];
        reminder.completed = i % 3 == 0;
        reminder.priority = priorities[i % 4];
        reminder.note = i % 4 == 1 ? random.Sentence() : QString();
        reminder.deleted = i % 7 == 4;
        const QString id =
            QUuid::createUuidV5(QUuid(), QStringLiteral("store-reminder-%1").arg(i) + idSuffix)
                .toString(QUuid::WithoutBraces)
                .toUpper();
        if (!InsertReminder(db, reminder, i % 2 + 1, id))
            return false;
        content.reminders.push_back(reminder);
    }
    return true;
}
