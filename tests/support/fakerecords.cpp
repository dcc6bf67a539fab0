#include "fakerecords.h"

const char* FakeCallHistory::GetName()
{
    return field(Name);
}

const char* FakeCallHistory::GetPhoneNumber()
{
    return field(PhoneNumber);
}

const char* FakeCallHistory::GetDate()
{
    return field(Date);
}

const char* FakeCallHistory::GetCallType()
{
    return field(CallType);
}

const char* FakeCallHistory::GetDuration()
{
    return field(Duration);
}

const char* FakeCalendar::GetTitle()
{
    return field(Title);
}

const char* FakeCalendar::GetLocation()
{
    return field(Location);
}

const char* FakeCalendar::GetStartDate()
{
    return field(StartDate);
}

const char* FakeCalendar::GetEndDate()
{
    return field(EndDate);
}

const char* FakeCalendar::GetNote()
{
    return field(Note);
}

const char* FakeNote::GetTitle()
{
    return field(Title);
}

const char* FakeNote::GetDate()
{
    return field(Date);
}

const char* FakeNote::GetBody()
{
    return field(Body);
}

const char* FakeNote::GetSnippet()
{
    return field(Snippet);
}

const char* FakeNote::GetFolder()
{
    return field(Folder);
}

const char* FakeSafariBookmark::GetTitle()
{
    return field(Title);
}

const char* FakeSafariBookmark::GetUrl()
{
    return field(Url);
}

const char* FakeWeChatFriend::GetUserName()
{
    return field(UserName);
}

const char* FakeWeChatFriend::GetDisplayName()
{
    return field(DisplayName);
}

const char* FakeWeChatFriend::GetAlias()
{
    return field(Alias);
}

const char* FakeWeChatFriend::GetRemark()
{
    return field(Remark);
}

const char* FakeWeChatFriend::GetRegion()
{
    return field(Region);
}

const char* FakeWeChatFriend::GetSignature()
{
    return field(Signature);
}

const char* FakeReminider::GetTitle()
{
    return field(Title);
}

const char* FakeReminider::GetStatus()
{
    return field(Status);
}

const char* FakeReminider::GetDate()
{
    return field(Date);
}

const char* FakeReminider::GetLocation()
{
    return field(Location);
}

const char* FakeReminider::GetNote()
{
    return field(Note);
}

const char* FakeReminider::GetListName()
{
    return field(ListName);
}

const char* FakeReminider::GetPriority()
{
    return field(Priority);
}
