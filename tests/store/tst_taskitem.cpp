#include "fakegetter.h"
#include "fakeitem.h"

#include "store/taskitem.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>
#include <vector>

using MMobile::MDType;

Q_DECLARE_METATYPE(MMobile::MDType)
Q_DECLARE_METATYPE(Qt::CheckState)

namespace {

// Items owned by the test; `deleted` lists which positions report deleted.
struct Items
{
    std::vector<std::unique_ptr<FakeItem>> owned;
    FakeGetter getter;

    explicit Items(const QVector<bool>& deleted)
    {
        for (bool d : deleted)
            add(d);
        for (int i = owned.size() - 1; i >= 0; --i)
            getter.prepend(owned[i].get());
    }
    FakeItem* add(bool deleted)
    {
        owned.push_back(std::make_unique<FakeItem>(nullptr, deleted));
        return owned.back().get();
    }
    FakeItem* at(int i) const { return owned[i].get(); }
};

// What the store must hold, computed by the plain rules.
struct Reference
{
    struct Entry
    {
        FakeItem* item;
        Qt::CheckState state;
        bool mark;
    };
    MDType type;
    QVector<Entry> entries;
    bool onlyDeleted = false;
    unsigned int checked = 0;

    bool passesFilter(const Entry& e) const { return !onlyDeleted || e.item->IsDeleted(); }
    bool inView(const Entry& e) const { return e.mark && passesFilter(e); }
    Qt::CheckState initial(FakeItem* item) const
    {
        if (type == MMobile::MD_CONTACT || type == MMobile::MD_NOTE)
            return item->IsDeleted() ? Qt::Checked : Qt::Unchecked;
        return Qt::Checked;
    }
    void clear()
    {
        entries.clear();
        onlyDeleted = false;
        checked = 0;
    }
    void add(FakeItem* item)
    {
        Entry e{item, initial(item), true};
        if (e.state == Qt::Checked)
            ++checked;
        entries.prepend(e);
    }
    unsigned int count(bool deletedOnly) const
    {
        unsigned int n = 0;
        for (const Entry& e : entries)
            n += e.mark && (!deletedOnly || e.item->IsDeleted());
        return n;
    }
    void recount()
    {
        checked = 0;
        for (const Entry& e : entries)
            checked += inView(e) && e.state == Qt::Checked;
    }
    Qt::CheckState setChecked(int i, Qt::CheckState state)
    {
        if (i >= 0 && i < entries.size() && entries[i].mark) {
            Entry& e = entries[i];
            if (passesFilter(e)) {
                if (state == Qt::Checked && e.state != Qt::Checked)
                    ++checked;
                else if (state == Qt::Unchecked && e.state != Qt::Unchecked && checked > 0)
                    --checked; // a stale count (marks changed, no recount) stops at 0
            }
            e.state = state;
        }
        if (checked == 0)
            return Qt::Unchecked;
        if (checked == count(false) || checked == count(onlyDeleted))
            return Qt::Checked;
        return Qt::PartiallyChecked;
    }
    void setAll(Qt::CheckState state)
    {
        for (Entry& e : entries)
            if (inView(e))
                e.state = state;
        if (state == Qt::Checked)
            checked = count(onlyDeleted);
        else if (state == Qt::Unchecked)
            checked = 0;
    }
    bool selected(const Entry& e) const { return inView(e) && e.state == Qt::Checked; }
};

} // namespace

class TestTaskItem : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void initialTicks_data();
    void initialTicks();
    void addDataOrder();
    void setDatasKeepsOrderAndReplaces();
    void nullInputs();
    void inViewRule_data();
    void inViewRule();
    void setCheckedCounts_data();
    void setCheckedCounts();
    void setCheckedReturnsCategoryState();
    void setCheckAllState_data();
    void setCheckAllState();
    void checkedIndexesWithVector();
    void checkedIndexesAll();
    void checkedIndexesCountOnly();
    void checkedIndexOfOneItem_data();
    void checkedIndexOfOneItem();
    void outOfRangeReads();
    void showItemIdx();
    void clearDataTurnsFilterOff();
    void copyIsIndependent();
    void randomizedAgainstReference_data();
    void randomizedAgainstReference();
};

