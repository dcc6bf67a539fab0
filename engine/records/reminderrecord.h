#ifndef REMINDERRECORD_H
#define REMINDERRECORD_H

#include "contracts/ireminider.h"
#include "enginerecord.h"
#include "recordtext.h"

// One reminder of the calendar store or of the Reminders app's stores. Its texts are set by the
// category reader; owned by its EngineItem.
class ReminderRecord : public MMobile::IReminider, public EngineRecord
{
public:
    enum Field { Title, Status, Date, Location, Note, ListName, Priority, FieldCount };

    ReminderRecord();
    ~ReminderRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    RecordText& Text() { return m_text; }
    // Who the item is in its store, whatever the computer's clock: its UUID
    // or unique identifier, else its store and row ("Calendar.sqlitedb#12").
    // Empty when the store tells none.
    const QString& Identity() const { return m_identity; }
    void SetIdentity(const QString& identity) { m_identity = identity; }
    // The texts of a stored priority (1-4 high, 5 medium, 6-9 low, 0 none)
    // and of a completion mark, as both reminder stores keep them.
    static QString PriorityText(qint64 priority);
    static QString StatusText(bool completed);

    const char* GetTitle() override;
    const char* GetStatus() override;
    const char* GetDate() override;
    const char* GetLocation() override;
    const char* GetNote() override;
    const char* GetListName() override;
    const char* GetPriority() override;

private:
    RecordText m_text;
    QString m_identity;
};

#endif // REMINDERRECORD_H
