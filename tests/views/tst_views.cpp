#include "views/myheaderview.h"
#include "views/mytableview.h"
#include "views/qtreeviewex.h"
#include "views/sortkeycache.h"

#include <QCheckBox>
#include <QRegExp>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

class TestViews : public QObject
{
    Q_OBJECT

private slots:
    void headerBox()
    {
        auto* header = new MyHeaderView(nullptr, Qt::Horizontal);
        QPointer<QCheckBox> box = header->findChild<QCheckBox*>(QStringLiteral("checkAllBox"));
        QVERIFY(box);
        QCOMPARE(
            (QVariantList{box->isTristate(), int(box->checkState()), box->toolTip(),
                          box->geometry(), box->isVisibleTo(header), header->sectionsClickable(),
                          header->stretchLastSection(), header->styleSheet()}),
            (QVariantList{true, int(Qt::Checked), "CheckAll", QRect(-7, 5, 24, 24), true, true,
                          true, "QHeaderView::section {border-right:1px solid grey;}"}));
        // The slot is private: pages reach it through a connection, as here.
        QSignalSpy changed(box.data(), &QCheckBox::stateChanged);
        for (Qt::CheckState state : {Qt::PartiallyChecked, Qt::Unchecked, Qt::Unchecked}) {
            QVERIFY(QMetaObject::invokeMethod(header, "setCheckBoxState",
                                              Q_ARG(Qt::CheckState, state)));
            QCOMPARE(box->checkState(), state);
        }
        QCOMPARE(changed.count(), 2);
        // The box lives and dies with its header.
        delete header;
        QVERIFY(box.isNull());
    }

    // A sort's worker finds the address part without QRegExp: it must take
    // what the proxy's own pattern captures.
    void addressPartAsThePattern_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no address") << "Anna Weber";
        QTest::newRow("empty") << "";
        QTest::newRow("plain") << "anna.weber@example.org";
        QTest::newRow("inside text") << "Work: anna_w@mail.example.de (old)";
        QTest::newRow("nothing before") << "x @example.org";
        QTest::newRow("nothing after") << "anna@ rest";
        QTest::newRow("two addresses") << "a@b.c, d@e.f";
        QTest::newRow("double at") << "a@@b";
        QTest::newRow("digits, dots") << "+49 (0)30 12.34@x";
        QTest::newRow("accents, marks") << QString::fromUtf8("Jürgen e\u0301.x@ß.de");
        QTest::newRow("non-latin") << QString::fromUtf8("电话 李@例子.中国");
        QTest::newRow("roman numeral, superscript") << QString::fromUtf8("Ⅻ²@x");
        QTest::newRow("beyond the BMP") << QString::fromUtf8("a😀b@c😀d");
        QTest::newRow("punctuation") << "<a-b@c-d>";
    }
    void addressPartAsThePattern()
    {
        QFETCH(QString, text);
        QRegExp pattern(QStringLiteral("([\\w\\.]*@[\\w\\.]*)"), Qt::CaseSensitive,
                        QRegExp::RegExp);
        const QString captured = pattern.indexIn(text, 0) != -1 ? pattern.cap(1) : text;
        QCOMPARE(SortKeyCache::AddressPart(text), captured);
    }

    void keysEmitCurrentIndex_data()
    {
        QTest::addColumn<bool>("tree");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("endRow");
        for (bool tree : {false, true}) {
            const QByteArray view = tree ? "tree: " : "table: ";
            QTest::newRow(view + "down moves first") << tree << int(Qt::Key_Down) << 0 << 1;
            QTest::newRow(view + "letter with match") << tree << int(Qt::Key_C) << 0 << 2;
            QTest::newRow(view + "shift, no current index")
                << tree << int(Qt::Key_Shift) << -1 << -1;
        }
    }
    // Every key, after its own handling, reports the current index.
    void keysEmitCurrentIndex()
    {
        QFETCH(bool, tree);
        QFETCH(int, key);
        QFETCH(int, startRow);
        QFETCH(int, endRow);
        QStandardItemModel model;
        for (const char* text : {"apple", "banana", "cherry"}) {
            auto* item = new QStandardItem(QString::fromLatin1(text));
            item->setEditable(false); // letters search instead of editing
            model.appendRow(item);
        }
        // Both views declare the two signals with the same signatures.
        std::unique_ptr<QAbstractItemView> view(
            tree ? static_cast<QAbstractItemView*>(new QTreeViewEX) : new MytableView);
        QSignalSpy next(view.get(), SIGNAL(showNextRowItems(QModelIndex)));
        QSignalSpy previous(view.get(), SIGNAL(showPreRowItems(int)));
        view->setModel(&model);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->setFocus();
        if (startRow >= 0)
            view->setCurrentIndex(model.index(startRow, 0));
        else
            view->selectionModel()->clearCurrentIndex();
        QTest::keyClick(view.get(), Qt::Key(key));
        QCOMPARE(next.count(), 1);
        const QModelIndex reported = next.at(0).at(0).value<QModelIndex>();
        QCOMPARE(reported, view->currentIndex());
        QCOMPARE(reported.isValid() ? reported.row() : -1, endRow);
        QCOMPARE(previous.count(), 0);
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