void TestTaskItem::names_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("photo") << 0 << "Photo";
    QTest::newRow("contacts") << 1 << "Contacts";
    QTest::newRow("message attachments") << 2 << "Message Attachments";
    QTest::newRow("messages") << 3 << "Messages";
    QTest::newRow("call history") << 4 << "Call History";
    QTest::newRow("calendar") << 5 << "Calendar";
    QTest::newRow("notes attachments") << 6 << "Notes Attachments";
    QTest::newRow("notes") << 7 << "Notes";
    QTest::newRow("voice memos") << 8 << "Voice Memos";
    QTest::newRow("safari") << 9 << "Safari Bookmark";
    QTest::newRow("whatsapp attachments") << 10 << "WhatsApp Message Attachments";
    QTest::newRow("whatsapp") << 11 << "WhatsApp Messages";
    QTest::newRow("wechat contacts") << 12 << "WeChat Contacts";
    QTest::newRow("wechat attachments") << 13 << "WeChat Attachments";
    QTest::newRow("wechat messages") << 14 << "WeChat Messages";
    QTest::newRow("15") << 15 << "Reminders";
    QTest::newRow("16") << 16 << "";
    QTest::newRow("21") << 21 << "";
    QTest::newRow("reminders 22") << 22 << "Reminders";
    QTest::newRow("23") << 23 << "";
    QTest::newRow("negative") << -1 << "";
}

void TestTaskItem::names()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    TaskItem store(static_cast<MDType>(type));
    QCOMPARE(store.GetName(), name);
    QCOMPARE(TaskItem::NameOfType(static_cast<MDType>(type)), name);
    QCOMPARE(static_cast<int>(store.GetType()), type);
    QCOMPARE(store.GetCheckedCount(), 0u);
    QCOMPARE(store.GetOnlyDeleteSelected(), false);
    QCOMPARE(store.GetDataCountEx(), 0u);
}

void TestTaskItem::initialTicks_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("byAddData");
    QTest::addColumn<QVector<int>>("states");
    QTest::addColumn<unsigned int>("checked");
    // Items in getter order: alive, deleted, alive.
    const QVector<int> onlyDeletedTicked{0, 2, 0};
    const QVector<int> allTicked{2, 2, 2};
    QTest::newRow("contacts SetDatas") << 1 << false << onlyDeletedTicked << 1u;
    QTest::newRow("contacts AddData") << 1 << true << onlyDeletedTicked << 1u;
    QTest::newRow("notes SetDatas") << 7 << false << onlyDeletedTicked << 1u;
    QTest::newRow("notes AddData") << 7 << true << onlyDeletedTicked << 1u;
    QTest::newRow("messages SetDatas") << 3 << false << allTicked << 3u;
    QTest::newRow("messages AddData") << 3 << true << allTicked << 3u;
    QTest::newRow("photos") << 0 << false << allTicked << 3u;
    QTest::newRow("notes attachments") << 6 << false << allTicked << 3u;
    QTest::newRow("wechat contacts") << 12 << true << allTicked << 3u;
}

void TestTaskItem::initialTicks()
{
    QFETCH(int, type);
    QFETCH(bool, byAddData);
    QFETCH(QVector<int>, states);
    QFETCH(unsigned int, checked);

    Items items({false, true, false});
    TaskItem store(static_cast<MDType>(type));
    if (byAddData) {
        // Added last to first, so store order equals getter order.
        for (int i = 2; i >= 0; --i)
            store.AddData(items.at(i), i);
    } else {
        store.SetDatas(&items.getter);
    }
    QCOMPARE(store.GetDataCountEx(), 3u);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(store.GetData(i), items.at(i));
        QCOMPARE(static_cast<int>(store.GetCheckState(i)), states[i]);
        QVERIFY(store.GetSearchMark(i));
    }
    QCOMPARE(store.GetCheckedCount(), checked);
}

