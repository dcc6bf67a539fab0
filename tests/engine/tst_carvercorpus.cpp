// The record carver over the whole SQLite forensic corpus: every database,
// the malformed ones included, is carved without a crash; the deleted records
// of category 0C are all found and nothing else, and of the overwritten ones
// (0D) every record whose values all survive, with hardly a wrong one.

#include "corpusscorer.h"

#include <QDir>
#include <QtTest>

class TestCarverCorpus : public QObject
{
    Q_OBJECT

private slots:
    void deletedRecords_data();
    void deletedRecords();
};

void TestCarverCorpus::deletedRecords_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<double>("recall");
    QTest::addColumn<double>("precision");
    QTest::newRow("deleted records") << QStringLiteral("0C") << 1.0 << 1.0;
    // 19 of the 45 rows survive whole; the rest were overwritten.
    QTest::newRow("overwritten records") << QStringLiteral("0D") << 0.40 << 0.97;
}

void TestCarverCorpus::deletedRecords()
{
    QFETCH(QString, category);
    QFETCH(double, recall);
    QFETCH(double, precision);
    const QString root = QStringLiteral(CARVER_CORPUS_DIR);
    if (!QDir(root).exists())
        QSKIP("the SQLite forensic corpus is not beside the repository");
    static CorpusScorer scorer;
    if (scorer.categories().isEmpty()) {
        QVERIFY(scorer.run(root));
        qInfo().noquote() << "\n" << scorer.table();
    }

    const CorpusScorer::Counts counts = scorer.category(category);
    QVERIFY(counts.deletedRows > 0);
    QCOMPARE(counts.unreadable, 0);
    QVERIFY2(counts.recall() >= recall, qPrintable(QString::number(counts.recall())));
    QVERIFY2(counts.precision() >= precision, qPrintable(QString::number(counts.precision())));
}

QTEST_GUILESS_MAIN(TestCarverCorpus)
#include "tst_carvercorpus.moc"
