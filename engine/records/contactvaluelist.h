#ifndef CONTACTVALUELIST_H
#define CONTACTVALUELIST_H

#include "contracts/icontactlist.h"

#include <QByteArray>

#include <vector>

// One labelled list of a contact (phones, e-mails, ...), in database order.
// Owned by its ContactRecord.
class ContactValueList : public MMobile::IContactList
{
public:
    ContactValueList();
    virtual ~ContactValueList();
    void Append(const QByteArray& value, const QByteArray& label);

    unsigned int GetCount() override;
    const char* GetValue(unsigned int index) override;
    const char* GetLabel(unsigned int index) override;

private:
    struct Entry
    {
        QByteArray value;
        QByteArray label;
    };
    std::vector<Entry> m_entries;
};

#endif // CONTACTVALUELIST_H