void TestTaskItem::addDataOrder()
{
    Items items({false, false, false});
    TaskItem store(MMobile::MD_MESSAGE);
    store.AddData(items.at(0), 7);
    store.AddData(items.at(1), 0);
    QCOMPARE(store.GetData(0), items.at(1));
    QCOMPARE(store.GetData(1), items.at(0));
    // The new item arrives with its own mark and tick, the others keep theirs.
    store.SetSearchMark(0, false);
    store.SetChecked(1, Qt::Unchecked);
    store.AddData(items.at(2), 0);
    QCOMPARE(store.GetData(0), items.at(2));
    QCOMPARE(store.GetSearchMark(0), true);
    QCOMPARE(store.GetCheckState(0), Qt::Checked);
    QCOMPARE(store.GetSearchMark(1), false);
    QCOMPARE(store.GetCheckState(1), Qt::Checked);
    QCOMPARE(store.GetCheckState(2), Qt::Unchecked);
    QCOMPARE(store.GetData(2), items.at(0));
}

void TestTaskItem::setDatasKeepsOrderAndReplaces()
{
    Items first({false, true});
    Items second({true, false, true, false});
    TaskItem store(MMobile::MD_CONTACT);
    store.SetDatas(&first.getter);
    store.SetOnlyDeleteSelected(true);
    store.SetSearchMark(0, false);
    store.SetDatas(&second.getter);
    QCOMPARE(store.GetDataCountEx(), 4u);
    QCOMPARE(store.GetOnlyDeleteSelected(), false);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(store.GetData(i), second.at(i));
        QVERIFY(store.GetSearchMark(i));
    }
    QCOMPARE(store.GetCheckedCount(), 2u);
}

void TestTaskItem::nullInputs()
{
    Items items({false, false});
    TaskItem store(MMobile::MD_CALENDAR);
    store.SetDatas(&items.getter);
    store.AddData(nullptr, 0);
    QCOMPARE(store.GetDataCountEx(), 2u);
    QCOMPARE(store.GetCheckedCount(), 2u);
    store.SetDatas(nullptr);
    QCOMPARE(store.GetDataCountEx(), 0u);
    QCOMPARE(store.GetCheckedCount(), 0u);
    FakeGetter empty;
    store.AddData(items.at(0), 0);
    store.SetDatas(&empty);
    QCOMPARE(store.GetDataCountEx(), 0u);
}

void TestTaskItem::inViewRule_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<bool>("onlyDeleted");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("alive, marked, filter off") << false << true << false << false;
    QTest::newRow("alive, marked, filter on") << false << true << true << true;
    QTest::newRow("deleted, marked, filter on") << true << true << true << false;
    QTest::newRow("deleted, unmarked, filter off") << true << false << false << true;
    QTest::newRow("deleted, unmarked, filter on") << true << false << true << true;
    QTest::newRow("alive, unmarked, filter off") << false << false << false << true;
}

void TestTaskItem::inViewRule()
{
    QFETCH(bool, deleted);
    QFETCH(bool, mark);
    QFETCH(bool, onlyDeleted);
    QFETCH(bool, hidden);

    // Position 1 is the item under test between two items always in view.
    Items items({true, deleted, true});
    TaskItem store(MMobile::MD_MESSAGE);
    store.SetDatas(&items.getter);
    store.SetSearchMark(1, mark);
    store.SetOnlyDeleteSelected(onlyDeleted);

    QCOMPARE(store.CheckIdxHide(1), hidden);
    QCOMPARE(store.GetCheckedCount(), hidden ? 2u : 3u);
    QCOMPARE(store.GetDataCount(store.GetOnlyDeleteSelected()), hidden ? 2u : 3u);
    QCOMPARE(store.GetDataCount(false), mark ? 3u : 2u);

    store.SetSearchMark(0, false);
    QCOMPARE(store.GetDefaultIdx(), hidden ? 2u : 1u);
    store.SetSearchMark(2, false);
    QCOMPARE(store.GetDefaultIdx(), hidden ? 0xFFFFFFFFu : 1u);
}

