#include "corpusscorer.h"

#include "carver.h"
#include "textutf8.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <cmath>

QVector<CorpusScorer::KeyRow> CorpusScorer::readDeletedRows(const QString& keyPath)
{
    QVector<KeyRow> rows;
    QFile file(keyPath);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    QXmlStreamReader xml(&file);
    QString table;
    bool tableDeleted = false; // a dropped table: every row of it is deleted
    bool inElementMeta = false;
    bool inRow = false;
    bool deleted = false;
    KeyRow row;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement()) {
            if (name == QLatin1String("element")) {
                table.clear();
                tableDeleted = false;
                inElementMeta = false;
            } else if (name == QLatin1String("meta") && !inRow) {
                inElementMeta = table.isEmpty();
            } else if (name == QLatin1String("name") && inElementMeta && table.isEmpty()) {
                table = xml.readElementText();
            } else if (name == QLatin1String("deleted") && inElementMeta) {
                tableDeleted = xml.readElementText() == QLatin1String("True");
                inElementMeta = false;
            } else if (name == QLatin1String("row")) {
                inRow = true;
                deleted = tableDeleted ||
                          xml.attributes().value(QLatin1String("deleted")) == QLatin1String("1");
                row = KeyRow{table, {}};
            } else if (name == QLatin1String("content") && inRow) {
                row.values << xml.readElementText();
            }
        } else if (xml.isEndElement() && name == QLatin1String("row")) {
            inRow = false;
            if (deleted)
                rows << row;
        }
    }
    return rows;
}

bool CorpusScorer::matches(const CarvedRow& carved, const KeyRow& key)
{
    if (carved.table != key.table || carved.values.size() != key.values.size())
        return false;
    for (int i = 0; i < key.values.size(); ++i) {
        const QString& mine = carved.values[i];
        const QString& theirs = key.values[i];
        if (i == carved.alias || mine == theirs)
            continue;
        if (!carved.numeric[i])
            return false;
        bool ok = false;
        const double expected = theirs.toDouble(&ok);
        const double found = mine.toDouble();
        if (!ok || std::fabs(expected - found) > 1e-9 * std::max(1.0, std::fabs(expected)))
            return false;
    }
    return true;
}

CorpusScorer::Counts CorpusScorer::scoreDatabase(const QString& databasePath,
                                                 const QString& keyPath)
{
    Counts counts;
    counts.databases = 1;
    const QVector<KeyRow> deletedRows = readDeletedRows(keyPath);
    counts.deletedRows = deletedRows.size();

    QVector<CarvedRow> carved;
    SqliteCarve::Carver carver;
    std::string error;
    if (carver.open(QFile::encodeName(databasePath).toStdString(), {}, {}, &error)) {
        const auto encoding = carver.image().encoding();
        carver.run([&](const SqliteCarve::CarvedRecord& record) {
            if (record.partial()) {
                ++counts.partial;
                return;
            }
            CarvedRow row;
            row.table = QString::fromStdString(record.table->name());
            if (!record.hasRowid)
                row.alias = record.table->aliasColumn();
            for (const SqliteCarve::CarvedValue& v : record.values) {
                std::string text;
                bool numeric = false;
                switch (v.kind) {
                case SqliteCarve::CarvedValue::Kind::Null:
                    text = "NULL";
                    break;
                case SqliteCarve::CarvedValue::Kind::Integer:
                    text = std::to_string(v.integer);
                    numeric = true;
                    break;
                case SqliteCarve::CarvedValue::Kind::Real:
                    text = QByteArray::number(v.real, 'g', 17).toStdString();
                    numeric = true;
                    break;
                case SqliteCarve::CarvedValue::Kind::Text:
                    SqliteCarve::appendUtf8(text, v.bytes, encoding);
                    break;
                case SqliteCarve::CarvedValue::Kind::Blob:
                    text = QByteArray(v.bytes.data(), int(v.bytes.size())).toHex().toStdString();
                    break;
                }
                row.values << QString::fromStdString(text);
                row.numeric << int(numeric);
            }
            carved << row;
        });
    } else {
        counts.unreadable = 1;
    }

    counts.carved = carved.size();
    QVector<bool> used(deletedRows.size(), false);
    for (const CarvedRow& row : carved) {
        bool correct = false;
        for (int k = 0; k < deletedRows.size(); ++k) {
            if (matches(row, deletedRows[k])) {
                correct = true;
                used[k] = true;
            }
        }
        counts.correct += correct;
    }
    counts.recoveredRows = int(std::count(used.begin(), used.end(), true));
    return counts;
}

bool CorpusScorer::run(const QString& root)
{
    m_categories.clear();
    QStringList databases;
    QDirIterator it(root, {QStringLiteral("*.db")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        databases << it.next();
    databases.sort();
    for (const QString& path : databases) {
        const QFileInfo info(path);
        const QString key =
            info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".xml");
        const Counts counts = scoreDatabase(path, key);
        Counts& total = m_categories[info.completeBaseName().section(QLatin1Char('-'), 0, 0)];
        total.databases += counts.databases;
        total.unreadable += counts.unreadable;
        total.deletedRows += counts.deletedRows;
        total.recoveredRows += counts.recoveredRows;
        total.carved += counts.carved;
        total.correct += counts.correct;
        total.partial += counts.partial;
    }
    return !databases.isEmpty();
}

QString CorpusScorer::table() const
{
    QString out = QStringLiteral(
        "category  dbs  deleted  recovered  carved  correct  recall  precision  partial\n");
    for (auto it = m_categories.cbegin(); it != m_categories.cend(); ++it) {
        const Counts& c = it.value();
        out += QString::asprintf("%-8s %4d %8d %10d %7d %8d %7.3f %10.3f %8d\n",
                                 qPrintable(it.key()), c.databases, c.deletedRows, c.recoveredRows,
                                 c.carved, c.correct, c.recall(), c.precision(), c.partial);
    }
    return out;
}
