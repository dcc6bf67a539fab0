#include "sampleproto.h"

QByteArray SampleProto::VarintBytes(quint64 value)
{
    QByteArray bytes;
    do {
        char byte = char(value & 0x7f);
        value >>= 7;
        if (value)
            byte = char(byte | 0x80);
        bytes.append(byte);
    } while (value);
    return bytes;
}

SampleProto& SampleProto::Varint(int field, quint64 value)
{
    m_data += VarintBytes(quint64(field) << 3) + VarintBytes(value);
    return *this;
}

SampleProto& SampleProto::Bytes(int field, const QByteArray& value)
{
    m_data += VarintBytes(quint64(field) << 3 | 2) + VarintBytes(quint64(value.size())) + value;
    return *this;
}
