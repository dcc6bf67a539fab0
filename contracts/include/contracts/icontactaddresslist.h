#ifndef MMOBILE_ICONTACTADDRESSLIST_H
#define MMOBILE_ICONTACTADDRESSLIST_H

// The postal addresses of a contact: six texts per entry, in the order the
// search reads them. Texts are zero-terminated UTF-8 owned by the engine,
// possibly null; an index not below GetCount() answers null.

namespace MMobile {

class IContactAddressList
{
public:
    virtual unsigned int GetCount() = 0;
    virtual const char* GetStreet(unsigned int index) = 0;
    virtual const char* GetCity(unsigned int index) = 0;
    virtual const char* GetState(unsigned int index) = 0;
    virtual const char* GetPostalCode(unsigned int index) = 0;
    virtual const char* GetCountry(unsigned int index) = 0;
    virtual const char* GetLabel(unsigned int index) = 0;

protected:
    ~IContactAddressList() = default;
};

} // namespace MMobile

#endif // MMOBILE_ICONTACTADDRESSLIST_H
