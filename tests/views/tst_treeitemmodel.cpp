#include "views/treeitem.h"
#include "views/treeitemmodel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QSignalSpy>
#include <QSize>
#include <QTest>

namespace {

// A page's tree model: a group of type 1 with three leaves under the root,
// built through the protected appendChild and watched by a model tester.
class GroupTree : public TreeItemModel
{
public:
    TreeItem* group;
    TreeItem* leaves[3];

    GroupTree() : TreeItemModel(nullptr, headers(), MMobile::MD_NOTE)
    {
        group = add(nullptr, "group");
        for (int i = 0; i < 3; ++i)
            leaves[i] = add(group, QString("leaf %1").arg(i), 2);
    }
    static QStringList& headers()
    {
        static QStringList texts{"A", "B"};
        return texts;
    }
    using TreeItemModel::beginResetModel;
    using TreeItemModel::endResetModel;
    TreeItem* add(TreeItem* parent, const QString& text, int type = 1)
    {
        QStringList texts{text, text + " detail"};
        beginResetModel();
        TreeItem* item = appendChild(texts, type, this, parent ? parent : GetRootItem());
        endResetModel();
        return item;
    }
    QModelIndex indexOf(TreeItem* item, int column = 0) const
    {
        if (!item->parent())
            return QModelIndex();
        return index(item->row(), column, indexOf(item->parent()));
    }
    // The ticks of the group and its leaves as letters U, P, C.
    QString ticks() const
    {
        QString out;
        for (TreeItem* node : {group, leaves[0], leaves[1], leaves[2]})
            out += QLatin1Char("UPC"[data(indexOf(node), Qt::CheckStateRole).toInt()]);
        return out;
    }
    QAbstractItemModelTester tester{this, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

} // namespace

class TestTreeItemModel : public QObject
{
    Q_OBJECT

private slots:
    // Steps "<node>=<u|c>": node g is the group, 0 to 2 its leaves.
    void spreadInAGroup_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("ticks");
        // clang-format off
        QTest::newRow("fresh nodes are checked") << "" << "CCCC";
        QTest::newRow("one leaf unchecked") << "1=u" << "PCUC";
        QTest::newRow("two leaves unchecked") << "0=u 2=u" << "PUCU";
        QTest::newRow("all leaves unchecked") << "0=u 1=u 2=u" << "UUUU";
        QTest::newRow("one leaf rechecked") << "0=u 1=u 2=u 1=c" << "PUCU";
        QTest::newRow("group checks all leaves") << "0=u 2=u g=c" << "CCCC";
        QTest::newRow("group unchecks all leaves") << "g=u" << "UUUU";
        // clang-format on
    }
    void spreadInAGroup()
    {
        QFETCH(QString, steps);
        QFETCH(QString, ticks);
        GroupTree tree;
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            TreeItem* node = step.at(0) == 'g' ? tree.group : tree.leaves[step.left(1).toInt()];
            node->SetChecked(step.endsWith('c') ? Qt::Checked : Qt::Unchecked);
        }
        QCOMPARE(tree.ticks(), ticks);
    }

    // The root and type-0 groups take the state their last changed child gave them.
    void rootFollowsTheLastChild()
    {
        GroupTree tree;
        TreeItem* second = tree.add(nullptr, "second");
        TreeItem* root = tree.GetRootItem();
        tree.group->SetChecked(Qt::Unchecked);
        QCOMPARE(root->GetCheckState(), Qt::Unchecked);
        QCOMPARE(second->GetCheckState(), Qt::Checked);
        second->SetChecked(Qt::Checked);
        QCOMPARE(root->GetCheckState(), Qt::Checked);
        tree.leaves[0]->SetChecked(Qt::Checked);
        QCOMPARE(tree.group->GetCheckState(), Qt::PartiallyChecked);
        QCOMPARE(root->GetCheckState(), Qt::Checked); // one level up only

        TreeItem* plain = tree.add(nullptr, "plain", 0);
        TreeItem* a = tree.add(plain, "a", 2);
        tree.add(plain, "b", 2);
        a->SetChecked(Qt::Unchecked);
        QCOMPARE(plain->GetCheckState(), Qt::Unchecked);
    }

    void numbersStripesAndHighlight()
    {
        const int first = TreeItem::m_nItemNo;
        GroupTree tree; // the root, the group and three leaves
        QCOMPARE(TreeItem::m_nItemNo, first + 5);
        QCOMPARE(tree.leaves[2]->GetItemNo(), first + 4);
        for (TreeItem* node : {tree.group, tree.leaves[0], tree.leaves[1]}) {
            for (int column = 0; column < 2; ++column) {
                const QModelIndex index = tree.indexOf(node, column);
                QCOMPARE(index.data(Qt::BackgroundRole).value<QColor>(),
                         node->GetItemNo() % 2 == 0 ? QColor(242, 242, 242)
                                                    : QColor(255, 255, 255));
                QCOMPARE(index.data(Qt::SizeHintRole).toSize(), QSize(10, 35));
            }
        }
        QSignalSpy reset(&tree, &QAbstractItemModel::modelReset);
        QSignalSpy checked(&tree, &TreeItemModel::itemCheckedChanged);
        tree.SetCurSelTreeItemCheckState(Qt::Unchecked); // nothing current: nothing happens
        QCOMPARE(tree.ticks(), QStringLiteral("CCCC"));
        tree.SetCurSelTreeItem(tree.leaves[1]);
        QCOMPARE(reset.count(), 0);
        for (int column = 0; column < 2; ++column)
            QCOMPARE(tree.indexOf(tree.leaves[1], column).data(Qt::BackgroundRole).value<QColor>(),
                     QColor(112, 146, 190));
        tree.SetCurSelTreeItemCheckState(Qt::Unchecked);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(checked.count(), 0);
        QCOMPARE(tree.ticks(), QStringLiteral("PCUC"));
    }

