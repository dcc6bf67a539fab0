#include "viewstore.h"

#include "views/myheaderview.h"
#include "views/mysortfilterproxymodel.h"
#include "views/mytableview.h"
#include "views/qtreeviewex.h"
#include "views/taskitemmodel.h"
#include "views/treeitemmodel.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QTest>

#include <memory>

using namespace MMobile;

Q_DECLARE_METATYPE(Qt::CheckState)

namespace {

using Tester = QAbstractItemModelTester;

QCheckBox* checkAllBox(MyHeaderView& header)
{
    return header.findChild<QCheckBox*>(QStringLiteral("checkAllBox"));
}

// Exposes what the view and its delegate use to place the check indicator.
class OptionDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::initStyleOption;
};

class TestTable : public MytableView
{
public:
    using MytableView::viewOptions;
};

// Where a click ticks the check box of `index`.
QPoint checkIndicatorCentre(TestTable& view, OptionDelegate& delegate, const QModelIndex& index)
{
    QStyleOptionViewItem option = view.viewOptions();
    option.rect = view.visualRect(index);
    delegate.initStyleOption(&option, index);
    return view.style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view)
        .center();
}

QStandardItemModel* letterRows(QObject* parent)
{
    auto* model = new QStandardItemModel(parent);
    // Not editable, like the table model's cells, so letters search instead of editing.
    for (const char* text : {"apple", "banana", "cherry"}) {
        auto* item = new QStandardItem(QString::fromLatin1(text));
        item->setEditable(false);
        model->appendRow(item);
    }
    return model;
}

} // namespace

class TestViews : public QObject
{
    Q_OBJECT

private slots:
    void headerBox();
    void headerSections();
    void headerSlot_data();
    void headerSlot();
    void headerClickAfterSlot();
    void keysEmitCurrentIndex_data();
    void keysEmitCurrentIndex();
    void clickTicksTheStore();
};

void TestViews::headerBox()
{
    MyHeaderView header(nullptr, Qt::Horizontal);
    QCheckBox* box = checkAllBox(header);
    QVERIFY(box);
    QCOMPARE(box->parentWidget(), &header);
    QVERIFY(box->isTristate());
    QCOMPARE(box->checkState(), Qt::Checked);
    QCOMPARE(box->toolTip(), QStringLiteral("CheckAll"));
    QCOMPARE(box->geometry(), QRect(-7, 5, 24, 24));
    QVERIFY(box->isVisibleTo(&header));
    QCOMPARE(header.orientation(), Qt::Horizontal);

    // The box lives and dies with its header.
    auto* owned = new MyHeaderView(nullptr, Qt::Horizontal);
    QPointer<QCheckBox> ownedBox(checkAllBox(*owned));
    QVERIFY(!ownedBox.isNull());
    delete owned;
    QVERIFY(ownedBox.isNull());
}

void TestViews::headerSections()
{
    QStandardItemModel model(2, 3);
    MytableView view;
    auto* header = new MyHeaderView(&view, Qt::Horizontal);
    view.setHorizontalHeader(header);
    view.setModel(&model);
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QVERIFY(header->sectionsClickable());
    QVERIFY(header->stretchLastSection());
    QCOMPARE(header->styleSheet(),
             QStringLiteral("QHeaderView::section {border-right:1px solid grey;}"));
    for (int section = 0; section < 3; ++section)
        QCOMPARE(header->sectionResizeMode(section), QHeaderView::Interactive);
    // Sections resize; the last one takes up the remaining width.
    header->resizeSection(0, 150);
    QCOMPARE(header->sectionSize(0), 150);
    QCOMPARE(header->sectionPosition(2) + header->sectionSize(2), header->viewport()->width());
    QVERIFY(checkAllBox(*header)->isVisible());
}

void TestViews::headerSlot_data()
{
    QTest::addColumn<Qt::CheckState>("state");
    QTest::addColumn<int>("changes");

    QTest::newRow("partially checked") << Qt::PartiallyChecked << 1;
    QTest::newRow("unchecked") << Qt::Unchecked << 1;
    QTest::newRow("checked again") << Qt::Checked << 0;
}

void TestViews::headerSlot()
{
    QFETCH(Qt::CheckState, state);
    QFETCH(int, changes);

    MyHeaderView header(nullptr, Qt::Horizontal);
    QCheckBox* box = checkAllBox(header);
    QSignalSpy stateChanged(box, &QCheckBox::stateChanged);
    // The slot is private: pages reach it through a connection, as here.
    QVERIFY(QMetaObject::invokeMethod(&header, "setCheckBoxState", Q_ARG(Qt::CheckState, state)));
    QCOMPARE(box->checkState(), state);
    QCOMPARE(stateChanged.count(), changes);
}

