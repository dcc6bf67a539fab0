#ifndef NOTEBODY_H
#define NOTEBODY_H

#include <QByteArray>

// The full text of a note of the newer store: ZICNOTEDATA.ZDATA is a gzip
// stream of a protocol buffer in which the text is field 2 of the note
// (field 3) of the document (field 2). Only that path is walked; other
// fields are skipped by their wire type. Stateless.
class NoteBody
{
public:
    // Null when the data is not such a stream or holds no text.
    static QByteArray Text(const QByteArray& data);
    // The value of the first length-delimited `field` of `message`; null when
    // absent. Other stores' protocol buffers are walked with it too.
    static QByteArray Field(const QByteArray& message, int field);

private:
    static QByteArray Inflate(const QByteArray& data);
};

#endif // NOTEBODY_H
