#ifndef CONTACTORGANIZATION_H
#define CONTACTORGANIZATION_H

#include "contracts/icontactorganization.h"
#include "recordtext.h"

// The organisation record of a contact. Owned by its ContactRecord.
class ContactOrganization : public MMobile::IContactOrganization
{
public:
    enum Field { Department, JobTitle, CompanyPhonetic, Company, FieldCount };

    ContactOrganization();
    virtual ~ContactOrganization();
    RecordText& Text() { return m_text; }

    const char* GetDepartment() override;
    const char* GetJobTitle() override;
    const char* GetCompanyPhonetic() override;
    const char* GetCompanyName() override;

private:
    RecordText m_text;
};

#endif // CONTACTORGANIZATION_H