void TestTaskItem::setCheckedCounts_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<bool>("onlyDeleted");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("countChange");

    QTest::newRow("tick") << false << true << false << 0 << 2 << 2 << 1;
    QTest::newRow("untick") << false << true << false << 2 << 0 << 0 << -1;
    QTest::newRow("tick ticked") << false << true << false << 2 << 2 << 2 << 0;
    QTest::newRow("untick unticked") << false << true << false << 0 << 0 << 0 << 0;
    QTest::newRow("partial from ticked") << false << true << false << 2 << 1 << 1 << 0;
    QTest::newRow("tick from partial") << false << true << false << 1 << 2 << 2 << 1;
    QTest::newRow("untick from partial") << false << true << false << 1 << 0 << 0 << -1;
    QTest::newRow("filtered out: stored, not counted") << false << true << true << 0 << 2 << 2 << 0;
    QTest::newRow("filtered out untick") << false << true << true << 2 << 0 << 0 << 0;
    QTest::newRow("deleted under filter") << true << true << true << 0 << 2 << 2 << 1;
    QTest::newRow("searched out: nothing stored") << false << false << false << 0 << 2 << 0 << 0;
    QTest::newRow("searched out untick") << true << false << true << 2 << 0 << 2 << 0;
}

void TestTaskItem::setCheckedCounts()
{
    QFETCH(bool, deleted);
    QFETCH(bool, mark);
    QFETCH(bool, onlyDeleted);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, stored);
    QFETCH(int, countChange);

    // A contact starts ticked only when deleted; bring it to `from` first.
    Items items({deleted, true, true});
    TaskItem store(MMobile::MD_CONTACT);
    store.SetDatas(&items.getter);
    store.SetChecked(0, static_cast<Qt::CheckState>(from));
    QCOMPARE(static_cast<int>(store.GetCheckState(0)), from);
    store.SetSearchMark(0, mark);
    store.SetOnlyDeleteSelected(onlyDeleted);
    const int before = static_cast<int>(store.GetCheckedCount());

    store.SetChecked(0, static_cast<Qt::CheckState>(to));
    QCOMPARE(static_cast<int>(store.GetCheckState(0)), stored);
    QCOMPARE(static_cast<int>(store.GetCheckedCount()) - before, countChange);
}

void TestTaskItem::setCheckedReturnsCategoryState()
{
    // Messages start ticked: untick all, then tick one by one.
    Items items({false, true, false, true});
    TaskItem store(MMobile::MD_MESSAGE);
    store.SetDatas(&items.getter);
    QCOMPARE(store.SetChecked(0, Qt::Unchecked), Qt::PartiallyChecked);
    QCOMPARE(store.SetChecked(1, Qt::Unchecked), Qt::PartiallyChecked);
    QCOMPARE(store.SetChecked(2, Qt::Unchecked), Qt::PartiallyChecked);
    QCOMPARE(store.SetChecked(3, Qt::Unchecked), Qt::Unchecked);
    QCOMPARE(store.SetChecked(0, Qt::Checked), Qt::PartiallyChecked);

    // Under the filter, the category is full once the items in view are ticked.
    store.SetOnlyDeleteSelected(true);
    QCOMPARE(store.GetCheckedCount(), 0u);
    QCOMPARE(store.SetChecked(1, Qt::Checked), Qt::PartiallyChecked);
    QCOMPARE(store.SetChecked(3, Qt::Checked), Qt::Checked);
    // Out-of-range writes change nothing and still answer.
    QCOMPARE(store.SetChecked(99, Qt::Unchecked), Qt::Checked);
    QCOMPARE(store.GetCheckedCount(), 2u);

    // Without the filter, full means every search-marked item.
    store.SetOnlyDeleteSelected(false);
    QCOMPARE(store.GetCheckedCount(), 3u);
    store.SetSearchMark(2, false);
    store.UpdateCheckedCountBySearch();
    QCOMPARE(store.SetChecked(2, Qt::Checked), Qt::Checked);
    QCOMPARE(store.GetCheckState(2), Qt::Unchecked);
}