    void structureAndHeaders()
    {
        GroupTree tree;
        QCOMPARE(tree.columnCount(), 2);
        QCOMPARE(tree.headerData(1, Qt::Horizontal).toString(), QStringLiteral("B"));
        QCOMPARE(tree.headerData(2, Qt::Horizontal).toString(), QString());
        QVERIFY(!tree.headerData(0, Qt::Vertical).isValid());
        QCOMPARE(tree.headerData(5, Qt::Vertical, Qt::CheckStateRole).toInt(), 2);
        const QModelIndex group = tree.index(0, 0);
        QCOMPARE(group.internalPointer(), static_cast<void*>(tree.group));
        QCOMPARE(tree.rowCount(group), 3);
        QCOMPARE(tree.rowCount(tree.index(0, 1)), 0);
        const QModelIndex leaf = tree.index(2, 1, group);
        QCOMPARE(leaf.internalPointer(), static_cast<void*>(tree.leaves[2]));
        QCOMPARE(tree.parent(leaf), group);
        QCOMPARE(leaf.data().toString(), QStringLiteral("leaf 2 detail"));
        QVERIFY(!tree.index(3, 0, group).isValid());
        QVERIFY(!leaf.data(Qt::CheckStateRole).isValid() && !group.data(Qt::ToolTipRole).isValid());
        QCOMPARE((QVector<int>{int(tree.flags(group)), int(tree.flags(leaf)),
                               int(tree.flags(QModelIndex()))}),
                 (QVector<int>{0x31, 0x21, 0}));

        // Clear the current node before its parent deletes it.
        tree.SetCurSelTreeItem(tree.leaves[0]);
        tree.beginResetModel();
        tree.SetCurSelTreeItem(nullptr);
        tree.group->ClearChild();
        tree.endResetModel();
        QCOMPARE(tree.rowCount(group), 0);
    }

    void setDataSpreadsAndResets_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("ticks"); // empty: refused
        QTest::newRow("untick") << 0 << int(Qt::CheckStateRole) << 0 << "PUCC";
        QTest::newRow("partial ticks, column 1") << 1 << int(Qt::CheckStateRole) << 1 << "CCCC";
        QTest::newRow("edit role") << 0 << int(Qt::EditRole) << 0 << "";
        QTest::newRow("no index") << -1 << int(Qt::CheckStateRole) << 0 << "";
    }
    void setDataSpreadsAndResets()
    {
        QFETCH(int, column);
        QFETCH(int, role);
        QFETCH(int, value);
        QFETCH(QString, ticks);
        GroupTree tree;
        QSignalSpy reset(&tree, &QAbstractItemModel::modelReset);
        QSignalSpy checked(&tree, &TreeItemModel::itemCheckedChanged);
        const QModelIndex index = column < 0 ? QModelIndex() : tree.indexOf(tree.leaves[0], column);
        if (value == 1)
            tree.leaves[0]->SetChecked(Qt::Unchecked);
        QCOMPARE(tree.setData(index, value, role), !ticks.isEmpty());
        QCOMPARE(reset.count(), ticks.isEmpty() ? 0 : 1);
        QCOMPARE(checked.count(), reset.count());
        if (!ticks.isEmpty()) {
            QCOMPARE(tree.ticks(), ticks);
            QCOMPARE(checked.at(0).at(0).value<QModelIndex>().internalPointer(),
                     static_cast<void*>(tree.leaves[0]));
        }
    }

    void nodeBasics()
    {
        QStringList texts{"one", "two"};
        TreeItem parent(texts, 3, nullptr, nullptr);
        QCOMPARE(parent.row(), 0);
        QCOMPARE(parent.data(2).userType(), int(QMetaType::QString));
        QCOMPARE(parent.data(-1).toString(), QString());
        auto* listed = new TreeItem(texts, 2, nullptr, &parent);
        parent.appendChild(listed);
        QCOMPARE((QVector<TreeItem*>{parent.child(-1), parent.child(0), parent.child(1)}),
                 (QVector<TreeItem*>{nullptr, listed, nullptr}));
        // A node that names a parent which does not list it has no position;
        // ticking it still updates the parent from the listed children.
        TreeItem unlisted(texts, 2, nullptr, &parent);
        QCOMPARE(unlisted.row(), -1);
        unlisted.SetChecked(Qt::Unchecked);
        QCOMPARE(parent.GetCheckState(), Qt::PartiallyChecked);
    }
};

QTEST_GUILESS_MAIN(TestTreeItemModel)
#include "tst_treeitemmodel.moc"
