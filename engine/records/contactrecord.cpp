#include "contactrecord.h"

ContactRecord::ContactRecord() : m_text(FieldCount) {}
ContactRecord::~ContactRecord() = default;

MMobile::IContactName* ContactRecord::GetName()
{
    return &m_name;
}
MMobile::IContactList* ContactRecord::GetPhoneList()
{
    return &m_phones;
}
MMobile::IContactOrganization* ContactRecord::GetOrganization()
{
    return &m_organization;
}
MMobile::IContactList* ContactRecord::GetEmailList()
{
    return &m_emails;
}
MMobile::IContactList* ContactRecord::GetUrlList()
{
    return &m_urls;
}
MMobile::IContactAddressList* ContactRecord::GetAddressList()
{
    return &m_addresses;
}
MMobile::IContactList* ContactRecord::GetInstantMessageList()
{
    return &m_instantMessages;
}
MMobile::IContactList* ContactRecord::GetRelatedNameList()
{
    return &m_relatedNames;
}
MMobile::IContactList* ContactRecord::GetDateList()
{
    return &m_dates;
}
const char* ContactRecord::GetNote()
{
    return m_text.Get(Note);
}
const char* ContactRecord::GetBirthday()
{
    return m_text.Get(Birthday);
}
MMobile::IContactList* ContactRecord::GetSocialProfileList()
{
    return &m_socialProfiles;
}
