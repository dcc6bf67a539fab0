#ifndef FAKETEXTRECORD_H
#define FAKETEXTRECORD_H

#include "faketext.h"

#include <QStringList>

// Storage shared by the fake records whose content is a fixed row of texts:
// `Count` texts, each settable and possibly null, built from a QStringList in
// the order of the interface's getters (a null QString or a missing entry is a
// null text). The derived record names the fields and implements the getters.
template <class Interface, int Count> class FakeTextRecord : public Interface
{
public:
    static constexpr int FieldCount = Count;

    explicit FakeTextRecord(const QStringList& texts = QStringList()) { setAll(texts); }
    virtual ~FakeTextRecord() = default;

    // Out-of-range fields are ignored.
    void set(int field, const FakeText& text)
    {
        if (field >= 0 && field < Count)
            m_texts[field] = text;
    }
    FakeText text(int field) const
    {
        return field >= 0 && field < Count ? m_texts[field] : FakeText();
    }
    void setAll(const QStringList& texts) { FakeText::fill(m_texts, Count, texts); }

protected:
    const char* field(int index) const { return m_texts[index].get(); }

private:
    FakeText m_texts[Count];
};

#endif // FAKETEXTRECORD_H
