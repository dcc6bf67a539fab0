#ifndef VCARDWRITER_H
#define VCARDWRITER_H

#include <QByteArray>
#include <QString>

namespace MMobile {
class IContact;
}

// Writes a contact as a vCard 3.0 (RFC 2426): escaped values, CRLF line ends,
// lines folded at 75 bytes without splitting a UTF-8 sequence.
class VCardWriter
{
public:
    static QByteArray Card(MMobile::IContact* contact);
    // Backslash, comma, semicolon and line breaks escaped.
    static QString Escape(const QString& value);
    // One content line, folded, with its CRLF.
    static QByteArray Line(const QString& line);
};

#endif // VCARDWRITER_H
