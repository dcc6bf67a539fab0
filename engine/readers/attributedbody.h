#ifndef ATTRIBUTEDBODY_H
#define ATTRIBUTEDBODY_H

#include "textpiece.h"

#include <QByteArray>

// The plain text of a message's attributedBody: an NSAttributedString in the
// typedstream archive format, where newer message stores (iOS 16 on) keep
// the only copy of many messages' texts. The text is the archive's first
// NSString: after the class name come five bytes of type and class data,
// then the length (one byte below 0x80, or 0x81 and two bytes, or 0x82 and
// four, little-endian) and the UTF-8 bytes. Stateless.
class AttributedBody
{
public:
    // Null when the archive holds no readable text.
    static QByteArray Text(const QByteArray& archive);
    // The same, as the bytes of the archive that hold the text.
    static TextPiece Text(TextPiece archive);
};

#endif // ATTRIBUTEDBODY_H
