#ifndef MMOBILE_ICONTACTORGANIZATION_H
#define MMOBILE_ICONTACTORGANIZATION_H

// The organisation record of a contact. Texts are zero-terminated UTF-8 owned by
// the engine, possibly null. The three parts come before the company name; the
// search reads the parts only when the company name is null or empty.

namespace MMobile {

class IContactOrganization
{
public:
    virtual const char* GetDepartment() = 0;
    virtual const char* GetJobTitle() = 0;
    virtual const char* GetCompanyPhonetic() = 0;
    virtual const char* GetCompanyName() = 0;

protected:
    ~IContactOrganization() = default;
};

} // namespace MMobile

#endif // MMOBILE_ICONTACTORGANIZATION_H
