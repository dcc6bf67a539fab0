#ifndef SAMPLECALENDARSTORE_H
#define SAMPLECALENDARSTORE_H

class SampleStoreContext;

// The calendar store of a sample backup (Calendar.sqlitedb): events, and
// reminders in two lists, some of which the Reminders app's own store
// (SampleReminderStore, from iOS 14 on) holds too. Owns nothing.
class SampleCalendarStore
{
public:
    // Appends the events and reminders to the context's content.
    static bool Write(SampleStoreContext& context);
};

#endif // SAMPLECALENDARSTORE_H
