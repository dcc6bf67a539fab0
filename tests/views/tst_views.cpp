#include "views/myheaderview.h"
#include "views/mytableview.h"
#include "views/qtreeviewex.h"

#include <QCheckBox>
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
