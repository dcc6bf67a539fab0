#ifndef MMOBILE_ICONTACT_H
#define MMOBILE_ICONTACT_H

// Record of the contacts category. Record and list getters never return null
// (an absent part is an empty record or list); texts are zero-terminated UTF-8
// owned by the engine, possibly null. The getters stand in the order in which
// the content search reads them, except the social profile list, which the
// search reads before the note and the birthday.

#include "contracts/imdrecord.h"

namespace MMobile {

class IContactName;
class IContactOrganization;
class IContactList;
class IContactAddressList;

class IContact : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_CONTACT;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual IContactName* GetName() = 0;
    virtual IContactList* GetPhoneList() = 0;
    virtual IContactOrganization* GetOrganization() = 0;
    virtual IContactList* GetEmailList() = 0;
    virtual IContactList* GetUrlList() = 0;
    virtual IContactAddressList* GetAddressList() = 0;
    virtual IContactList* GetInstantMessageList() = 0;
    virtual IContactList* GetRelatedNameList() = 0;
    virtual IContactList* GetDateList() = 0;
    virtual const char* GetNote() = 0;
    virtual const char* GetBirthday() = 0;
    virtual IContactList* GetSocialProfileList() = 0;

protected:
    ~IContact() = default;
};

} // namespace MMobile

#endif // MMOBILE_ICONTACT_H
