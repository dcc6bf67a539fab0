#ifndef CORPUSSCORER_H
#define CORPUSSCORER_H

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// Runs the SQLite record carver over the SQLite forensic corpus (databases
// NN-MM.db, each with an XML answer key NN-MM.xml marking the deleted rows)
// and counts, per category folder, how many deleted rows a carved record
// reproduces (recall) and how many carved records reproduce a deleted row
// (precision). A value matches when the key's text, number or NULL equals
// it; a carved rowid alias may be null.
//
//     CorpusScorer scorer;
//     scorer.run("/path/to/sqlite_forensic_corpus_v1.0");
//     qInfo().noquote() << scorer.table();
class CorpusScorer
{
public:
    struct Counts
    {
        int databases = 0;
        int unreadable = 0;    // databases the carver refused to open
        int deletedRows = 0;   // in the answer keys
        int recoveredRows = 0; // deleted rows some carved record reproduces
        int carved = 0;        // whole records the carver reported
        int correct = 0;       // carved records that reproduce a deleted row
        int partial = 0;       // records with lost values, no exact recovery: apart
        double recall() const { return deletedRows ? double(recoveredRows) / deletedRows : 1.0; }
        double precision() const { return carved ? double(correct) / carved : 1.0; }
    };

    // Scores every NN-MM.db under root; false when none was found.
    bool run(const QString& root);
    // Scores one database against its key, adding to its category.
    Counts scoreDatabase(const QString& databasePath, const QString& keyPath);

    const QMap<QString, Counts>& categories() const { return m_categories; }
    Counts category(const QString& name) const { return m_categories.value(name); }
    // One line per category: databases, deleted rows, recovered, carved, correct, recall,
    // precision, partial records.
    QString table() const;

private:
    struct KeyRow
    {
        QString table;
        QStringList values;
    };
    struct CarvedRow
    {
        QString table;
        QStringList values;   // as the key writes them; NULL as "NULL"
        QVector<int> numeric; // 1 where the value is a number
        int alias = -1;       // the rowid alias column when its value is unknown
    };
    static QVector<KeyRow> readDeletedRows(const QString& keyPath);
    static bool matches(const CarvedRow& carved, const KeyRow& key);

    QMap<QString, Counts> m_categories;
};

#endif // CORPUSSCORER_H