void TestTaskItem::setCheckAllState_data()
{
    QTest::addColumn<bool>("onlyDeleted");
    QTest::addColumn<bool>("allSearchedOut");
    QTest::addColumn<int>("state");
    QTest::addColumn<QVector<int>>("states");
    QTest::addColumn<unsigned int>("checked");

    // Items: alive, deleted, alive (searched out), deleted. Contacts: ticked only
    // when deleted, then item 0 ticked by hand -> 2,2,0,2 before the call.
    QTest::newRow("untick all") << false << false << 0 << QVector<int>{0, 0, 0, 0} << 0u;
    QTest::newRow("tick all") << false << false << 2 << QVector<int>{2, 2, 0, 2} << 3u;
    QTest::newRow("partial keeps count") << false << false << 1 << QVector<int>{1, 1, 0, 1} << 3u;
    QTest::newRow("untick under filter") << true << false << 0 << QVector<int>{2, 0, 0, 0} << 0u;
    QTest::newRow("tick under filter") << true << false << 2 << QVector<int>{2, 2, 0, 2} << 2u;
    QTest::newRow("untick, nothing in view")
        << false << true << 0 << QVector<int>{2, 2, 0, 2} << 0u;
    QTest::newRow("tick, nothing in view") << false << true << 2 << QVector<int>{2, 2, 0, 2} << 0u;
}

void TestTaskItem::setCheckAllState()
{
    QFETCH(bool, onlyDeleted);
    QFETCH(bool, allSearchedOut);
    QFETCH(int, state);
    QFETCH(QVector<int>, states);
    QFETCH(unsigned int, checked);

    Items items({false, true, false, true});
    TaskItem store(MMobile::MD_CONTACT);
    store.SetDatas(&items.getter);
    store.SetChecked(0, Qt::Checked);
    store.SetSearchMark(2, false);
    if (allSearchedOut)
        for (int i = 0; i < 4; ++i)
            store.SetSearchMark(i, false);
    store.SetOnlyDeleteSelected(onlyDeleted);

    store.SetCheckAllState(static_cast<Qt::CheckState>(state));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(static_cast<int>(store.GetCheckState(i)), states[i]);
    QCOMPARE(store.GetCheckedCount(), checked);

    // Ticks out of view come back unchanged with the filter off.
    if (onlyDeleted) {
        store.SetOnlyDeleteSelected(false);
        QCOMPARE(store.GetCheckState(0), Qt::Checked);
    }
}

void TestTaskItem::checkedIndexesWithVector()
{
    // Ticked and in view: 0 and 3. 1 is unticked, 2 ticked but searched out,
    // 4 ticked but filtered out, 5 partly ticked.
    Items items({true, true, true, true, false, true});
    TaskItem store(MMobile::MD_MESSAGE);
    store.SetDatas(&items.getter);
    store.SetChecked(1, Qt::Unchecked);
    store.SetSearchMark(2, false);
    store.SetChecked(5, Qt::PartiallyChecked);
    store.SetOnlyDeleteSelected(true);
    for (int i = 0; i < 6; ++i)
        items.at(i)->SetDropMark(i % 2 == 0);

    std::vector<unsigned int> indexs{42, 43};
    QCOMPARE(store.GetCheckedDataIndexs(indexs, false), 2u);
    QCOMPARE(indexs, (std::vector<unsigned int>{42, 43, 0, 3}));
    const QVector<bool> drops{false, true, true, false, true, true};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(items.at(i)->dropMark(), drops[i]);
}

void TestTaskItem::checkedIndexesAll()
{
    Items items({false, true, false});
    TaskItem store(MMobile::MD_CONTACT);
    store.SetDatas(&items.getter);
    store.SetSearchMark(1, false);
    store.SetOnlyDeleteSelected(true);
    for (int i = 0; i < 3; ++i)
        items.at(i)->SetDropMark(true);

    std::vector<unsigned int> indexs{9};
    QCOMPARE(store.GetCheckedDataIndexs(indexs, true), 3u);
    QCOMPARE(indexs, (std::vector<unsigned int>{9, 0, 1, 2}));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(items.at(i)->dropMark(), false);

    TaskItem empty(MMobile::MD_CONTACT);
    std::vector<unsigned int> none;
    QCOMPARE(empty.GetCheckedDataIndexs(none, true), 0u);
    QVERIFY(none.empty());
}

