#ifndef FAKECONTACT_H
#define FAKECONTACT_H

// The fake contact record and its parts: name, organisation, the labelled
// value lists and the address list. Grouped because the parts exist only
// inside a contact. The contact owns its parts and hands out the same objects
// every time, never null; lists start empty and answer null past their end,
// so index 0 of an empty list is safe to read.
//
//   FakeContact c;
//   c.name().set(FakeContactName::FullName, "Ann Lee");
//   c.phones().append("+100", "mobile");
//   c.addresses().append({"1 Main St", "Town", QString(), "123", "Land", "home"});
//
// Texts are settable and may be null; getters return nullptr for a null text.

#include "faketext.h"
#include "faketextrecord.h"

#include "contracts/icontact.h"
#include "contracts/icontactaddresslist.h"
#include "contracts/icontactlist.h"
#include "contracts/icontactname.h"
#include "contracts/icontactorganization.h"

#include <QStringList>

#include <array>
#include <vector>

class FakeContactName : public FakeTextRecord<MMobile::IContactName, 10>
{
public:
    enum Field {
        FirstName,
        MiddleName,
        LastName,
        Prefix,
        Suffix,
        Nickname,
        FirstNamePhonetic,
        MiddleNamePhonetic,
        LastNamePhonetic,
        FullName
    };
    using FakeTextRecord::FakeTextRecord;

    const char* GetFirstName() override;
    const char* GetMiddleName() override;
    const char* GetLastName() override;
    const char* GetPrefix() override;
    const char* GetSuffix() override;
    const char* GetNickname() override;
    const char* GetFirstNamePhonetic() override;
    const char* GetMiddleNamePhonetic() override;
    const char* GetLastNamePhonetic() override;
    const char* GetFullName() override;
};

class FakeContactOrganization : public FakeTextRecord<MMobile::IContactOrganization, 4>
{
public:
    enum Field { Department, JobTitle, CompanyPhonetic, CompanyName };
    using FakeTextRecord::FakeTextRecord;

    const char* GetDepartment() override;
    const char* GetJobTitle() override;
    const char* GetCompanyPhonetic() override;
    const char* GetCompanyName() override;
};

class FakeContactList : public MMobile::IContactList
{
public:
    FakeContactList();
    virtual ~FakeContactList();

    unsigned int GetCount() override;
    const char* GetValue(unsigned int index) override;
    const char* GetLabel(unsigned int index) override;

    void append(const FakeText& value, const FakeText& label = FakeText());
    void clear();

private:
    std::vector<std::array<FakeText, 2>> m_entries;
};

class FakeContactAddressList : public MMobile::IContactAddressList
{
public:
    enum Field { Street, City, State, PostalCode, Country, Label, FieldCount };

    FakeContactAddressList();
    virtual ~FakeContactAddressList();

    unsigned int GetCount() override;
    const char* GetStreet(unsigned int index) override;
    const char* GetCity(unsigned int index) override;
    const char* GetState(unsigned int index) override;
    const char* GetPostalCode(unsigned int index) override;
    const char* GetCountry(unsigned int index) override;
    const char* GetLabel(unsigned int index) override;

    // One address from its texts in Field order; missing entries are null.
    void append(const QStringList& texts);
    void clear();

private:
    const char* text(unsigned int index, Field field) const;

    std::vector<std::array<FakeText, FieldCount>> m_entries;
};

class FakeContact : public MMobile::IContact
{
public:
    FakeContact();
    virtual ~FakeContact();

    MMobile::IContactName* GetName() override;
    MMobile::IContactList* GetPhoneList() override;
    MMobile::IContactOrganization* GetOrganization() override;
    MMobile::IContactList* GetEmailList() override;
    MMobile::IContactList* GetUrlList() override;
    MMobile::IContactAddressList* GetAddressList() override;
    MMobile::IContactList* GetInstantMessageList() override;
    MMobile::IContactList* GetRelatedNameList() override;
    MMobile::IContactList* GetDateList() override;
    const char* GetNote() override;
    const char* GetBirthday() override;
    MMobile::IContactList* GetSocialProfileList() override;

    FakeContactName& name() { return m_name; }
    FakeContactOrganization& organization() { return m_organization; }
    FakeContactList& phones() { return m_phones; }
    FakeContactList& emails() { return m_emails; }
    FakeContactList& urls() { return m_urls; }
    FakeContactAddressList& addresses() { return m_addresses; }
    FakeContactList& instantMessages() { return m_instantMessages; }
    FakeContactList& relatedNames() { return m_relatedNames; }
    FakeContactList& dates() { return m_dates; }
    FakeContactList& socialProfiles() { return m_socialProfiles; }
    void setNote(const FakeText& note) { m_note = note; }
    void setBirthday(const FakeText& birthday) { m_birthday = birthday; }

private:
    FakeContactName m_name;
    FakeContactOrganization m_organization;
    FakeContactList m_phones;
    FakeContactList m_emails;
    FakeContactList m_urls;
    FakeContactAddressList m_addresses;
    FakeContactList m_instantMessages;
    FakeContactList m_relatedNames;
    FakeContactList m_dates;
    FakeContactList m_socialProfiles;
    FakeText m_note;
    FakeText m_birthday;
};

#endif // FAKECONTACT_H
