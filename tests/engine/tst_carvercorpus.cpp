// The record carver over the whole SQLite forensic corpus: every database,
// the malformed ones included, is carved without a crash, and the deleted
// records of category 0C are found with the recall and precision promised.

#include "corpusscorer.h"

#include <QDir>
#include <QtTest>

class TestCarverCorpus : public QObject
{
    Q_OBJECT

private slots:
    void deletedRecords();
};

void TestCarverCorpus::deletedRecords()
{
    const QString root = QStringLiteral(CARVER_CORPUS_DIR);
    if (!QDir(root).exists())
        QSKIP("the SQLite forensic corpus is not beside the repository");
    CorpusScorer scorer;
    QVERIFY(scorer.run(root));
    qInfo().noquote() << "\n" << scorer.table();

    const CorpusScorer::Counts deleted = scorer.category(QStringLiteral("0C"));
    QVERIFY(deleted.deletedRows > 0);
    QCOMPARE(deleted.unreadable, 0);
    QVERIFY2(deleted.recall() >= 0.90, qPrintable(QString::number(deleted.recall())));
    QVERIFY2(deleted.precision() >= 0.97, qPrintable(QString::number(deleted.precision())));
}

QTEST_GUILESS_MAIN(TestCarverCorpus)
#include "tst_carvercorpus.moc"
