#include "mbdbfieldreader.h"

quint64 MbdbFieldReader::Number(int bytes)
{
    if (!ok || bytes > m_data.size() - m_at) {
        ok = false;
        return 0;
    }
    quint64 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | static_cast<quint8>(m_data.at(m_at++));
    return value;
}

void MbdbFieldReader::Skip(int bytes)
{
    if (!ok || bytes > m_data.size() - m_at)
        ok = false;
    else
        m_at += bytes;
}

QByteArray MbdbFieldReader::String()
{
    const quint64 size = Number(2);
    if (!ok || size == 0xFFFF)
        return QByteArray();
    if (static_cast<qint64>(size) > m_data.size() - m_at) {
        ok = false;
        return QByteArray();
    }
    const QByteArray value = m_data.mid(m_at, static_cast<int>(size));
    m_at += static_cast<int>(size);
    return value.isNull() ? QByteArray("") : value;
}
