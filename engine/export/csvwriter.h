#ifndef CSVWRITER_H
#define CSVWRITER_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Builds one CSV file (RFC 4180): comma separated, CRLF line ends, fields
// with commas, quotes or line breaks in double quotes with inner quotes
// doubled. UTF-8 with a byte order mark, so that spreadsheets on Windows read
// the names right.
class CsvWriter
{
public:
    explicit CsvWriter(const QStringList& header);
    void AddRow(const QStringList& fields);
    QByteArray Data() const { return m_data; }

    static QString Quote(const QString& field);

private:
    QByteArray m_data;
};

#endif // CSVWRITER_H
