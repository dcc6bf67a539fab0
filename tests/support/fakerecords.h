#ifndef FAKERECORDS_H
#define FAKERECORDS_H

// Fake records of the categories whose record is a plain row of texts: call
// history, calendar, notes, Safari bookmarks, WeChat contacts and reminders.
// They are grouped here because each is only its field list. Build one from
// its texts in getter order, or set fields one by one:
//
//   FakeNote note({"Title", "2020-01-02 03:04:05", "Body", QString(), "Notes"});
//   note.set(FakeNote::Snippet, "short");
//
// Every getter returns the stored text or nullptr for a null one. A record is
// wrapped in a FakeItem (FakeItem::owning, FakeGetter::prependNew) to be listed.

#include "faketextrecord.h"

#include "contracts/icalendar.h"
#include "contracts/icallhistory.h"
#include "contracts/inote.h"
#include "contracts/ireminider.h"
#include "contracts/isafaribookmark.h"
#include "contracts/iwechatfriend.h"

class FakeCallHistory : public FakeTextRecord<MMobile::ICallHistory, 5>
{
public:
    enum Field { Name, PhoneNumber, Date, CallType, Duration };
    using FakeTextRecord::FakeTextRecord;

    const char* GetName() override;
    const char* GetPhoneNumber() override;
    const char* GetDate() override;
    const char* GetCallType() override;
    const char* GetDuration() override;
};

class FakeCalendar : public FakeTextRecord<MMobile::ICalendar, 5>
{
public:
    enum Field { Title, Location, StartDate, EndDate, Note };
    using FakeTextRecord::FakeTextRecord;

    const char* GetTitle() override;
    const char* GetLocation() override;
    const char* GetStartDate() override;
    const char* GetEndDate() override;
    const char* GetNote() override;
};

class FakeNote : public FakeTextRecord<MMobile::INote, 5>
{
public:
    enum Field { Title, Date, Body, Snippet, Folder };
    using FakeTextRecord::FakeTextRecord;

    const char* GetTitle() override;
    const char* GetDate() override;
    const char* GetBody() override;
    const char* GetSnippet() override;
    const char* GetFolder() override;
};

class FakeSafariBookmark : public FakeTextRecord<MMobile::ISafariBookmark, 2>
{
public:
    enum Field { Title, Url };
    using FakeTextRecord::FakeTextRecord;

    const char* GetTitle() override;
    const char* GetUrl() override;
};

class FakeWeChatFriend : public FakeTextRecord<MMobile::IWeChatFriend, 6>
{
public:
    enum Field { UserName, DisplayName, Alias, Remark, Region, Signature };
    using FakeTextRecord::FakeTextRecord;

    const char* GetUserName() override;
    const char* GetDisplayName() override;
    const char* GetAlias() override;
    const char* GetRemark() override;
    const char* GetRegion() override;
    const char* GetSignature() override;
};

class FakeReminider : public FakeTextRecord<MMobile::IReminider, 7>
{
public:
    enum Field { Title, Status, Date, Location, Note, ListName, Priority };
    using FakeTextRecord::FakeTextRecord;

    const char* GetTitle() override;
    const char* GetStatus() override;
    const char* GetDate() override;
    const char* GetLocation() override;
    const char* GetNote() override;
    const char* GetListName() override;
    const char* GetPriority() override;
};

#endif // FAKERECORDS_H
