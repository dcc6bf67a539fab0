#include "views/treeitem.h"
#include "views/treeitemmodel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QMap>
#include <QSignalSpy>
#include <QSize>
#include <QTest>

namespace {

// A page's tree model, built through the protected appendChild and watched by
// a model tester. Nodes by letter: r the root; g a group of type 1 and 0 to 2
// its leaves; s a second group; p a group of type 0 and a, b its leaves.
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
        m_nodes = {{'r', GetRootItem()},
                   {'g', group},
                   {'0', leaves[0]},
                   {'1', leaves[1]},
                   {'2', leaves[2]},
                   {'s', add(nullptr, "second")},
                   {'p', add(nullptr, "plain", 0)}};
        m_nodes['a'] = add(m_nodes['p'], "a", 2);
        m_nodes['b'] = add(m_nodes['p'], "b", 2);
    }
    TreeItem* node(QChar name) const { return m_nodes.value(name); }
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
    // The ticks of r, g, 0 to 2, s, p, a and b as letters U, P, C.
    QString ticks() const
    {
        QString out;
        for (QChar name : QStringLiteral("rg012spab")) {
            const QVariant state = name == 'r' ? m_nodes['r']->GetCheckState()
                                               : data(indexOf(node(name)), Qt::CheckStateRole);
            out += QLatin1Char("UPC"[state.toInt()]);
        }
        return out;
    }
    QAbstractItemModelTester tester{this, QAbstractItemModelTester::FailureReportingMode::Fatal};

private:
    QMap<QChar, TreeItem*> m_nodes;
};

} // namespace

class TestTreeItemModel : public QObject
{
    Q_OBJECT

private slots:
    // Steps: "<node>=<u|c>" ticks a node;
    // "<node><column>:<value>" gives setData that value as the node's check
    // state (column "-": no index, "e": column 0 in the edit role); "*<node>"
    // makes a node current and "*=<u|c>" ticks the current one.
    void steps_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("result"); // ticks, setData answers, resets
        // clang-format off
        QTest::newRow("fresh nodes are checked") << "" << "CCCCCCCCC  0";
        QTest::newRow("one leaf unchecked") << "1=u" << "CPCUCCCCC  0";
        QTest::newRow("two leaves unchecked") << "0=u 2=u" << "CPUCUCCCC  0";
        QTest::newRow("all leaves unchecked") << "0=u 1=u 2=u" << "CUUUUCCCC  0";
        QTest::newRow("one leaf rechecked") << "0=u 1=u 2=u 1=c" << "CPUCUCCCC  0";
        QTest::newRow("group checks all leaves") << "0=u 2=u g=c" << "CCCCCCCCC  0";
        QTest::newRow("group unchecks all leaves") << "g=u" << "UUUUUCCCC  0";
        QTest::newRow("setData unticks") << "00:0" << "CPUCCCCCC y 1";
        QTest::newRow("setData, partial ticks in column 1") << "0=u 01:1" << "CCCCCCCCC y 1";
        QTest::newRow("setData, edit role") << "0e:0" << "CCCCCCCCC n 0";
        QTest::newRow("setData, no index") << "0-:0" << "CCCCCCCCC n 0";
        QTest::newRow("nothing current") << "*=u" << "CCCCCCCCC  0";
        QTest::newRow("current unticked") << "*1 *=u" << "CPCUCCCCC  1";
        // The root and type-0 groups take the state their last changed child
        // gave them, one level up only.
        QTest::newRow("root follows the second group") << "g=u s=c" << "CUUUUCCCC  0";
        QTest::newRow("a leaf changes its group only") << "g=u s=c 0=c" << "CPCUUCCCC  0";
        QTest::newRow("type-0 group") << "a=u" << "CCCCCCUUC  0";
        // clang-format on
    }
    void steps()
    {
        QFETCH(QString, steps);
        QFETCH(QString, result);
        GroupTree tree;
        QSignalSpy reset(&tree, &QAbstractItemModel::modelReset);
        QSignalSpy checked(&tree, &TreeItemModel::itemCheckedChanged);
        QString answers;
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            const Qt::CheckState state = step.endsWith('c') ? Qt::Checked : Qt::Unchecked;
            if (step.startsWith("*="))
                tree.SetCurSelTreeItemCheckState(state);
            else if (step.startsWith('*'))
                tree.SetCurSelTreeItem(tree.node(step.at(1)));
            else if (step.at(1) == '=')
                tree.node(step.at(0))->SetChecked(state);
            else {
                const QChar column = step.at(1);
                const QModelIndex index = column == '-'
                                              ? QModelIndex()
                                              : tree.indexOf(tree.node(step.at(0)), column == '1');
                const int role = column == 'e' ? Qt::EditRole : Qt::CheckStateRole;
                const bool accepted = tree.setData(index, step.mid(3).toInt(), role);
                answers += accepted ? 'y' : 'n';
                if (accepted)
                    QCOMPARE(checked.last().at(0).value<QModelIndex>(), index);
            }
        }
        QCOMPARE(checked.count(), answers.count('y'));
        QCOMPARE(tree.ticks() + ' ' + answers + ' ' + QString::number(reset.count()), result);
    }

    void structure()
    {
        const int first = TreeItem::m_nItemNo;
        GroupTree tree; // nine nodes, made in the order of their letters
        QCOMPARE(TreeItem::m_nItemNo, first + 9);
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
        tree.SetCurSelTreeItem(tree.leaves[1]);
        for (int column = 0; column < 2; ++column)
            QCOMPARE(tree.indexOf(tree.leaves[1], column).data(Qt::BackgroundRole).value<QColor>(),
                     QColor(112, 146, 190));

        const QModelIndex group = tree.index(0, 0);
        const QModelIndex leaf = tree.index(2, 1, group);
        QCOMPARE((QVariantList{tree.columnCount(), tree.headerData(1, Qt::Horizontal),
                               tree.headerData(2, Qt::Horizontal), tree.headerData(0, Qt::Vertical),
                               tree.headerData(5, Qt::Vertical, Qt::CheckStateRole),
                               tree.rowCount(group), tree.rowCount(tree.index(0, 1)), group.data(),
                               leaf.data(), leaf.data(Qt::CheckStateRole),
                               group.data(Qt::ToolTipRole), int(tree.flags(group)),
                               int(tree.flags(leaf)), int(tree.flags(QModelIndex()))}),
                 (QVariantList{2, "B", "", QVariant(), 2, 3, 0, "group", "leaf 2 detail",
                               QVariant(), QVariant(), 0x31, 0x21, 0}));
        QCOMPARE(group.internalPointer(), static_cast<void*>(tree.group));
        QCOMPARE(leaf.internalPointer(), static_cast<void*>(tree.leaves[2]));
        QCOMPARE(tree.parent(leaf), group);
        QVERIFY(!tree.index(3, 0, group).isValid());

        // Clear the current node before its parent deletes it.
        tree.beginResetModel();
        tree.SetCurSelTreeItem(nullptr);
        tree.group->ClearChild();
        tree.endResetModel();
        QCOMPARE(tree.rowCount(group), 0);
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
