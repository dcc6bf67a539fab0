#include "fakegetter.h"
#include "fakeitem.h"

#include "store/taskitem.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>
#include <vector>

using MMobile::MDType;
using Positions = std::vector<unsigned int>;

namespace {

// The store's rules written out plainly, position by position, for the
// randomized comparison below.
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

    void clear() { *this = Reference{type}; }
    bool passesFilter(const Entry& e) const { return !onlyDeleted || e.item->IsDeleted(); }
    bool inView(const Entry& e) const { return e.mark && passesFilter(e); }
    bool selected(const Entry& e) const { return inView(e) && e.state == Qt::Checked; }
    void add(FakeItem* item)
    {
        // Contacts and notes start ticked only when deleted.
        const bool ticksDeletedOnly = type == MMobile::MD_CONTACT || type == MMobile::MD_NOTE;
        Entry e{item, !ticksDeletedOnly || item->IsDeleted() ? Qt::Checked : Qt::Unchecked, true};
        checked += e.state == Qt::Checked;
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
            checked += selected(e);
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
    // The answer for `item` asked at `hint`: that position when it holds the
    // item, else the item's first position.
    bool selectedAt(int hint, FakeItem* item) const
    {
        if (hint >= 0 && hint < entries.size() && entries[hint].item == item)
            return selected(entries[hint]);
        for (const Entry& e : entries)
            if (e.item == item)
                return selected(e);
        return false;
    }
};

} // namespace

class TestTaskItem : public QObject
{
    Q_OBJECT

private slots:
    void names()
    {
        // Types -1 to 23; 16 to 21 are unused and 22 is the reminders' own value.
        // clang-format off
        const QStringList names{"", "Photo", "Contacts", "Message Attachments", "Messages", "Call History",
            "Calendar", "Notes Attachments", "Notes", "Voice Memos", "Safari Bookmark",
            "WhatsApp Message Attachments", "WhatsApp Messages", "WeChat Contacts", "WeChat Attachments",
            "WeChat Messages", "Reminders", "", "", "", "", "", "", "Reminders", ""};
        // clang-format on
        for (int type = -1; type <= 23; ++type)
            QCOMPARE(TaskItem::NameOfType(MDType(type)), names.at(type + 1));
    }

