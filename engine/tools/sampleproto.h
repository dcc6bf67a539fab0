#ifndef SAMPLEPROTO_H
#define SAMPLEPROTO_H

#include <QByteArray>
#include <QString>

// Builds a protocol buffer message field by field, as the apps of a sample
// backup store them (WeChat's contact, login and session blobs). Only the
// two wire types those use: varints and length-delimited values. A value.
class SampleProto
{
public:
    SampleProto& Varint(int field, quint64 value);
    SampleProto& Bytes(int field, const QByteArray& value);
    SampleProto& Text(int field, const QString& value) { return Bytes(field, value.toUtf8()); }
    SampleProto& Message(int field, const SampleProto& message)
    {
        return Bytes(field, message.m_data);
    }
    const QByteArray& Data() const { return m_data; }

    // A base-128 varint, low group first.
    static QByteArray VarintBytes(quint64 value);

private:
    QByteArray m_data;
};

#endif // SAMPLEPROTO_H
