#ifndef CONTACTADDRESSLIST_H
#define CONTACTADDRESSLIST_H

#include "contracts/icontactaddresslist.h"
#include "recordtext.h"

#include <vector>

// The postal addresses of a contact. Owned by its ContactRecord.
class ContactAddressList : public MMobile::IContactAddressList
{
public:
    enum Field { Street, City, State, PostalCode, Country, Label, FieldCount };

    ContactAddressList();
    virtual ~ContactAddressList();
    // A new empty address, to be filled through the returned texts.
    RecordText& Append();

    unsigned int GetCount() override;
    const char* GetStreet(unsigned int index) override;
    const char* GetCity(unsigned int index) override;
    const char* GetState(unsigned int index) override;
    const char* GetPostalCode(unsigned int index) override;
    const char* GetCountry(unsigned int index) override;
    const char* GetLabel(unsigned int index) override;

private:
    const char* Get(unsigned int index, Field field) const;
    std::vector<RecordText> m_entries;
};

#endif // CONTACTADDRESSLIST_H
