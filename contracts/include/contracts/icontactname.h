#ifndef MMOBILE_ICONTACTNAME_H
#define MMOBILE_ICONTACTNAME_H

// The name record of a contact. Texts are zero-terminated UTF-8 owned by the
// engine, possibly null. The nine parts come before the full name; the search
// reads the parts only when the full name is null or empty.

namespace MMobile {

class IContactName
{
public:
    virtual const char* GetFirstName() = 0;
    virtual const char* GetMiddleName() = 0;
    virtual const char* GetLastName() = 0;
    virtual const char* GetPrefix() = 0;
    virtual const char* GetSuffix() = 0;
    virtual const char* GetNickname() = 0;
    virtual const char* GetFirstNamePhonetic() = 0;
    virtual const char* GetMiddleNamePhonetic() = 0;
    virtual const char* GetLastNamePhonetic() = 0;
    virtual const char* GetFullName() = 0;

protected:
    ~IContactName() = default;
};

} // namespace MMobile

#endif // MMOBILE_ICONTACTNAME_H
