#ifndef FAKETEXT_H
#define FAKETEXT_H

#include <QByteArray>
#include <QString>

// A text as the engine hands it out: UTF-8 that may be null. Fake records keep
// their texts in these so that a getter returns nullptr for a null text and a
// pointer that stays valid for as long as the text is not changed.
//
// Built from a `const char*` (nullptr is null) or a QString (a null QString is
// null, an empty one is the empty text), so record setters take either.
class FakeText
{
public:
    FakeText() = default;
    FakeText(const char* text);
    FakeText(const QString& text);
    FakeText(const QByteArray& text);

    // Null for a null text.
    const char* get() const { return m_null ? nullptr : m_bytes.constData(); }
    bool isNull() const { return m_null; }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    bool m_null = true;
};

#endif // FAKETEXT_H