void TestTaskItem::checkedIndexesCountOnly()
{
    Items items({false, true, false, true});
    TaskItem store(MMobile::MD_CALL_HISTORY);
    store.SetDatas(&items.getter);
    store.SetChecked(2, Qt::Unchecked);
    QCOMPARE(store.GetCheckedDataIndexs(), 3u);
    QCOMPARE(items.at(2)->dropMark(), true);
    QCOMPARE(items.at(0)->dropMark(), false);
    // Asking again gives the same answer: nothing accumulates.
    QCOMPARE(store.GetCheckedDataIndexs(), 3u);
}

void TestTaskItem::checkedIndexOfOneItem_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("hint");
    QTest::addColumn<bool>("selected");
    // Item 1 is unticked, item 2 searched out, items 0 and 3 selected.
    QTest::newRow("right hint") << 3 << 3 << true;
    QTest::newRow("wrong hint") << 3 << 0 << true;
    QTest::newRow("hint out of range") << 0 << 17 << true;
    QTest::newRow("negative hint") << 0 << -1 << true;
    QTest::newRow("unticked") << 1 << 1 << false;
    QTest::newRow("searched out") << 2 << 2 << false;
    QTest::newRow("not in store") << 4 << 0 << false;
    QTest::newRow("null item") << -1 << 0 << false;
}

void TestTaskItem::checkedIndexOfOneItem()
{
    QFETCH(int, item);
    QFETCH(int, hint);
    QFETCH(bool, selected);

    Items items({false, false, false, false});
    FakeItem* stranger = items.add(false);
    Q_UNUSED(stranger);
    TaskItem store(MMobile::MD_SAFARI_BOOKMARK);
    store.SetDatas(&items.getter);
    store.SetChecked(1, Qt::Unchecked);
    store.SetSearchMark(2, false);
    for (int i = 0; i < 5; ++i)
        items.at(i)->SetDropMark(true);

    FakeItem* asked = item < 0 ? nullptr : items.at(item);
    QCOMPARE(store.GetCheckedDataIndexs(hint, asked), selected);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(items.at(i)->dropMark(), true);

    TaskItem empty(MMobile::MD_SAFARI_BOOKMARK);
    QCOMPARE(empty.GetCheckedDataIndexs(0, items.at(0)), false);
}

void TestTaskItem::outOfRangeReads()
{
    Items items({true, false});
    TaskItem store(MMobile::MD_NOTE);
    store.SetDatas(&items.getter);
    for (unsigned int i : {2u, 3u, 0xFFFFFFFFu}) {
        QCOMPARE(store.GetData(i), nullptr);
        QCOMPARE(store.GetCheckState(i), Qt::Unchecked);
        QCOMPARE(store.GetSearchMark(i), true);
        QCOMPARE(store.CheckIdxHide(i), true);
        store.SetSearchMark(i, false);
    }
    QCOMPARE(store.GetDataCount(false), 2u);
    TaskItem empty(MMobile::MD_NOTE);
    QCOMPARE(empty.GetDefaultIdx(), 0xFFFFFFFFu);
    QCOMPARE(empty.GetData(0), nullptr);
    QCOMPARE(empty.CheckIdxHide(0), true);
}

