#include "recordtext.h"

RecordText::RecordText(int fieldCount) : m_fields(fieldCount) {}

void RecordText::Set(int field, const QByteArray& utf8)
{
    if (field < 0 || field >= m_fields.size())
        return;
    m_fields[field] = utf8;
}

void RecordText::Set(int field, const QString& text)
{
    Set(field, text.isNull() ? QByteArray() : text.toUtf8());
}

const char* RecordText::Get(int field) const
{
    if (field < 0 || field >= m_fields.size())
        return nullptr;
    const QByteArray& bytes = m_fields[field];
    return bytes.isNull() ? nullptr : bytes.constData();
}

QString RecordText::String(int field) const
{
    return QString::fromUtf8(Get(field));
}
