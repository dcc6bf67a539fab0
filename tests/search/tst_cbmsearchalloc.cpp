// Heap use of a search: this program replaces the global allocation functions
// to count calls, so it is kept apart from the other search tests.

#include "fakecontact.h"
#include "fakeconversation.h"
#include "fakegetter.h"
#include "fakerecords.h"

#include "allocationcounter.h"
#include "search/cbmsearch.h"
#include "store/taskitem.h"

#include <QTest>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

// A contacts store of `count` records, each with a dozen searchable texts.
struct ContactStore
{
    FakeGetter getter;
    TaskItem store{MMobile::MD_CONTACT};

    explicit ContactStore(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto contact = std::make_unique<FakeContact>();
            contact->name().set(FakeContactName::FullName, QStringLiteral("Person %1").arg(i));
            contact->phones().append("+1 555 0100");
            contact->phones().append("+1 555 0101");
            contact->organization().set(FakeContactOrganization::CompanyName, "Company");
            contact->emails().append("person@example.com");
            contact->urls().append("http://example.com/person");
            contact->addresses().append({"1 Main St", "Town", "State", "12345", "Land", "home"});
            contact->setNote("a note about this person");
            contact->setBirthday("1980-01-02");
            getter.prependNew(std::move(contact));
        }
        store.SetDatas(&getter);
    }
};

long allocationsOfSearch(CBMSearch& engine, TaskItem& store, const char* keyword)
{
    const long before = AllocationCount();
    engine.SearchContent(&store, keyword, int(qstrlen(keyword)));
    return AllocationCount() - before;
}

} // namespace

class TestCBMSearchAllocations : public QObject
{
    Q_OBJECT

private slots:
    void noAllocationPerField_data();
    void noAllocationPerField();
};

void TestCBMSearchAllocations::noAllocationPerField_data()
{
    QTest::addColumn<QByteArray>("keyword");
    QTest::newRow("missing, one byte") << QByteArray("#");
    QTest::newRow("missing, five bytes") << QByteArray("Rexon");
    QTest::newRow("in every name") << QByteArray("person");
    QTest::newRow("in the last field") << QByteArray("1980");
}

void TestCBMSearchAllocations::noAllocationPerField()
{
    QFETCH(QByteArray, keyword);

    // The counter sees this program's allocations at all.
    const long start = AllocationCount();
    int* volatile probe = new int(1);
    delete probe;
    QVERIFY(AllocationCount() > start);

    ContactStore small(1);
    ContactStore large(300);
    CBMSearch engine;
    // Let the tables reach their size first; later searches reuse them.
    engine.SearchContent(&small.store, "a much longer keyword", 21);

    const long one = allocationsOfSearch(engine, small.store, keyword.constData());
    const long many = allocationsOfSearch(engine, large.store, keyword.constData());
    QCOMPARE(many, one);
    // The folded keyword is all a search may allocate.
    QVERIFY(one <= 1);
}

QTEST_GUILESS_MAIN(TestCBMSearchAllocations)
#include "tst_cbmsearchalloc.moc"