void TestTaskItem::showItemIdx()
{
    Items items({false, true, true, false, true});
    TaskItem store(MMobile::MD_MESSAGE);
    store.SetDatas(&items.getter);
    store.SetSearchMark(2, false); // not consulted here

    unsigned int out[8];
    std::fill(std::begin(out), std::end(out), 77u);
    QCOMPARE(store.GetShowItemIdx(out, 0), 0u);
    QCOMPARE(out[0], 77u);
    QCOMPARE(store.GetShowItemIdx(out, 8), 5u);
    QCOMPARE((std::vector<unsigned int>(out, out + 5)), (std::vector<unsigned int>{0, 1, 2, 3, 4}));
    QCOMPARE(out[5], 77u);

    store.SetOnlyDeleteSelected(true);
    std::fill(std::begin(out), std::end(out), 77u);
    QCOMPARE(store.GetShowItemIdx(out, 2), 2u);
    QCOMPARE((std::vector<unsigned int>(out, out + 3)), (std::vector<unsigned int>{1, 2, 77}));
    QCOMPARE(store.GetShowItemIdx(out, 8), 3u);
    QCOMPARE(out[2], 4u);
}

void TestTaskItem::clearDataTurnsFilterOff()
{
    Items items({true, false});
    TaskItem store(MMobile::MD_MESSAGE);
    store.SetDatas(&items.getter);
    store.SetOnlyDeleteSelected(true);
    QCOMPARE(store.GetCheckedCount(), 1u);
    store.ClearData();
    QCOMPARE(store.GetOnlyDeleteSelected(), false);
    QCOMPARE(store.GetCheckedCount(), 0u);
    QCOMPARE(store.GetDataCountEx(), 0u);
    store.SetDatas(&items.getter);
    QCOMPARE(store.GetOnlyDeleteSelected(), false);
    QCOMPARE(store.GetCheckedCount(), 2u);
}

void TestTaskItem::copyIsIndependent()
{
    Items items({true, false, true});
    TaskItem store(MMobile::MD_CONTACT);
    store.SetDatas(&items.getter);
    store.SetSearchMark(2, false);
    store.SetOnlyDeleteSelected(true);

    TaskItem copy(store);
    QCOMPARE(copy.GetName(), QString("Contacts"));
    QCOMPARE(copy.GetOnlyDeleteSelected(), true);
    QCOMPARE(copy.GetCheckedCount(), store.GetCheckedCount());
    QCOMPARE(copy.GetSearchMark(2), false);
    copy.SetChecked(0, Qt::Unchecked);
    QCOMPARE(store.GetCheckState(0), Qt::Checked);

    TaskItem assigned(MMobile::MD_PHOTO);
    assigned = store;
    QCOMPARE(assigned.GetType(), MMobile::MD_CONTACT);
    QCOMPARE(assigned.GetData(1), items.at(1));
    store.ClearData();
    QCOMPARE(assigned.GetDataCountEx(), 3u);
}

void TestTaskItem::randomizedAgainstReference_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u, 4u}) {
        QTest::addRow("contacts %u", seed) << 1 << seed;
        QTest::addRow("messages %u", seed) << 3 << seed;
        QTest::addRow("notes %u", seed) << 7 << seed;
    }
}

