#ifndef RECORDTEXT_H
#define RECORDTEXT_H

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>

// The UTF-8 texts of one record, by field number. A field never set is
// absent and reads as null, as the data interfaces want; the bytes stay put
// for the record's life, so the pointers handed out stay valid.
class RecordText
{
public:
    explicit RecordText(int fieldCount = 0);

    void Set(int field, const QByteArray& utf8);
    void Set(int field, const QString& text);
    // Null for an absent field or one out of range.
    const char* Get(int field) const;
    QString String(int field) const;

private:
    // A message entry's few fields (the most numerous records) need no
    // allocation of their own.
    QVarLengthArray<QByteArray, 3> m_fields;
};

#endif // RECORDTEXT_H