    void randomizedAgainstReference_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u}) {
            QTest::addRow("contacts %u", seed) << int(MMobile::MD_CONTACT) << seed;
            QTest::addRow("messages %u", seed) << int(MMobile::MD_MESSAGE) << seed;
            QTest::addRow("notes %u", seed) << int(MMobile::MD_NOTE) << seed;
        }
    }

    // Every public operation, in random order, against the plain rules.
    void randomizedAgainstReference()
    {
        QFETCH(int, type);
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        std::vector<std::unique_ptr<FakeItem>> pool;
        for (int i = 0; i < 60; ++i)
            pool.push_back(std::make_unique<FakeItem>(nullptr, random.bounded(3) == 0));
        auto anyItem = [&] { return pool[random.bounded(int(pool.size()))].get(); };
        FakeGetter getter;
        TaskItem store(static_cast<MDType>(type));
        Reference ref{static_cast<MDType>(type)};
        auto anyIndex = [&] { return int(random.bounded(ref.entries.size() + 3)) - 1; };
        auto anyState = [&] { return static_cast<Qt::CheckState>(random.bounded(3)); };

        for (int step = 0; step < 1500; ++step) {
            const int op = random.bounded(100);
            const QByteArray where =
                QByteArray("step ") + QByteArray::number(step) + " op " + QByteArray::number(op);
            if (op < 20) {
                FakeItem* item = anyItem();
                store.AddData(item, 0);
                ref.add(item);
                store.AddData(nullptr, 0);
            } else if (op < 45) {
                const int i = anyIndex();
                const Qt::CheckState state = anyState();
                QVERIFY2(store.SetChecked(unsigned(i), state) == ref.setChecked(i, state), where);
            } else if (op < 50) {
                const Qt::CheckState state = anyState();
                store.SetCheckAllState(state);
                ref.setAll(state);
            } else if (op < 70) {
                const int i = anyIndex();
                const bool mark = random.bounded(2);
                store.SetSearchMark(unsigned(i), mark);
                if (i >= 0 && i < ref.entries.size())
                    ref.entries[i].mark = mark;
                if (random.bounded(2)) {
                    store.UpdateCheckedCountBySearch();
                    ref.recount();
                }
            } else if (op < 78) {
                ref.onlyDeleted = random.bounded(2);
                store.SetOnlyDeleteSelected(ref.onlyDeleted);
                ref.recount();
            } else if (op < 83) {
                // A real engine never flips the flag; the recount must follow it anyway.
                FakeItem* item = anyItem();
                item->setDeleted(!item->IsDeleted());
                store.UpdateCheckedCountBySearch();
                ref.recount();
            } else if (op < 93) {
                // Both forms append after what the vector holds and set every drop mark.
                const int form = random.bounded(3);
                const bool all = form == 2;
                Positions indexs{42};
                const unsigned int n = form == 0 ? store.GetCheckedDataIndexs()
                                                 : store.GetCheckedDataIndexs(indexs, all);
                Positions expected{42};
                for (int i = 0; i < ref.entries.size(); ++i)
                    if (all || ref.selected(ref.entries[i]))
                        expected.push_back(unsigned(i));
                QVERIFY2(n == expected.size() - 1, where);
                if (form != 0)
                    QVERIFY2(indexs == expected, where);
                // A pool item may sit at several positions; its last visit wins.
                QHash<FakeItem*, bool> drops;
                for (const Reference::Entry& e : qAsConst(ref.entries))
                    drops[e.item] = !(all || ref.selected(e));
                for (auto it = drops.cbegin(); it != drops.cend(); ++it)
                    QVERIFY2(it.key()->dropMark() == it.value(), where);
            } else if (op < 96) {
                getter.clear();
                QVector<MMobile::IMDCommon*> fill;
                for (int i = random.bounded(25); i > 0; --i)
                    fill << anyItem();
                getter.prepend(fill);
                store.SetDatas(&getter);
                ref.clear();
                for (int i = fill.size() - 1; i >= 0; --i)
                    ref.add(static_cast<FakeItem*>(getter.GetItem(unsigned(i))));
            } else if (op < 98) {
                TaskItem copy(store);
                store = copy;
            } else {
                if (random.bounded(2))
                    store.ClearData();
                else
                    store.SetDatas(nullptr);
                ref.clear();
            }

            QVERIFY2(store.GetCheckedCount() == ref.checked, where);
            QVERIFY2(store.GetOnlyDeleteSelected() == ref.onlyDeleted, where);
            QVERIFY2(store.GetDataCountEx() == unsigned(ref.entries.size()), where);
            QVERIFY2(store.GetDataCount(false) == ref.count(false), where);
            QVERIFY2(store.GetDataCount(true) == ref.count(true), where);
            unsigned int firstInView = 0xFFFFFFFFu;
            Positions shown;
            for (int i = 0; i < ref.entries.size(); ++i) {
                const Reference::Entry& e = ref.entries[i];
                QVERIFY2(store.GetData(i) == e.item, where);
                QVERIFY2(store.GetCheckState(i) == e.state, where);
                QVERIFY2(store.GetSearchMark(i) == e.mark, where);
                QVERIFY2(store.CheckIdxHide(i) == !ref.inView(e), where);
                QVERIFY2(store.GetCheckedDataIndexs(i, e.item) == ref.selected(e), where);
                if (firstInView == 0xFFFFFFFFu && ref.inView(e))
                    firstInView = unsigned(i);
                if (ref.passesFilter(e))
                    shown.push_back(unsigned(i));
            }
            QVERIFY2(store.GetDefaultIdx() == firstInView, where);
            // Past the end: no item, unticked, marked and hidden.
            const unsigned int past = unsigned(ref.entries.size() + random.bounded(2));
            QVERIFY2(!store.GetData(past) && store.GetCheckState(past) == Qt::Unchecked, where);
            QVERIFY2(store.GetSearchMark(past) && store.CheckIdxHide(past), where);
            // The positions passing the filter, search marks aside, up to `max`.
            const unsigned int max = random.bounded(unsigned(shown.size()) + 2);
            QVERIFY2(store.GetShowItemIdx(nullptr, max) == 0, where);
            Positions written(shown.size() + 2, 77u);
            QVERIFY2(store.GetShowItemIdx(written.data(), max) == qMin<size_t>(max, shown.size()),
                     where);
            shown.resize(qMin<size_t>(max, shown.size()));
            written.resize(shown.size() + 1);
            shown.push_back(77u);
            QVERIFY2(written == shown, where);
            // Any item asked with a wrong or out-of-range hint.
            FakeItem* asked = anyItem();
            const int hint = anyIndex();
            QVERIFY2(store.GetCheckedDataIndexs(hint, asked) == ref.selectedAt(hint, asked), where);
        }
    }
};

QTEST_GUILESS_MAIN(TestTaskItem)
#include "tst_taskitem.moc"