void TestTaskItem::randomizedAgainstReference()
{
    QFETCH(int, type);
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);

    Items pool({});
    for (int i = 0; i < 60; ++i)
        pool.add(random.bounded(3) == 0);
    FakeGetter getter;

    TaskItem store(static_cast<MDType>(type));
    Reference ref;
    ref.type = static_cast<MDType>(type);

    auto anyIndex = [&] { return int(random.bounded(ref.entries.size() + 3)) - 1; };
    auto anyState = [&] { return static_cast<Qt::CheckState>(random.bounded(3)); };

    for (int step = 0; step < 1500; ++step) {
        const int op = random.bounded(100);
        QString what;
        if (op < 20) {
            FakeItem* item = pool.at(random.bounded(int(pool.owned.size())));
            store.AddData(item, 0);
            ref.add(item);
            what = "AddData";
        } else if (op < 45) {
            const int i = anyIndex();
            const Qt::CheckState state = anyState();
            QCOMPARE(store.SetChecked(static_cast<unsigned int>(i), state),
                     ref.setChecked(i, state));
            what = QString("SetChecked %1 %2").arg(i).arg(state);
        } else if (op < 50) {
            const Qt::CheckState state = anyState();
            store.SetCheckAllState(state);
            ref.setAll(state);
            what = "SetCheckAllState";
        } else if (op < 70) {
            const int i = anyIndex();
            const bool mark = random.bounded(2);
            store.SetSearchMark(static_cast<unsigned int>(i), mark);
            if (i >= 0 && i < ref.entries.size())
                ref.entries[i].mark = mark;
            if (random.bounded(2)) {
                store.UpdateCheckedCountBySearch();
                ref.recount();
            }
            what = "SetSearchMark";
        } else if (op < 78) {
            const bool filter = random.bounded(2);
            store.SetOnlyDeleteSelected(filter);
            ref.onlyDeleted = filter;
            ref.recount();
            what = "SetOnlyDeleteSelected";
        } else if (op < 83) {
            // An item changes its deleted flag, as a real engine never does;
            // the recount must still follow it.
            FakeItem* item = pool.at(random.bounded(int(pool.owned.size())));
            item->setDeleted(!item->IsDeleted());
            store.UpdateCheckedCountBySearch();
            ref.recount();
            what = "flip deleted";
        } else if (op < 93) {
            std::vector<unsigned int> indexs;
            const bool all = random.bounded(4) == 0;
            const unsigned int n = store.GetCheckedDataIndexs(indexs, all);
            std::vector<unsigned int> expected;
            for (int i = 0; i < ref.entries.size(); ++i)
                if (all || ref.selected(ref.entries[i]))
                    expected.push_back(i);
            QCOMPARE(n, unsigned(expected.size()));
            QCOMPARE(indexs, expected);
            for (int i = 0; i < ref.entries.size(); ++i) {
                // A pool item may sit at several positions; its last visit wins.
                bool drop = !(all || ref.selected(ref.entries[i]));
                for (int j = i + 1; j < ref.entries.size(); ++j)
                    if (ref.entries[j].item == ref.entries[i].item)
                        drop = !(all || ref.selected(ref.entries[j]));
                QCOMPARE(ref.entries[i].item->dropMark(), drop);
            }
            what = "GetCheckedDataIndexs";
        } else if (op < 96) {
            getter.clear();
            const int n = random.bounded(25);
            QVector<MMobile::IMDCommon*> fill;
            for (int i = 0; i < n; ++i)
                fill << pool.at(random.bounded(int(pool.owned.size())));
            getter.prepend(fill);
            store.SetDatas(&getter);
            ref.clear();
            for (int i = n - 1; i >= 0; --i)
                ref.add(static_cast<FakeItem*>(getter.GetItem(i)));
            what = "SetDatas";
        } else {
            store.ClearData();
            ref.clear();
            what = "ClearData";
        }

        const QByteArray where = QString("step %1 (%2)").arg(step).arg(what).toUtf8();
        QVERIFY2(store.GetCheckedCount() == ref.checked, where.constData());
        QVERIFY2(store.GetOnlyDeleteSelected() == ref.onlyDeleted, where.constData());
        QVERIFY2(store.GetDataCountEx() == unsigned(ref.entries.size()), where.constData());
        QVERIFY2(store.GetDataCount(false) == ref.count(false), where.constData());
        QVERIFY2(store.GetDataCount(true) == ref.count(true), where.constData());
        unsigned int firstInView = 0xFFFFFFFFu;
        for (int i = 0; i < ref.entries.size(); ++i) {
            const Reference::Entry& e = ref.entries[i];
            QVERIFY2(store.GetData(i) == e.item, where.constData());
            QVERIFY2(store.GetCheckState(i) == e.state, where.constData());
            QVERIFY2(store.GetSearchMark(i) == e.mark, where.constData());
            QVERIFY2(store.CheckIdxHide(i) == !ref.inView(e), where.constData());
            // With the right hint the answer is about this very position.
            QVERIFY2(store.GetCheckedDataIndexs(i, e.item) == ref.selected(e), where.constData());
            if (firstInView == 0xFFFFFFFFu && ref.inView(e))
                firstInView = i;
        }
        QVERIFY2(store.GetDefaultIdx() == firstInView, where.constData());
    }
}

QTEST_GUILESS_MAIN(TestTaskItem)
#include "tst_taskitem.moc"
