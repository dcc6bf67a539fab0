#ifndef MBDBFIELDREADER_H
#define MBDBFIELDREADER_H

#include <QByteArray>

// Reads the fields of a Manifest.mbdb index one at a time, big-endian, from
// a given offset. Any read that would end past the index sets `ok` to false
// for good, so a damaged index is told by one check after a record. The
// reader only looks at the caller's bytes; it owns nothing.
class MbdbFieldReader
{
public:
    MbdbFieldReader(const QByteArray& data, int at) : m_data(data), m_at(at) {}
    bool ok = true;
    int At() const { return m_at; }
    bool AtEnd() const { return m_at >= m_data.size(); }

    quint64 Number(int bytes);
    void Skip(int bytes);
    // A string's bytes; null for the "none" length (0xFFFF), else never null.
    QByteArray String();

private:
    const QByteArray& m_data;
    int m_at;
};

#endif // MBDBFIELDREADER_H
