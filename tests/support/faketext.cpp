#include "faketext.h"

#include <QStringList>

FakeText::FakeText(const char* text) : m_bytes(text), m_null(text == nullptr) {}

FakeText::FakeText(const QString& text) : m_bytes(text.toUtf8()), m_null(text.isNull()) {}

FakeText::FakeText(const QByteArray& text) : m_bytes(text), m_null(text.isNull()) {}

void FakeText::fill(FakeText* texts, int count, const QStringList& values)
{
    if (!texts)
        return;
    for (int i = 0; i < count; ++i)
        texts[i] = i < values.size() ? FakeText(values.at(i)) : FakeText();
}
