#include "fakecontact.h"

const char* FakeContactName::GetFirstName()
{
    return field(FirstName);
}

const char* FakeContactName::GetMiddleName()
{
    return field(MiddleName);
}

const char* FakeContactName::GetLastName()
{
    return field(LastName);
}

const char* FakeContactName::GetPrefix()
{
    return field(Prefix);
}

const char* FakeContactName::GetSuffix()
{
    return field(Suffix);
}

const char* FakeContactName::GetNickname()
{
    return field(Nickname);
}

const char* FakeContactName::GetFirstNamePhonetic()
{
    return field(FirstNamePhonetic);
}

const char* FakeContactName::GetMiddleNamePhonetic()
{
    return field(MiddleNamePhonetic);
}

const char* FakeContactName::GetLastNamePhonetic()
{
    return field(LastNamePhonetic);
}

const char* FakeContactName::GetFullName()
{
    return field(FullName);
}

const char* FakeContactOrganization::GetDepartment()
{
    return field(Department);
}

const char* FakeContactOrganization::GetJobTitle()
{
    return field(JobTitle);
}

const char* FakeContactOrganization::GetCompanyPhonetic()
{
    return field(CompanyPhonetic);
}

const char* FakeContactOrganization::GetCompanyName()
{
    return field(CompanyName);
}

FakeContactList::FakeContactList() = default;

FakeContactList::~FakeContactList() = default;

unsigned int FakeContactList::GetCount()
{
    return static_cast<unsigned int>(m_entries.size());
}

const char* FakeContactList::GetValue(unsigned int index)
{
    return index < m_entries.size() ? m_entries[index][0].get() : nullptr;
}

const char* FakeContactList::GetLabel(unsigned int index)
{
    return index < m_entries.size() ? m_entries[index][1].get() : nullptr;
}

void FakeContactList::append(const FakeText& value, const FakeText& label)
{
    m_entries.push_back({value, label});
}

void FakeContactList::clear()
{
    m_entries.clear();
}

FakeContactAddressList::FakeContactAddressList() = default;

FakeContactAddressList::~FakeContactAddressList() = default;

unsigned int FakeContactAddressList::GetCount()
{
    return static_cast<unsigned int>(m_entries.size());
}

const char* FakeContactAddressList::GetStreet(unsigned int index)
{
    return text(index, Street);
}

const char* FakeContactAddressList::GetCity(unsigned int index)
{
    return text(index, City);
}

const char* FakeContactAddressList::GetState(unsigned int index)
{
    return text(index, State);
}

const char* FakeContactAddressList::GetPostalCode(unsigned int index)
{
    return text(index, PostalCode);
}

const char* FakeContactAddressList::GetCountry(unsigned int index)
{
    return text(index, Country);
}

const char* FakeContactAddressList::GetLabel(unsigned int index)
{
    return text(index, Label);
}

void FakeContactAddressList::append(const QStringList& texts)
{
    std::array<FakeText, FieldCount> entry;
    FakeText::fill(entry.data(), FieldCount, texts);
    m_entries.push_back(entry);
}

void FakeContactAddressList::clear()
{
    m_entries.clear();
}

const char* FakeContactAddressList::text(unsigned int index, Field field) const
{
    return index < m_entries.size() ? m_entries[index][field].get() : nullptr;
}

FakeContact::FakeContact() = default;

FakeContact::~FakeContact() = default;

MMobile::IContactName* FakeContact::GetName()
{
    return &m_name;
}

MMobile::IContactList* FakeContact::GetPhoneList()
{
    return &m_phones;
}

MMobile::IContactOrganization* FakeContact::GetOrganization()
{
    return &m_organization;
}

MMobile::IContactList* FakeContact::GetEmailList()
{
    return &m_emails;
}

MMobile::IContactList* FakeContact::GetUrlList()
{
    return &m_urls;
}

MMobile::IContactAddressList* FakeContact::GetAddressList()
{
    return &m_addresses;
}

MMobile::IContactList* FakeContact::GetInstantMessageList()
{
    return &m_instantMessages;
}

MMobile::IContactList* FakeContact::GetRelatedNameList()
{
    return &m_relatedNames;
}

MMobile::IContactList* FakeContact::GetDateList()
{
    return &m_dates;
}

const char* FakeContact::GetNote()
{
    return m_note.get();
}

const char* FakeContact::GetBirthday()
{
    return m_birthday.get();
}

MMobile::IContactList* FakeContact::GetSocialProfileList()
{
    return &m_socialProfiles;
}