void TestViews::headerClickAfterSlot()
{
    QWidget window;
    auto* header = new MyHeaderView(&window, Qt::Horizontal);
    header->setGeometry(10, 0, 300, 34);
    window.resize(320, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCheckBox* box = checkAllBox(*header);

    QSignalSpy source(box, &QCheckBox::stateChanged);
    QVERIFY(QMetaObject::invokeMethod(header, "setCheckBoxState",
                                      Q_ARG(Qt::CheckState, Qt::PartiallyChecked)));
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    // A user click, on the part of the indicator inside the header, moves a
    // tri-state box on to the next state, then around.
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect clickable = box->style()
                                ->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box)
                                .intersected(box->visibleRegion().boundingRect());
    QVERIFY(!clickable.isEmpty());
    const QPoint centre = clickable.center();
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, centre);
    QCOMPARE(box->checkState(), Qt::Checked);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, centre);
    QCOMPARE(box->checkState(), Qt::Unchecked);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, centre);
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    QCOMPARE(source.count(), 4);
}

void TestViews::keysEmitCurrentIndex_data()
{
    QTest::addColumn<bool>("tree");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("endRow");

    for (bool tree : {false, true}) {
        const QByteArray view = tree ? "tree: " : "table: ";
        QTest::newRow(view + "down moves first") << tree << int(Qt::Key_Down) << 0 << 1;
        QTest::newRow(view + "letter without match") << tree << int(Qt::Key_Q) << 1 << 1;
        QTest::newRow(view + "letter with match") << tree << int(Qt::Key_C) << 0 << 2;
        QTest::newRow(view + "shift alone") << tree << int(Qt::Key_Shift) << 2 << 2;
        QTest::newRow(view + "letter, no current index") << tree << int(Qt::Key_Q) << -1 << -1;
        QTest::newRow(view + "shift, no current index") << tree << int(Qt::Key_Shift) << -1 << -1;
    }
}

void TestViews::keysEmitCurrentIndex()
{
    QFETCH(bool, tree);
    QFETCH(int, key);
    QFETCH(int, startRow);
    QFETCH(int, endRow);

    QStandardItemModel* model = letterRows(this);
    std::unique_ptr<QAbstractItemView> view;
    std::unique_ptr<QSignalSpy> next;
    std::unique_ptr<QSignalSpy> previous;
    if (tree) {
        auto* treeView = new QTreeViewEX;
        next = std::make_unique<QSignalSpy>(treeView, &QTreeViewEX::showNextRowItems);
        previous = std::make_unique<QSignalSpy>(treeView, &QTreeViewEX::showPreRowItems);
        view.reset(treeView);
    } else {
        auto* tableView = new MytableView;
        next = std::make_unique<QSignalSpy>(tableView, &MytableView::showNextRowItems);
        previous = std::make_unique<QSignalSpy>(tableView, &MytableView::showPreRowItems);
        view.reset(tableView);
    }
    view->setModel(model);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    view->setFocus();
    if (startRow >= 0)
        view->setCurrentIndex(model->index(startRow, 0));
    else
        view->selectionModel()->clearCurrentIndex();

    QTest::keyClick(view.get(), Qt::Key(key));
    QCOMPARE(next->count(), 1);
    const QModelIndex reported = next->at(0).at(0).value<QModelIndex>();
    QCOMPARE(reported, view->currentIndex());
    QCOMPARE(reported.isValid(), endRow >= 0);
    if (endRow >= 0)
        QCOMPARE(reported.row(), endRow);
    QCOMPARE(previous->count(), 0);
    view.reset();
    delete model;
}

void TestViews::clickTicksTheStore()
{
    ViewStore records(MD_CONTACT);
    records.addContact("Ann", "Acme", "1", false);
    records.addContact("Bo", "Globex", "2", true);
    records.addContact("Cy", "Initech", "3", false);
    TaskItem* store = records.fill();

    TaskItemModel model;
    Tester modelTester(&model, Tester::FailureReportingMode::Fatal);
    model.setCurrentTypeItems(store);
    MySortFilterProxyModel proxy;
    Tester proxyTester(&proxy, Tester::FailureReportingMode::Fatal);
    proxy.setSourceModel(&model);

    TestTable view;
    OptionDelegate delegate;
    view.setItemDelegate(&delegate);
    view.setHorizontalHeader(new MyHeaderView(&view, Qt::Horizontal));
    view.setModel(&proxy);
    view.setSortingEnabled(true);
    view.sortByColumn(0, Qt::DescendingOrder);
    view.resize(500, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    // Descending by name: Cy, Bo, Ann. Cy starts unticked.
    const QModelIndex cy = proxy.index(0, 0);
    QCOMPARE(proxy.data(cy).toString(), QStringLiteral("Cy"));
    const int record = proxy.mapToSource(cy).row();
    QCOMPARE(store->GetCheckState(record), Qt::Unchecked);

    QSignalSpy checked(&model, &TaskItemModel::itemCheckedChanged);
    const QPoint centre = checkIndicatorCentre(view, delegate, cy);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QCOMPARE(store->GetCheckState(record), Qt::Checked);
    QCOMPARE(checked.count(), 1);
    QCOMPARE(checked.at(0).at(0).value<QModelIndex>().row(), record);
    QCOMPARE(store->GetCheckState(0), Qt::Unchecked);

    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QCOMPARE(store->GetCheckState(record), Qt::Unchecked);
    QCOMPARE(checked.count(), 2);

    // A click on the text of another column ticks nothing.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      view.visualRect(proxy.index(1, 2)).center());
    QCOMPARE(checked.count(), 2);
}

QTEST_MAIN(TestViews)
#include "tst_views.moc"
