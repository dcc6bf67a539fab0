#ifndef CONTACTNAME_H
#define CONTACTNAME_H

#include "contracts/icontactname.h"
#include "recordtext.h"

// The name record of a contact, filled by the contacts reader. Owned by its
// ContactRecord.
class ContactName : public MMobile::IContactName
{
public:
    enum Field {
        First,
        Middle,
        Last,
        Prefix,
        Suffix,
        Nickname,
        FirstPhonetic,
        MiddlePhonetic,
        LastPhonetic,
        Full,
        FieldCount
    };

    ContactName();
    virtual ~ContactName();
    RecordText& Text() { return m_text; }

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

private:
    RecordText m_text;
};

#endif // CONTACTNAME_H
