#ifndef RECORDTEXT_H
#define RECORDTEXT_H

#include <QByteArray>
#include <QString>

#include <vector>

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
    std::vector<QByteArray> m_fields;
};

#endif // RECORDTEXT_H
