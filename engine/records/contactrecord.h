#ifndef CONTACTRECORD_H
#define CONTACTRECORD_H

#include "contactaddresslist.h"
#include "contactname.h"
#include "contactorganization.h"
#include "contactvaluelist.h"
#include "contracts/icontact.h"
#include "enginerecord.h"
#include "recordtext.h"

// A contact of the address book with all its parts, which it owns; every
// part exists, possibly empty.
class ContactRecord : public MMobile::IContact, public EngineRecord
{
public:
    enum Field { Note, Birthday, FieldCount };

    ContactRecord();
    ~ContactRecord() override;
    MMobile::IMDRecord* Record() override { return this; }

    ContactName& Name() { return m_name; }
    ContactOrganization& Organization() { return m_organization; }
    ContactValueList& Phones() { return m_phones; }
    ContactValueList& Emails() { return m_emails; }
    ContactValueList& Urls() { return m_urls; }
    ContactAddressList& Addresses() { return m_addresses; }
    ContactValueList& InstantMessages() { return m_instantMessages; }
    ContactValueList& RelatedNames() { return m_relatedNames; }
    ContactValueList& Dates() { return m_dates; }
    ContactValueList& SocialProfiles() { return m_socialProfiles; }
    RecordText& Text() { return m_text; }

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

private:
    ContactName m_name;
    ContactOrganization m_organization;
    ContactValueList m_phones;
    ContactValueList m_emails;
    ContactValueList m_urls;
    ContactAddressList m_addresses;
    ContactValueList m_instantMessages;
    ContactValueList m_relatedNames;
    ContactValueList m_dates;
    ContactValueList m_socialProfiles;
    RecordText m_text;
};

#endif // CONTACTRECORD_H
