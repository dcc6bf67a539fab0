#include "csvwriter.h"

CsvWriter::CsvWriter(const QStringList& header) : m_data("\xEF\xBB\xBF")
{
    AddRow(header);
}

void CsvWriter::AddRow(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted.append(Quote(field));
    m_data.append(quoted.join(QLatin1Char(',')).toUtf8());
    m_data.append("\r\n");
}

QString CsvWriter::Quote(const QString& field)
{
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
