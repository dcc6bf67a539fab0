#ifndef TEXTPIECE_H
#define TEXTPIECE_H

#include <QByteArray>

// UTF-8 bytes someone else owns, borrowed for as long as it takes to copy
// them into a record: a column of the row a query is on, a text in a
// buffer. A null data pointer is an absent text, as a null QByteArray is;
// an empty text points somewhere with a size of 0.
struct TextPiece
{
    const char* data = nullptr;
    int size = 0;

    TextPiece() = default;
    TextPiece(const char* bytes, int length) : data(bytes), size(bytes ? length : 0) {}
    // The bytes of `bytes`, which must outlive the piece.
    TextPiece(const QByteArray& bytes)
        : data(bytes.isNull() ? nullptr : bytes.constData()), size(bytes.size())
    {
    }

    bool IsNull() const { return data == nullptr; }
    bool IsEmpty() const { return size == 0; }
};

#endif // TEXTPIECE_H
