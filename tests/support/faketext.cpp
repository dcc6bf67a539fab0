#include "faketext.h"

FakeText::FakeText(const char* text) : m_bytes(text), m_null(text == nullptr) {}

FakeText::FakeText(const QString& text) : m_bytes(text.toUtf8()), m_null(text.isNull()) {}

FakeText::FakeText(const QByteArray& text) : m_bytes(text), m_null(text.isNull()) {}
