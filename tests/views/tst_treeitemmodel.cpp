#include "views/treeitem.h"
#include "views/treeitemmodel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QSignalSpy>
#include <QSize>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(Qt::CheckState)

namespace {

using Tester = QAbstractItemModelTester;

// A page's tree model: builds its nodes through the protected appendChild.
class TestTree : public TreeItemModel
{
public:
    explicit TestTree(QStringList headers = {"A", "B"})
        : TreeItemModel(nullptr, headers, MMobile::MD_NOTE)
    {
    }
    TreeItem* add(TreeItem* parent, const QString& text, int type = 1)
    {
        QStringList texts{text, text + " detail"};
        return appendChild(texts, type, this, parent ? parent : GetRootItem());
    }
    // Adds nodes while views may be watching.
    TreeItem* addLive(TreeItem* parent, const QString& text, int type = 1)
    {
        beginResetModel();
        TreeItem* item = add(parent, text, type);
        endResetModel();
        return item;
    }
    using TreeItemModel::beginResetModel;
    using TreeItemModel::endResetModel;
    QModelIndex indexOf(TreeItem* item, int column = 0) const
    {
        if (!item->parent())
            return QModelIndex();
        return index(item->row(), column, indexOf(item->parent()));
    }
};

// Root, one group of type 1 and three leaves: the usual list layout.
struct GroupTree
{
    TestTree model;
    TreeItem* group;
    TreeItem* leaves[3];
    Tester tester{&model, Tester::FailureReportingMode::Fatal};

    GroupTree()
    {
        model.beginResetModel();
        group = model.add(nullptr, "group");
        for (int i = 0; i < 3; ++i)
            leaves[i] = model.add(group, QString("leaf %1").arg(i), 2);
        model.endResetModel();
    }
};

TreeItem* nodeByName(GroupTree& tree, const QString& name)
{
    if (name == "group")
        return tree.group;
    if (name == "root")
        return tree.model.GetRootItem();
    return tree.leaves[name.right(1).toInt()];
}

} // namespace

class TestTreeItemModel : public QObject
{
    Q_OBJECT

private slots:
    void headers();
    void spreadInAGroup_data();
    void spreadInAGroup();
    void rootFollowsTheLastChild();
    void spreadStopsOneLevelUp_data();
    void spreadStopsOneLevelUp();
    void itemNumbersAndStripes();
    void structure();
    void rowCountOutsideColumn0();
    void currentNodeHighlight();
    void setCurrentCheckState();
    void setDataSpreadsAndResets();
    void setDataOtherRoles();
    void flagValues();
    void nodeBasics();
    void clearChild();
};

void TestTreeItemModel::headers()
{
    TestTree model;
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("A"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("B"));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString());
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), 2);
    QCOMPARE(model.headerData(5, Qt::Vertical, Qt::CheckStateRole).toInt(), 2);
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
    QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
    QCOMPARE(model.GetRootItem()->GetItemType(), 0);
    QCOMPARE(model.GetRootItem()->GetlpData(), nullptr);

    QStringList three{"x", "y", "z"};
    TreeItemModel wide(nullptr, three, MMobile::MD_CONTACT);
    QCOMPARE(wide.columnCount(), 3);
}

void TestTreeItemModel::spreadInAGroup_data()
{
    // Steps "node=state" in order; states: u unchecked, c checked.
    QTest::addColumn<QStringList>("steps");
    // Expected states of group, leaf 0, leaf 1, leaf 2: 0, 1 or 2.
    QTest::addColumn<QList<int>>("states");

    QTest::newRow("fresh nodes are checked") << QStringList() << QList<int>{2, 2, 2, 2};
    QTest::newRow("one leaf unchecked") << QStringList{"leaf 1=u"} << QList<int>{1, 2, 0, 2};
    QTest::newRow("two leaves unchecked")
        << QStringList{"leaf 0=u", "leaf 2=u"} << QList<int>{1, 0, 2, 0};
    QTest::newRow("all leaves unchecked")
        << QStringList{"leaf 0=u", "leaf 1=u", "leaf 2=u"} << QList<int>{0, 0, 0, 0};
    QTest::newRow("last leaf rechecked")
        << QStringList{"leaf 0=u", "leaf 1=u", "leaf 2=u", "leaf 1=c"} << QList<int>{1, 0, 2, 0};
    QTest::newRow("group checks all leaves")
        << QStringList{"leaf 0=u", "leaf 2=u", "group=c"} << QList<int>{2, 2, 2, 2};
    QTest::newRow("group unchecks all leaves") << QStringList{"group=u"} << QList<int>{0, 0, 0, 0};
}

