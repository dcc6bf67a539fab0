#ifndef MMOBILE_ICONTACTLIST_H
#define MMOBILE_ICONTACTLIST_H

// A list of labelled values of a contact (phones, e-mails, web addresses, ...).
// Texts are zero-terminated UTF-8 owned by the engine, possibly null. An index
// that is not below GetCount() answers null, so index 0 of an empty list is
// safe to read (the contacts table does so without asking the count).

namespace MMobile {

class IContactList
{
public:
    virtual unsigned int GetCount() = 0;
    virtual const char* GetValue(unsigned int index) = 0;
    // "home", "work", "mobile" ... as the engine names them.
    virtual const char* GetLabel(unsigned int index) = 0;

protected:
    ~IContactList() = default;
};

} // namespace MMobile

#endif // MMOBILE_ICONTACTLIST_H
