#include "contactorganization.h"

ContactOrganization::ContactOrganization() : m_text(FieldCount) {}
ContactOrganization::~ContactOrganization() = default;

const char* ContactOrganization::GetDepartment()
{
    return m_text.Get(Department);
}
const char* ContactOrganization::GetJobTitle()
{
    return m_text.Get(JobTitle);
}
const char* ContactOrganization::GetCompanyPhonetic()
{
    return m_text.Get(CompanyPhonetic);
}
const char* ContactOrganization::GetCompanyName()
{
    return m_text.Get(Company);
}