void TestTreeItemModel::spreadInAGroup()
{
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, states);

    GroupTree tree;
    for (const QString& step : steps) {
        const QStringList parts = step.split('=');
        tree.model.beginResetModel();
        nodeByName(tree, parts.at(0))->SetChecked(parts.at(1) == "c" ? Qt::Checked : Qt::Unchecked);
        tree.model.endResetModel();
    }
    const QList<TreeItem*> nodes{tree.group, tree.leaves[0], tree.leaves[1], tree.leaves[2]};
    for (int i = 0; i < nodes.size(); ++i) {
        QCOMPARE(int(nodes.at(i)->GetCheckState()), states.at(i));
        QCOMPARE(tree.model.data(tree.model.indexOf(nodes.at(i)), Qt::CheckStateRole).toInt(),
                 states.at(i));
    }
}

void TestTreeItemModel::rootFollowsTheLastChild()
{
    TestTree model;
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    model.beginResetModel();
    TreeItem* first = model.add(nullptr, "first");
    TreeItem* second = model.add(nullptr, "second");
    TreeItem* leaf = model.add(first, "leaf", 2);
    model.endResetModel();
    TreeItem* root = model.GetRootItem();

    first->SetChecked(Qt::Unchecked);
    QCOMPARE(root->GetCheckState(), Qt::Unchecked);
    QCOMPARE(second->GetCheckState(), Qt::Checked);
    QCOMPARE(leaf->GetCheckState(), Qt::Unchecked);

    second->SetChecked(Qt::Checked);
    QCOMPARE(root->GetCheckState(), Qt::Checked);
    QCOMPARE(first->GetCheckState(), Qt::Unchecked);

    // A leaf changes its group; the root keeps the state its last child gave it.
    leaf->SetChecked(Qt::Checked);
    QCOMPARE(first->GetCheckState(), Qt::Checked);
    second->SetChecked(Qt::Unchecked);
    QCOMPARE(root->GetCheckState(), Qt::Unchecked);
    leaf->SetChecked(Qt::Unchecked);
    QCOMPARE(root->GetCheckState(), Qt::Unchecked);
    leaf->SetChecked(Qt::Checked);
    QCOMPARE(root->GetCheckState(), Qt::Unchecked);

    // A type-0 group follows its child the same way the root does.
    model.beginResetModel();
    TreeItem* plain = model.add(nullptr, "plain", 0);
    TreeItem* a = model.add(plain, "a", 2);
    model.add(plain, "b", 2);
    model.endResetModel();
    a->SetChecked(Qt::Unchecked);
    QCOMPARE(plain->GetCheckState(), Qt::Unchecked);
}

void TestTreeItemModel::spreadStopsOneLevelUp_data()
{
    QTest::addColumn<int>("subgroupLeaves");
    QTest::addColumn<int>("subgroupState");

    QTest::newRow("only leaf") << 1 << int(Qt::Unchecked);
    QTest::newRow("one of two leaves") << 2 << int(Qt::PartiallyChecked);
}

void TestTreeItemModel::spreadStopsOneLevelUp()
{
    QFETCH(int, subgroupLeaves);
    QFETCH(int, subgroupState);

    TestTree model;
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    model.beginResetModel();
    TreeItem* group = model.add(nullptr, "group");
    TreeItem* subgroup = model.add(group, "subgroup");
    TreeItem* leaf = model.add(subgroup, "leaf", 2);
    for (int i = 1; i < subgroupLeaves; ++i)
        model.add(subgroup, "other leaf", 2);
    model.endResetModel();

    leaf->SetChecked(Qt::Unchecked);
    QCOMPARE(int(subgroup->GetCheckState()), subgroupState);
    QCOMPARE(group->GetCheckState(), Qt::Checked);
    QCOMPARE(model.GetRootItem()->GetCheckState(), Qt::Checked);

    // Setting the subgroup itself reaches its group, but not the root.
    subgroup->SetChecked(Qt::Unchecked);
    QCOMPARE(group->GetCheckState(), Qt::Unchecked);
    QCOMPARE(model.GetRootItem()->GetCheckState(), Qt::Checked);
}

void TestTreeItemModel::itemNumbersAndStripes()
{
    TestTree model;
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    const int first = TreeItem::m_nItemNo;
    QList<TreeItem*> nodes;
    model.beginResetModel();
    TreeItem* group = model.add(nullptr, "group");
    nodes << group;
    for (int i = 0; i < 9; ++i)
        nodes << model.add(group, QString::number(i), 2);
    model.endResetModel();
    QCOMPARE(TreeItem::m_nItemNo, first + 10);

    const QColor grey(242, 242, 242, 255);
    const QColor white(255, 255, 255, 255);
    for (int i = 0; i < nodes.size(); ++i) {
        QCOMPARE(nodes.at(i)->GetItemNo(), first + i);
        const QColor expected = (first + i) % 2 == 0 ? grey : white;
        for (int column = 0; column < 2; ++column) {
            const QModelIndex index = model.indexOf(nodes.at(i), column);
            QCOMPARE(model.data(index, Qt::BackgroundRole).value<QColor>(), expected);
            QCOMPARE(model.data(index, Qt::SizeHintRole).toSize(), QSize(10, 35));
        }
    }
    // The colour alternates from one node to the next.
    QVERIFY(model.data(model.indexOf(nodes.at(3)), Qt::BackgroundRole) !=
            model.data(model.indexOf(nodes.at(4)), Qt::BackgroundRole));

    // Another model's nodes, its root first, carry on the same count.
    TestTree other;
    TreeItem* next = other.add(nullptr, "next");
    QCOMPARE(other.GetRootItem()->GetItemNo(), first + 10);
    QCOMPARE(next->GetItemNo(), first + 11);
}

void TestTreeItemModel::structure()
{
    GroupTree tree;
    TestTree& model = tree.model;
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex group = model.index(0, 0);
    QCOMPARE(group.internalPointer(), static_cast<void*>(tree.group));
    QVERIFY(!model.parent(group).isValid());
    QCOMPARE(model.rowCount(group), 3);
    const QModelIndex leaf = model.index(2, 1, group);
    QCOMPARE(leaf.internalPointer(), static_cast<void*>(tree.leaves[2]));
    QCOMPARE(model.parent(leaf), group);
    QCOMPARE(model.data(leaf).toString(), QStringLiteral("leaf 2 detail"));
    QCOMPARE(model.data(model.index(2, 0, group)).toString(), QStringLiteral("leaf 2"));
    QVERIFY(!model.index(3, 0, group).isValid());
    QVERIFY(!model.index(0, 2, group).isValid());
    QVERIFY(!model.index(-1, 0).isValid());
    QVERIFY(!model.data(QModelIndex()).isValid());
    QVERIFY(!model.data(group, Qt::ToolTipRole).isValid());
    QVERIFY(!model.data(model.index(0, 1), Qt::CheckStateRole).isValid());

    tree.leaves[1]->SetChecked(Qt::Unchecked);
    // All three states come through as they are.
    QCOMPARE(model.data(group, Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
    QCOMPARE(model.data(model.index(1, 0, group), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

    // Nodes added under a live model appear after the reset.
    TreeItem* extra = model.addLive(tree.group, "extra", 2);
    QCOMPARE(model.rowCount(model.index(0, 0)), 4);
    QCOMPARE(extra->row(), 3);
}

void TestTreeItemModel::rowCountOutsideColumn0()
{
    GroupTree tree;
    QCOMPARE(tree.model.rowCount(tree.model.index(0, 0)), 3);
    QCOMPARE(tree.model.rowCount(tree.model.index(0, 1)), 0);
    QVERIFY(!tree.model.hasChildren(tree.model.index(0, 1)));
}

void TestTreeItemModel::currentNodeHighlight()
{
    GroupTree tree;
    TestTree& model = tree.model;
    QCOMPARE(model.GetCurSelTreeItem(), nullptr);
    const QModelIndex leaf = model.indexOf(tree.leaves[1], 1);
    const QColor stripe = model.data(leaf, Qt::BackgroundRole).value<QColor>();

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.SetCurSelTreeItem(tree.leaves[1]);
    QCOMPARE(model.GetCurSelTreeItem(), tree.leaves[1]);
    QCOMPARE(changed.count() + reset.count(), 0);
    for (int column = 0; column < 2; ++column)
        QCOMPARE(
            model.data(model.indexOf(tree.leaves[1], column), Qt::BackgroundRole).value<QColor>(),
            QColor(112, 146, 190, 255));
    QVERIFY(model.data(model.indexOf(tree.leaves[0]), Qt::BackgroundRole).value<QColor>() !=
            QColor(112, 146, 190));

    model.SetCurSelTreeItem(nullptr);
    QCOMPARE(model.data(leaf, Qt::BackgroundRole).value<QColor>(), stripe);
}

void TestTreeItemModel::setCurrentCheckState()
{
    GroupTree tree;
    TestTree& model = tree.model;
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy checked(&model, &TreeItemModel::itemCheckedChanged);

    model.SetCurSelTreeItemCheckState(Qt::Unchecked);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(tree.group->GetCheckState(), Qt::Checked);
    for (TreeItem* leaf : tree.leaves)
        QCOMPARE(leaf->GetCheckState(), Qt::Checked);

    model.SetCurSelTreeItem(tree.group);
    model.SetCurSelTreeItemCheckState(Qt::Unchecked);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(checked.count(), 0);
    for (TreeItem* leaf : tree.leaves)
        QCOMPARE(leaf->GetCheckState(), Qt::Unchecked);
    QCOMPARE(model.GetRootItem()->GetCheckState(), Qt::Unchecked);
}

void TestTreeItemModel::setDataSpreadsAndResets()
{
    GroupTree tree;
    TestTree& model = tree.model;
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy checked(&model, &TreeItemModel::itemCheckedChanged);

    const QModelIndex leaf = model.indexOf(tree.leaves[0]);
    QVERIFY(model.setData(leaf, int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(reset.count(), 1);
    QCOMPARE(checked.count(), 1);
    QCOMPARE(checked.at(0).at(0).value<QModelIndex>().internalPointer(),
             static_cast<void*>(tree.leaves[0]));
    QCOMPARE(tree.leaves[0]->GetCheckState(), Qt::Unchecked);
    QCOMPARE(tree.group->GetCheckState(), Qt::PartiallyChecked);

    // Any true value ticks fully, in whatever column.
    QVERIFY(model.setData(model.indexOf(tree.leaves[0], 1), int(Qt::PartiallyChecked),
                          Qt::CheckStateRole));
    QCOMPARE(tree.leaves[0]->GetCheckState(), Qt::Checked);
    QCOMPARE(tree.group->GetCheckState(), Qt::Checked);
    QCOMPARE(reset.count(), 2);
}

void TestTreeItemModel::setDataOtherRoles()
{
    GroupTree tree;
    QSignalSpy reset(&tree.model, &QAbstractItemModel::modelReset);
    QSignalSpy checked(&tree.model, &TreeItemModel::itemCheckedChanged);
    QVERIFY(!tree.model.setData(tree.model.indexOf(tree.group), false, Qt::EditRole));
    QVERIFY(!tree.model.setData(tree.model.indexOf(tree.group), false, Qt::DisplayRole));
    QVERIFY(!tree.model.setData(QModelIndex(), false, Qt::CheckStateRole));
    QCOMPARE(tree.group->GetCheckState(), Qt::Checked);
    QCOMPARE(reset.count() + checked.count(), 0);
}

void TestTreeItemModel::flagValues()
{
    GroupTree tree;
    QCOMPARE(int(tree.model.flags(tree.model.indexOf(tree.leaves[0], 0))), 0x31);
    QCOMPARE(int(tree.model.flags(tree.model.indexOf(tree.leaves[0], 1))), 0x21);
    QCOMPARE(int(tree.model.flags(tree.model.indexOf(tree.group, 0))), 0x31);
    QCOMPARE(int(tree.model.flags(QModelIndex())), 0);
}

void TestTreeItemModel::nodeBasics()
{
    QStringList texts{"one", "two"};
    int user = 0;
    TreeItem parent(texts, 3, &user, nullptr);
    QCOMPARE(parent.row(), 0);
    QCOMPARE(parent.GetCheckState(), Qt::Checked);
    QCOMPARE(parent.GetItemType(), 3);
    QCOMPARE(parent.GetlpData(), static_cast<void*>(&user));
    QCOMPARE(parent.columnCount(), 2);
    QCOMPARE(parent.data(1).toString(), QStringLiteral("two"));
    QCOMPARE(parent.data(2).type(), QVariant::String);
    QCOMPARE(parent.data(-1).toString(), QString());
    QCOMPARE(parent.child(0), nullptr);
    QCOMPARE(parent.child(-1), nullptr);

    auto* listed = new TreeItem(texts, 2, nullptr, &parent);
    parent.appendChild(listed);
    QCOMPARE(parent.childCount(), 1);
    QCOMPARE(parent.child(0), listed);
    QCOMPARE(parent.child(1), nullptr);
    QCOMPARE(listed->row(), 0);
    QCOMPARE(listed->parent(), &parent);

    // A node that names a parent which does not list it has no position.
    TreeItem unlisted(texts, 2, nullptr, &parent);
    QCOMPARE(unlisted.row(), -1);
    // Ticking it still updates the parent from the listed children.
    unlisted.SetChecked(Qt::Unchecked);
    QCOMPARE(parent.GetCheckState(), Qt::PartiallyChecked);
}

void TestTreeItemModel::clearChild()
{
    TestTree model;
    Tester tester(&model, Tester::FailureReportingMode::Fatal);
    model.beginResetModel();
    TreeItem* group = model.add(nullptr, "group");
    TreeItem* sub = model.add(group, "sub");
    model.add(sub, "leaf", 2);
    model.add(group, "leaf", 2);
    model.endResetModel();
    model.SetCurSelTreeItem(sub);

    // Clear the current node before its parent deletes it.
    model.beginResetModel();
    model.SetCurSelTreeItem(nullptr);
    group->ClearChild();
    model.endResetModel();
    QCOMPARE(group->childCount(), 0);
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    model.SetCurSelTreeItemCheckState(Qt::Unchecked);
    QCOMPARE(group->GetCheckState(), Qt::Checked);
}

QTEST_GUILESS_MAIN(TestTreeItemModel)
#include "tst_treeitemmodel.moc"
