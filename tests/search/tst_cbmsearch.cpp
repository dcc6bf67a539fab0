#include "bmdifferential.h"
#include "cbmsearchprobe.h"

#include "fakecontact.h"
#include "fakeconversation.h"
#include "fakegetter.h"
#include "fakeitem.h"
#include "fakerecords.h"

#include "store/taskitem.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>
#include <vector>

using MMobile::MDType;

namespace {

const char kNeedle[] = "NeEdLe";
const char kFieldWithNeedle[] = "before needle after";
const char kFiller[] = "filler text";

// A store that counts what the search does to it.
class CountingStore : public TaskItem
{
public:
    using TaskItem::TaskItem;
    void SetSearchMark(unsigned int index, bool mark) override
    {
        ++markWrites;
        TaskItem::SetSearchMark(index, mark);
    }
    void UpdateCheckedCountBySearch() override
    {
        ++updates;
        TaskItem::UpdateCheckedCountBySearch();
    }
    void resetCounters()
    {
        markWrites = 0;
        updates = 0;
    }
    int markWrites = 0;
    int updates = 0;
};

// Records in store order, loaded into a counting store of one category.
struct Fixture
{
    FakeGetter getter;
    CountingStore store;
    std::vector<FakeItem*> items;

    explicit Fixture(MDType type) : store(type) {}

    template <class Record> Record* add(std::unique_ptr<Record> record)
    {
        Record* raw = record.get();
        items.push_back(getter.newItem(std::move(record)));
        return raw;
    }
    void addItem(MMobile::IMDRecord* borrowed)
    {
        items.push_back(getter.adopt(std::make_unique<FakeItem>(borrowed)));
    }
    void load()
    {
        getter.clear();
        for (auto it = items.rbegin(); it != items.rend(); ++it)
            getter.prepend(*it);
        store.SetDatas(&getter);
        store.resetCounters();
    }
    QVector<bool> marks() const
    {
        QVector<bool> result;
        for (unsigned int i = 0; i < store.GetDataCountEx(); ++i)
            result.append(store.GetSearchMark(i));
        return result;
    }
    void setMarks(const QVector<bool>& marks)
    {
        for (int i = 0; i < marks.size(); ++i)
            store.SetSearchMark(unsigned(i), marks[i]);
        store.resetCounters();
    }
};

bool search(CBMSearch& engine, TaskItem& store, const char* keyword)
{
    return engine.SearchContent(&store, keyword, keyword ? int(qstrlen(keyword)) : 0);
}

// Text records with `field` set to `text` and every other field `other`.
template <class Record>
std::unique_ptr<Record> textRecord(int field, const char* text, const char* other)
{
    auto record = std::make_unique<Record>();
    for (int i = 0; i < Record::FieldCount; ++i)
        record->set(i, i == field ? FakeText(text) : FakeText(other));
    return record;
}

void addTextRecord(Fixture& fixture, MDType type, int field, const char* text, const char* other)
{
    switch (type) {
    case MMobile::MD_CALL_HISTORY:
        fixture.add(textRecord<FakeCallHistory>(field, text, other));
        break;
    case MMobile::MD_CALENDAR:
        fixture.add(textRecord<FakeCalendar>(field, text, other));
        break;
    case MMobile::MD_NOTE:
        fixture.add(textRecord<FakeNote>(field, text, other));
        break;
    case MMobile::MD_SAFARI_BOOKMARK:
        fixture.add(textRecord<FakeSafariBookmark>(field, text, other));
        break;
    case MMobile::MD_WECHAT_CONTACT:
        fixture.add(textRecord<FakeWeChatFriend>(field, text, other));
        break;
    case MMobile::MD_REMINDER:
        fixture.add(textRecord<FakeReminider>(field, text, other));
        break;
    case MMobile::MD_WECHAT_MESSAGE:
        fixture.add(textRecord<FakeWeChatMessager>(field, text, other));
        break;
    case MMobile::MD_WHATSAPP_MESSAGE:
        fixture.add(textRecord<FakeWhatsAppMessenger>(field, text, other));
        break;
    default:
        QFAIL("no text record for this category");
    }
}

int fieldCount(MDType type)
{
    switch (type) {
    case MMobile::MD_CALL_HISTORY:
        return FakeCallHistory::FieldCount;
    case MMobile::MD_CALENDAR:
        return FakeCalendar::FieldCount;
    case MMobile::MD_NOTE:
        return FakeNote::FieldCount;
    case MMobile::MD_SAFARI_BOOKMARK:
        return FakeSafariBookmark::FieldCount;
    case MMobile::MD_WECHAT_CONTACT:
        return FakeWeChatFriend::FieldCount;
    case MMobile::MD_REMINDER:
        return FakeReminider::FieldCount;
    case MMobile::MD_WECHAT_MESSAGE:
        return FakeWeChatMessager::FieldCount;
    case MMobile::MD_WHATSAPP_MESSAGE:
        return FakeWhatsAppMessenger::FieldCount;
    default:
        return 0;
    }
}

// Lists that hold one entry more than they admit to: a search that reads past
// the count finds the needle in the hidden entry.
class ShortPhoneList : public FakeContactList
{
public:
    unsigned int GetCount() override { return FakeContactList::GetCount() - 1; }
};

class ShortAddressList : public FakeContactAddressList
{
public:
    unsigned int GetCount() override { return FakeContactAddressList::GetCount() - 1; }
};

class ContactWithShortLists : public FakeContact
{
public:
    MMobile::IContactList* GetPhoneList() override { return &shortPhones; }
    MMobile::IContactAddressList* GetAddressList() override { return &shortAddresses; }
    ShortPhoneList shortPhones;
    ShortAddressList shortAddresses;
};

class MessageWithHiddenTail : public FakeMessage
{
public:
    unsigned int GetParticipantCount() override
    {
        return FakeMessage::GetParticipantCount() - hideParticipants;
    }
    unsigned int GetEntryCount() override { return FakeMessage::GetEntryCount() - hideEntries; }
    unsigned int hideParticipants = 0;
    unsigned int hideEntries = 0;
};

class WhatsAppWithHiddenTail : public FakeWhatsAppMessenger
{
public:
    unsigned int GetEntryCount() override { return FakeWhatsAppMessenger::GetEntryCount() - 1; }
};

enum NameState { NullName, EmptyName, OtherName };

FakeText nameText(int state, const char* other)
{
    switch (state) {
    case NullName:
        return FakeText();
    case EmptyName:
        return FakeText("");
    default:
        return FakeText(other);
    }
}

} // namespace

Q_DECLARE_METATYPE(MDType)

class TestCBMSearch : public QObject
{
    Q_OBJECT

private slots:
    void newEngineIsEmpty();
    void tables_data();
    void tables();
    void buildRejectsBadPatterns();
    void matches_data();
    void matches();
    void keywordWithoutTerminator();
    void tablesAreReusedAndGrow();
    void copyDoesNotShareArrays();

    void emptyStoreIsLeftAlone();
    void noKeywordMarksEverything_data();
    void noKeywordMarksEverything();
    void keywordWritesMarksAndUpdatesOnce();
    void categoriesWithoutSearch_data();
    void categoriesWithoutSearch();
    void recordOfAnotherKindDoesNotMatch();
    void buildFailureKeepsMarks();

    void textRecordFields_data();
    void textRecordFields();
    void contactFields_data();
    void contactFields();
    void conversationFields_data();
    void conversationFields();
    void listsWalkedToTheirCounts_data();
    void listsWalkedToTheirCounts();
    void allTextsNull_data();
    void allTextsNull();

    void differentialAgainstNaiveSearch();
};

void TestCBMSearch::newEngineIsEmpty()
{
    CBMSearch engine;
    QCOMPARE(CBMSearchProbe::tableSize(engine), 0);
    QVERIFY(!CBMSearchProbe::suffixArray(engine));
    QVERIFY(!CBMSearchProbe::goodSuffixArray(engine));
    for (int b = 0; b < 256; ++b)
        QCOMPARE(CBMSearchProbe::badChar(engine, uchar(b)), 0);
}

void TestCBMSearch::tables_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QVector<int>>("badChar"); // per pattern byte, same order
    QTest::addColumn<int>("otherBytes");
    QTest::addColumn<QVector<int>>("suffix");
    QTest::addColumn<QVector<int>>("goodSuffix");

    QTest::newRow("abcab") << QByteArray("abcab") << QVector<int>{1, 3, 2, 1, 3} << 5
                           << QVector<int>{0, 2, 0, 0, 5} << QVector<int>{3, 3, 3, 5, 1};
    QTest::newRow("aaaa") << QByteArray("aaaa") << QVector<int>{1, 1, 1, 1} << 4
                          << QVector<int>{1, 2, 3, 4} << QVector<int>{1, 2, 3, 4};
    QTest::newRow("one byte") << QByteArray("x") << QVector<int>{1} << 1 << QVector<int>{1}
                              << QVector<int>{1};
    // Last byte occurs only at the end: it keeps the full shift.
    QTest::newRow("abcd") << QByteArray("abcd") << QVector<int>{3, 2, 1, 4} << 4
                          << QVector<int>{0, 0, 0, 4} << QVector<int>{4, 4, 4, 1};
    QTest::newRow("non-ASCII bytes") << QByteArray("\xc3\xa9\xc3") << QVector<int>{2, 1, 2} << 3
                                     << QVector<int>{1, 0, 3} << QVector<int>{2, 2, 1};
}

void TestCBMSearch::tables()
{
    QFETCH(QByteArray, pattern);
    QFETCH(QVector<int>, badChar);
    QFETCH(int, otherBytes);
    QFETCH(QVector<int>, suffix);
    QFETCH(QVector<int>, goodSuffix);

    CBMSearch engine;
    const int m = pattern.size();
    QVERIFY(CBMSearchProbe::buildBS(engine, pattern.constData(), m));
    QVERIFY(CBMSearchProbe::buildGS(engine, pattern.constData(), m));
    for (int i = 0; i < m; ++i)
        QCOMPARE(CBMSearchProbe::badChar(engine, uchar(pattern[i])), badChar[i]);
    for (int b = 0; b < 256; ++b) {
        if (!pattern.contains(char(b)))
            QCOMPARE(CBMSearchProbe::badChar(engine, uchar(b)), otherBytes);
    }
    QCOMPARE(CBMSearchProbe::suffix(engine, m), suffix);
    QCOMPARE(CBMSearchProbe::goodSuffix(engine, m), goodSuffix);
    QCOMPARE(CBMSearchProbe::tableSize(engine), m);
}

void TestCBMSearch::buildRejectsBadPatterns()
{
    CBMSearch engine;
    QVERIFY(CBMSearchProbe::buildBS(engine, "abc", 3));
    QVERIFY(!CBMSearchProbe::buildBS(engine, nullptr, 3));
    QVERIFY(!CBMSearchProbe::buildBS(engine, "abc", 0));
    QVERIFY(!CBMSearchProbe::buildBS(engine, "abc", -1));
    QCOMPARE(CBMSearchProbe::badChar(engine, 'a'), 2); // unchanged by the refusals
    QCOMPARE(CBMSearchProbe::badChar(engine, 'z'), 3);

    QVERIFY(!CBMSearchProbe::buildGS(engine, nullptr, 3));
    QVERIFY(!CBMSearchProbe::buildGS(engine, "abc", 0));
    QCOMPARE(CBMSearchProbe::tableSize(engine), 0);
    // Without tables for the pattern a search finds nothing instead of reading
    // past the arrays.
    QVERIFY(!CBMSearchProbe::bmSearch(engine, "abc", "abc", 3));
}

void TestCBMSearch::matches_data()
{
    QTest::addColumn<QByteArray>("keyword");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("found");

    QTest::newRow("mixed case keyword, capital text")
        << QByteArray("Smith") << 5 << QByteArray("JOHN SMITH") << true;
    QTest::newRow("capital keyword, lower text")
        << QByteArray("SMITH") << 5 << QByteArray("john smith") << true;
    QTest::newRow("abcab inside") << QByteArray("abcab") << 5 << QByteArray("xxABCABxx") << true;
    QTest::newRow("text shorter than pattern")
        << QByteArray("abcab") << 5 << QByteArray("abca") << false;
    QTest::newRow("text equal to pattern")
        << QByteArray("abcab") << 5 << QByteArray("abcab") << true;
    QTest::newRow("text equal after folding")
        << QByteArray("abcab") << 5 << QByteArray("ABCAB") << true;
    QTest::newRow("match at the very start")
        << QByteArray("abc") << 3 << QByteArray("abcxxxxx") << true;
    QTest::newRow("match at the very end")
        << QByteArray("abc") << 3 << QByteArray("xxxxxabc") << true;
    QTest::newRow("near miss only")
        << QByteArray("abcab") << 5 << QByteArray("abcaXabcaa") << false;
    QTest::newRow("overlapping prefix") << QByteArray("abab") << 4 << QByteArray("abaabab") << true;
    QTest::newRow("run of one letter") << QByteArray("aab") << 3 << QByteArray("aaaab") << true;
    QTest::newRow("empty text") << QByteArray("a") << 1 << QByteArray("") << false;

    QTest::newRow("one byte found") << QByteArray("q") << 1 << QByteArray("the quick") << true;
    QTest::newRow("one byte folded") << QByteArray("Q") << 1 << QByteArray("the quick") << true;
    QTest::newRow("one byte missing") << QByteArray("q") << 1 << QByteArray("the brown") << false;
    QTest::newRow("one byte text") << QByteArray("k") << 1 << QByteArray("K") << true;

    QTest::newRow("length shorter than keyword")
        << QByteArray("needlexyz") << 6 << QByteArray("a NEEDLE here") << true;
    QTest::newRow("whole keyword missing")
        << QByteArray("needlexyz") << 9 << QByteArray("a NEEDLE here") << false;
    QTest::newRow("length past the keyword is cut")
        << QByteArray("abc") << 50 << QByteArray("xxabcxx") << true;

    // Only A-Z fold: the neighbours of the letter ranges stay apart.
    QTest::newRow("@ is not `") << QByteArray("@") << 1 << QByteArray("`") << false;
    QTest::newRow("` is not @") << QByteArray("`") << 1 << QByteArray("@") << false;
    QTest::newRow("[ is not {") << QByteArray("[") << 1 << QByteArray("{") << false;
    QTest::newRow("{ is not [") << QByteArray("{") << 1 << QByteArray("[") << false;
    QTest::newRow("Z is z") << QByteArray("Z") << 1 << QByteArray("z") << true;
    QTest::newRow("A is a") << QByteArray("a") << 1 << QByteArray("A") << true;

    // UTF-8: é is C3 A9, É is C3 89; the bytes are compared as they are.
    QTest::newRow("same non-ASCII bytes")
        << QByteArray("caf\xc3\xa9") << 5 << QByteArray("CAF\xc3\xa9 au lait") << true;
    QTest::newRow("non-ASCII case differs")
        << QByteArray("caf\xc3\xa9") << 5 << QByteArray("CAF\xc3\x89") << false;
    QTest::newRow("upper non-ASCII keyword")
        << QByteArray("\xc3\x89") << 2 << QByteArray("\xc3\xa9t\xc3\xa9") << false;
    QTest::newRow("high byte not folded like Latin-1")
        << QByteArray("\xc9") << 1 << QByteArray("\xe9") << false;
    QTest::newRow("high byte itself") << QByteArray("\xe9") << 1 << QByteArray("ab\xe9") << true;
    QTest::newRow("byte above 0x7F minus 0x20")
        << QByteArray("\xa9") << 1 << QByteArray("\x89") << false;
}

void TestCBMSearch::matches()
{
    QFETCH(QByteArray, keyword);
    QFETCH(int, length);
    QFETCH(QByteArray, text);
    QFETCH(bool, found);

    // Through the whole search, with the text once in each bookmark field.
    for (int field = 0; field < FakeSafariBookmark::FieldCount; ++field) {
        Fixture fixture(MMobile::MD_SAFARI_BOOKMARK);
        fixture.add(textRecord<FakeSafariBookmark>(field, text.constData(), nullptr));
        fixture.load();
        CBMSearch engine;
        QVERIFY(engine.SearchContent(&fixture.store, keyword.constData(), length));
        QCOMPARE(fixture.marks(), QVector<bool>{found});
    }
}

void TestCBMSearch::keywordWithoutTerminator()
{
    Fixture fixture(MMobile::MD_SAFARI_BOOKMARK);
    fixture.add(textRecord<FakeSafariBookmark>(0, "xxABCxx", nullptr));
    fixture.add(textRecord<FakeSafariBookmark>(0, "xxABxx", nullptr));
    fixture.load();

    // Exactly `length` bytes on the heap: the sanitizer build catches a read
    // past them.
    std::unique_ptr<char[]> keyword(new char[3]{'a', 'b', 'c'});
    CBMSearch engine;
    QVERIFY(engine.SearchContent(&fixture.store, keyword.get(), 3));
    QCOMPARE(fixture.marks(), (QVector<bool>{true, false}));
}

void TestCBMSearch::tablesAreReusedAndGrow()
{
    Fixture fixture(MMobile::MD_NOTE);
    fixture.add(textRecord<FakeNote>(0, "Some long title here", nullptr));
    fixture.load();

    CBMSearch engine;
    QVERIFY(search(engine, fixture.store, "long title"));
    QCOMPARE(CBMSearchProbe::tableSize(engine), 10);
    const void* suffix = CBMSearchProbe::suffixArray(engine);
    const void* shifts = CBMSearchProbe::goodSuffixArray(engine);

    QVERIFY(search(engine, fixture.store, "tit"));
    QCOMPARE(CBMSearchProbe::tableSize(engine), 10);
    QCOMPARE(CBMSearchProbe::suffixArray(engine), suffix);
    QCOMPARE(CBMSearchProbe::goodSuffixArray(engine), shifts);
    QCOMPARE(fixture.marks(), QVector<bool>{true});
    // Entries left over from the longer pattern must not leak into this one.
    CBMSearch fresh;
    QVERIFY(CBMSearchProbe::buildGS(fresh, "tit", 3));
    QCOMPARE(CBMSearchProbe::goodSuffix(engine, 3), CBMSearchProbe::goodSuffix(fresh, 3));
    QCOMPARE(CBMSearchProbe::suffix(engine, 3), CBMSearchProbe::suffix(fresh, 3));

    QVERIFY(search(engine, fixture.store, "title herx"));
    QCOMPARE(CBMSearchProbe::tableSize(engine), 10);
    QCOMPARE(fixture.marks(), QVector<bool>{false});

    QVERIFY(search(engine, fixture.store, "some long title"));
    QCOMPARE(CBMSearchProbe::tableSize(engine), 15);
    QCOMPARE(fixture.marks(), QVector<bool>{true});

    // Clearing the keyword leaves the tables alone.
    QVERIFY(search(engine, fixture.store, nullptr));
    QCOMPARE(CBMSearchProbe::tableSize(engine), 15);
}

void TestCBMSearch::copyDoesNotShareArrays()
{
    Fixture fixture(MMobile::MD_NOTE);
    fixture.add(textRecord<FakeNote>(2, "body with keyword", nullptr));
    fixture.load();

    CBMSearch source;
    QVERIFY(search(source, fixture.store, "keyword"));
    QCOMPARE(CBMSearchProbe::tableSize(source), 7);

    CBMSearch target;
    QVERIFY(search(target, fixture.store, "with"));
    target = source;
    QCOMPARE(CBMSearchProbe::tableSize(target), 0);
    QVERIFY(!CBMSearchProbe::suffixArray(target));
    QVERIFY(!CBMSearchProbe::goodSuffixArray(target));
    QCOMPARE(CBMSearchProbe::badChar(target, 'k'), 0);
    QCOMPARE(CBMSearchProbe::tableSize(source), 7);
    QVERIFY(CBMSearchProbe::suffixArray(source));

    CBMSearch& alias = source;
    source = alias;
    QCOMPARE(CBMSearchProbe::tableSize(source), 7);

    CBMSearch constructed(source);
    QCOMPARE(CBMSearchProbe::tableSize(constructed), 0);
    QVERIFY(!CBMSearchProbe::suffixArray(constructed));

    // Both still search on their own; the sanitizer build catches a shared
    // array freed twice when they go.
    QVERIFY(search(target, fixture.store, "missing"));
    QCOMPARE(fixture.marks(), QVector<bool>{false});
    QVERIFY(search(source, fixture.store, "BODY"));
    QCOMPARE(fixture.marks(), QVector<bool>{true});
    QVERIFY(search(constructed, fixture.store, "keyword"));
    QCOMPARE(fixture.marks(), QVector<bool>{true});
}

void TestCBMSearch::emptyStoreIsLeftAlone()
{
    CountingStore store(MMobile::MD_CONTACT);
    CBMSearch engine;
    QVERIFY(search(engine, store, "abc"));
    QVERIFY(search(engine, store, nullptr));
    QVERIFY(engine.SearchContent(&store, "abc", 0));
    QCOMPARE(store.updates, 0);
    QCOMPARE(store.markWrites, 0);
    QCOMPARE(CBMSearchProbe::tableSize(engine), 0);
    QVERIFY(!engine.SearchContent(nullptr, "abc", 3));
}

void TestCBMSearch::noKeywordMarksEverything_data()
{
    QTest::addColumn<QByteArray>("keyword");
    QTest::addColumn<bool>("nullKeyword");
    QTest::addColumn<int>("length");

    QTest::newRow("null keyword") << QByteArray() << true << 5;
    QTest::newRow("length 0") << QByteArray("title") << false << 0;
    QTest::newRow("negative length") << QByteArray("title") << false << -4;
    QTest::newRow("empty keyword, length given") << QByteArray("") << false << 3;
}

void TestCBMSearch::noKeywordMarksEverything()
{
    QFETCH(QByteArray, keyword);
    QFETCH(bool, nullKeyword);
    QFETCH(int, length);

    Fixture fixture(MMobile::MD_SAFARI_BOOKMARK);
    for (int i = 0; i < 4; ++i)
        fixture.add(textRecord<FakeSafariBookmark>(0, kFiller, nullptr));
    fixture.load();
    fixture.setMarks({false, true, false, false});

    CBMSearch engine;
    QVERIFY(
        engine.SearchContent(&fixture.store, nullKeyword ? nullptr : keyword.constData(), length));
    QCOMPARE(fixture.marks(), QVector<bool>(4, true));
    QCOMPARE(fixture.store.markWrites, 4);
    QCOMPARE(fixture.store.updates, 1);
}

void TestCBMSearch::keywordWritesMarksAndUpdatesOnce()
{
    Fixture fixture(MMobile::MD_CALL_HISTORY);
    const char* names[] = {"Ann Lee", "Bob Stone", "ANNA", "Lee Ann", "Annex", "Joe"};
    for (const char* name : names)
        fixture.add(textRecord<FakeCallHistory>(FakeCallHistory::Name, name, nullptr));
    fixture.load();
    // Ticked items: the count must follow the new marks.
    for (unsigned int i = 0; i < 6; ++i)
        fixture.store.SetChecked(i, Qt::Checked);
    fixture.setMarks({false, true, true, false, true, true});

    CBMSearch engine;
    QVERIFY(search(engine, fixture.store, "ann"));
    QCOMPARE(fixture.marks(), (QVector<bool>{true, false, true, true, true, false}));
    QCOMPARE(fixture.store.markWrites, 6);
    QCOMPARE(fixture.store.updates, 1);
    QCOMPARE(fixture.store.GetCheckedCount(), 4u);
}

void TestCBMSearch::categoriesWithoutSearch_data()
{
    QTest::addColumn<MDType>("type");
    QTest::newRow("photo") << MMobile::MD_PHOTO;
    QTest::newRow("message attachment") << MMobile::MD_MESSAGE_ATTACHMENT;
    QTest::newRow("note attachment") << MMobile::MD_NOTE_ATTACHMENT;
    QTest::newRow("voice memo") << MMobile::MD_VOICE_MEMO;
    QTest::newRow("WhatsApp attachment") << MMobile::MD_WHATSAPP_ATTACHMENT;
    QTest::newRow("WeChat attachment") << MMobile::MD_WECHAT_ATTACHMENT;
    QTest::newRow("15") << MDType(15);
    QTest::newRow("21") << MDType(21);
    QTest::newRow("99") << MDType(99);
    QTest::newRow("-1") << MDType(-1);
}

void TestCBMSearch::categoriesWithoutSearch()
{
    QFETCH(MDType, type);

    // Records that would match if they were searched.
    Fixture fixture(type);
    fixture.add(textRecord<FakeNote>(0, kFieldWithNeedle, kFieldWithNeedle));
    fixture.add(textRecord<FakeSafariBookmark>(0, kFieldWithNeedle, kFieldWithNeedle));
    fixture.addItem(nullptr);
    fixture.load();

    CBMSearch engine;
    QVERIFY(search(engine, fixture.store, kNeedle));
    QCOMPARE(fixture.marks(), QVector<bool>(3, false));
    QCOMPARE(fixture.store.updates, 1);
    QVERIFY(search(engine, fixture.store, nullptr));
    QCOMPARE(fixture.marks(), QVector<bool>(3, true));
    QCOMPARE(fixture.store.updates, 2);
}

void TestCBMSearch::recordOfAnotherKindDoesNotMatch()
{
    Fixture fixture(MMobile::MD_CONTACT);
    fixture.add(textRecord<FakeSafariBookmark>(0, kFieldWithNeedle, kFieldWithNeedle));
    fixture.addItem(nullptr);
    auto contact = std::make_unique<FakeContact>();
    contact->setNote(kFieldWithNeedle);
    fixture.add(std::move(contact));
    fixture.load();

    CBMSearch engine;
    QVERIFY(search(engine, fixture.store, kNeedle));
    QCOMPARE(fixture.marks(), (QVector<bool>{false, false, true}));
}

void TestCBMSearch::buildFailureKeepsMarks()
{
    Fixture fixture(MMobile::MD_NOTE);
    for (int i = 0; i < 3; ++i)
        fixture.add(textRecord<FakeNote>(0, kFieldWithNeedle, nullptr));
    fixture.load();
    const QVector<bool> before{true, false, true};
    fixture.setMarks(before);

    CBMSearch engine;
    CBMSearchProbe::failNextAllocation();
    QVERIFY(!search(engine, fixture.store, "filler"));
    QCOMPARE(fixture.marks(), before);
    QCOMPARE(fixture.store.markWrites, 0);
    QCOMPARE(fixture.store.updates, 0);
    QCOMPARE(CBMSearchProbe::tableSize(engine), 0);
    QVERIFY(!CBMSearchProbe::suffixArray(engine));

    // Growing fails too: the old arrays are gone and the marks stay.
    QVERIFY(search(engine, fixture.store, "xy"));
    QCOMPARE(fixture.marks(), QVector<bool>(3, false));
    fixture.setMarks(before);
    CBMSearchProbe::failNextAllocation();
    QVERIFY(!search(engine, fixture.store, kNeedle));
    QCOMPARE(fixture.marks(), before);
    QCOMPARE(fixture.store.updates, 0);

    // The next search builds afresh.
    QVERIFY(search(engine, fixture.store, kNeedle));
    QCOMPARE(fixture.marks(), QVector<bool>(3, true));
    QCOMPARE(fixture.store.updates, 1);
}

void TestCBMSearch::textRecordFields_data()
{
    QTest::addColumn<MDType>("type");
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("othersNull");
    QTest::addColumn<bool>("found");

    struct Row
    {
        const char* name;
        MDType type;
        QVector<int> unsearched;
    };
    const Row rows[] = {
        {"call", MMobile::MD_CALL_HISTORY, {}},
        {"calendar", MMobile::MD_CALENDAR, {}},
        {"note", MMobile::MD_NOTE, {}},
        {"bookmark", MMobile::MD_SAFARI_BOOKMARK, {}},
        {"WeChat friend", MMobile::MD_WECHAT_CONTACT, {}},
        {"reminder", MMobile::MD_REMINDER, {}},
        {"WeChat chat", MMobile::MD_WECHAT_MESSAGE, {}},
        {"WhatsApp chat", MMobile::MD_WHATSAPP_MESSAGE, {FakeWhatsAppMessenger::ChatName}},
    };
    for (const Row& row : rows) {
        for (int field = 0; field < fieldCount(row.type); ++field) {
            for (bool othersNull : {false, true}) {
                QTest::addRow("%s field %d%s", row.name, field, othersNull ? ", others null" : "")
                    << row.type << field << othersNull << !row.unsearched.contains(field);
            }
        }
    }
}

void TestCBMSearch::textRecordFields()
{
    QFETCH(MDType, type);
    QFETCH(int, field);
    QFETCH(bool, othersNull);
    QFETCH(bool, found);

    Fixture fixture(type);
    addTextRecord(fixture, type, field, kFieldWithNeedle, othersNull ? nullptr : kFiller);
    addTextRecord(fixture, type, field, kFiller, othersNull ? nullptr : kFiller);
    fixture.load();

    CBMSearch engine;
    QVERIFY(search(engine, fixture.store, kNeedle));
    QCOMPARE(fixture.marks(), (QVector<bool>{found, false}));
}

void TestCBMSearch::contactFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("fullName");
    QTest::addColumn<int>("company");
    QTest::addColumn<bool>("found");

    QTest::newRow("full name") << "fullName" << int(OtherName) << int(OtherName) << true;
    for (int part = 1; part <= 9; ++part) {
        const QString field = QStringLiteral("part%1").arg(part);
        QTest::addRow("name part %d behind a full name", part)
            << field << int(OtherName) << int(OtherName) << false;
        QTest::addRow("name part %d, empty full name", part)
            << field << int(EmptyName) << int(OtherName) << true;
        QTest::addRow("name part %d, null full name", part)
            << field << int(NullName) << int(OtherName) << true;
    }
    QTest::newRow("company") << "company" << int(OtherName) << int(OtherName) << true;
    for (int part = 1; part <= 3; ++part) {
        const QString field = QStringLiteral("org%1").arg(part);
        QTest::addRow("organisation part %d behind a company", part)
            << field << int(OtherName) << int(OtherName) << false;
        QTest::addRow("organisation part %d, empty company", part)
            << field << int(OtherName) << int(EmptyName) << true;
        QTest::addRow("organisation part %d, null company", part)
            << field << int(OtherName) << int(NullName) << true;
    }
    const char* lists[] = {"phone", "email", "url", "im", "related", "date", "social"};
    for (const char* list : lists)
        QTest::addRow("%s list", list) << list << int(OtherName) << int(OtherName) << true;
    for (int part = 1; part <= 6; ++part)
        QTest::addRow("address field %d", part)
            << QStringLiteral("address%1").arg(part) << int(OtherName) << int(OtherName) << true;
    QTest::newRow("note") << "note" << int(NullName) << int(NullName) << true;
    QTest::newRow("birthday") << "birthday" << int(EmptyName) << int(EmptyName) << true;
    QTest::newRow("a list label") << "phoneLabel" << int(OtherName) << int(OtherName) << false;
    QTest::newRow("nowhere") << "none" << int(NullName) << int(NullName) << false;
}

void TestCBMSearch::contactFields()
{
    QFETCH(QString, field);
    QFETCH(int, fullName);
    QFETCH(int, company);
    QFETCH(bool, found);

    auto contact = std::make_unique<FakeContact>();
    FakeContact& c = *contact;
    c.name().set(FakeContactName::FullName, nameText(fullName, "Someone Else"));
    c.organization().set(FakeContactOrganization::CompanyName, nameText(company, "Acme"));
    // Every list holds a filler entry before the one that may carry the needle.
    FakeContactList* lists[] = {&c.phones(),          &c.emails(),       &c.urls(),
                                &c.instantMessages(), &c.relatedNames(), &c.dates(),
                                &c.socialProfiles()};
    const char* listNames[] = {"phone", "email", "url", "im", "related", "date", "social"};
    for (int i = 0; i < 7; ++i) {
        lists[i]->append(kFiller, kFiller);
        if (field == QLatin1String(listNames[i]))
            lists[i]->append(kFieldWithNeedle, kFiller);
    }
    if (field == QLatin1String("phoneLabel"))
        c.phones().append(kFiller, kFieldWithNeedle);
    c.addresses().append({kFiller, kFiller, kFiller, kFiller, kFiller, kFiller});

    if (field.startsWith(QLatin1String("part")))
        c.name().set(field.mid(4).toInt() - 1, kFieldWithNeedle);
    else if (field == QLatin1String("fullName"))
        c.name().set(FakeContactName::FullName, kFieldWithNeedle);
    else if (field.startsWith(QLatin1String("org")))
        c.organization().set(field.mid(3).toInt() - 1, kFieldWithNeedle);
    else if (field == QLatin1String("company"))
        c.organization().set(FakeContactOrganization::CompanyName, kFieldWithNeedle);
    else if (field.startsWith(QLatin1String("address"))) {
        QStringList texts;
        for (int k = 0; k < FakeContactAddressList::FieldCount; ++k)
            texts << kFiller;
        texts[field.mid(7).toInt() - 1] = kFieldWithNeedle;
        c.addresses().append(texts);
    } else if (field == QLatin1String("note"))
        c.setNote(kFieldWithNeedle);
    else if (field == QLatin1String("birthday"))
        c.setBirthday(kFieldWithNeedle);

    Fixture fixture(MMobile::MD_CONTACT);
    fixture.add(std::move(contact));
    fixture.add(std::make_unique<FakeContact>());
    fixture.load();

    CBMSearch engine;
    QVERIFY(search(engine, fixture.store, kNeedle));
    QCOMPARE(fixture.marks(), (QVector<bool>{found, false}));
}

void TestCBMSearch::conversationFields_data()
{
    QTest::addColumn<MDType>("type");
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("at");
    QTest::addColumn<bool>("found");

    const MDType message = MMobile::MD_MESSAGE;
    const MDType whatsApp = MMobile::MD_WHATSAPP_MESSAGE;
    const MDType weChat = MMobile::MD_WECHAT_MESSAGE;
    QTest::newRow("message participant name") << message << "name" << 0 << true;
    QTest::newRow("message participant phone") << message << "phone" << 1 << true;
    QTest::newRow("message participant e-mail") << message << "email" << 2 << true;
    QTest::newRow("message entry text") << message << "text" << 2 << true;
    QTest::newRow("message entry sender") << message << "sender" << 0 << true;
    QTest::newRow("message entry date") << message << "date" << 1 << false;
    QTest::newRow("WhatsApp entry text") << whatsApp << "text" << 2 << true;
    QTest::newRow("WhatsApp entry sender") << whatsApp << "sender" << 1 << true;
    QTest::newRow("WhatsApp entry date") << whatsApp << "date" << 0 << false;
    QTest::newRow("WeChat entry text") << weChat << "text" << 0 << false;
    QTest::newRow("WeChat entry sender") << weChat << "sender" << 1 << false;
}

void TestCBMSearch::conversationFields()
{
    QFETCH(MDType, type);
    QFETCH(QString, where);
    QFETCH(int, at);
    QFETCH(bool, found);

    auto pick = [&](const char* role, int index) -> FakeText {
        return where == QLatin1String(role) && at == index ? FakeText(kFieldWithNeedle)
                                                           : FakeText(kFiller);
    };
    Fixture fixture(type);
    if (type == MMobile::MD_MESSAGE) {
        auto chat = std::make_unique<FakeMessage>();
        for (int k = 0; k < 3; ++k) {
            chat->addParticipant(pick("name", k), pick("phone", k), pick("email", k));
            chat->addEntry(pick("text", k), pick("sender", k), pick("date", k));
        }
        fixture.add(std::move(chat));
    } else if (type == MMobile::MD_WHATSAPP_MESSAGE) {
        auto chat = std::make_unique<FakeWhatsAppMessenger>(QStringList{kFiller, kFiller, kFiller});
        for (int k = 0; k < 3; ++k)
            chat->addEntry(pick("text", k), pick("sender", k), pick("date", k));
        fixture.add(std::move(chat));
    } else {
        auto chat = std::make_unique<FakeWeChatMessager>(QStringList{kFiller, kFiller, kFiller});
        for (int k = 0; k < 3; ++k)
            chat->addEntry(pick("text", k), pick("sender", k), pick("date", k));
        fixture.add(std::move(chat));
    }
    fixture.load();

    CBMSearch engine;
    QVERIFY(search(engine, fixture.store, kNeedle));
    QCOMPARE(fixture.marks(), QVector<bool>{found});
}

void TestCBMSearch::listsWalkedToTheirCounts_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("beyondCount");

    for (const char* list : {"participants", "entries", "whatsapp", "phones", "addresses"}) {
        QTest::addRow("%s, last counted entry", list) << list << false;
        QTest::addRow("%s, entry past the count", list) << list << true;
    }
}

void TestCBMSearch::listsWalkedToTheirCounts()
{
    QFETCH(QString, list);
    QFETCH(bool, beyondCount);

    // Three entries are counted; the needle sits in the third or in a fourth
    // entry that the record holds but does not count.
    const int needleAt = beyondCount ? 3 : 2;
    auto text = [&](int k) {
        return k == needleAt ? FakeText(kFieldWithNeedle) : FakeText(kFiller);
    };

    std::unique_ptr<Fixture> fixture;
    if (list == QLatin1String("participants") || list == QLatin1String("entries")) {
        fixture = std::make_unique<Fixture>(MMobile::MD_MESSAGE);
        auto chat = std::make_unique<MessageWithHiddenTail>();
        const bool participants = list == QLatin1String("participants");
        for (int k = 0; k < 4; ++k) {
            if (participants)
                chat->addParticipant(kFiller, kFiller, text(k));
            else
                chat->addEntry(text(k), kFiller, kFiller);
        }
        chat->hideParticipants = participants ? 1 : 0;
        chat->hideEntries = participants ? 0 : 1;
        fixture->add(std::move(chat));
    } else if (list == QLatin1String("whatsapp")) {
        fixture = std::make_unique<Fixture>(MMobile::MD_WHATSAPP_MESSAGE);
        auto chat = std::make_unique<WhatsAppWithHiddenTail>();
        for (int k = 0; k < 4; ++k)
            chat->addEntry(kFiller, text(k), kFiller);
        fixture->add(std::move(chat));
    } else {
        fixture = std::make_unique<Fixture>(MMobile::MD_CONTACT);
        auto contact = std::make_unique<ContactWithShortLists>();
        for (int k = 0; k < 4; ++k) {
            if (list == QLatin1String("phones")) {
                contact->shortPhones.append(text(k));
                contact->shortAddresses.append({kFiller});
            } else {
                contact->shortPhones.append(kFiller);
                contact->shortAddresses.append({kFiller, kFiller, kFiller, kFiller, kFiller,
                                                QString::fromUtf8(text(k).bytes())});
            }
        }
        fixture->add(std::move(contact));
    }
    fixture->load();

    CBMSearch engine;
    QVERIFY(search(engine, fixture->store, kNeedle));
    QCOMPARE(fixture->marks(), QVector<bool>{!beyondCount});
}

void TestCBMSearch::allTextsNull_data()
{
    QTest::addColumn<MDType>("type");
    QTest::newRow("contact") << MMobile::MD_CONTACT;
    QTest::newRow("message") << MMobile::MD_MESSAGE;
    QTest::newRow("call") << MMobile::MD_CALL_HISTORY;
    QTest::newRow("calendar") << MMobile::MD_CALENDAR;
    QTest::newRow("note") << MMobile::MD_NOTE;
    QTest::newRow("bookmark") << MMobile::MD_SAFARI_BOOKMARK;
    QTest::newRow("WhatsApp") << MMobile::MD_WHATSAPP_MESSAGE;
    QTest::newRow("WeChat friend") << MMobile::MD_WECHAT_CONTACT;
    QTest::newRow("WeChat chat") << MMobile::MD_WECHAT_MESSAGE;
    QTest::newRow("reminder") << MMobile::MD_REMINDER;
}

void TestCBMSearch::allTextsNull()
{
    QFETCH(MDType, type);

    // Records whose lists hold entries with nothing but null texts.
    Fixture fixture(type);
    if (type == MMobile::MD_CONTACT) {
        auto contact = std::make_unique<FakeContact>();
        contact->phones().append(FakeText());
        contact->addresses().append({});
        contact->socialProfiles().append(FakeText());
        fixture.add(std::move(contact));
    } else if (type == MMobile::MD_MESSAGE) {
        auto chat = std::make_unique<FakeMessage>();
        chat->addParticipant(FakeText(), FakeText(), FakeText());
        chat->addEntry(FakeText(), FakeText(), FakeText());
        fixture.add(std::move(chat));
    } else if (type == MMobile::MD_WHATSAPP_MESSAGE) {
        auto chat = std::make_unique<FakeWhatsAppMessenger>();
        chat->addEntry(FakeText(), FakeText(), FakeText());
        fixture.add(std::move(chat));
    } else {
        addTextRecord(fixture, type, -1, nullptr, nullptr);
    }
    fixture.load();

    CBMSearch engine;
    QVERIFY(search(engine, fixture.store, "a"));
    QCOMPARE(fixture.marks(), QVector<bool>{false});
}

void TestCBMSearch::differentialAgainstNaiveSearch()
{
    // Letters around both ends of A-Z and a-z, their non-letter neighbours and
    // UTF-8 bytes, so that matches, case-folded matches and near misses are
    // all frequent.
    const char alphabet[] = "aAbBzZ@[`{\xc3\xa9\x89\xe9\xff\x80";
    const int alphabetSize = int(sizeof(alphabet)) - 1;
    const quint32 seed = 20261206;
    QRandomGenerator random(seed);
    int matches = 0;
    const int rounds = 60000;
    for (int round = 0; round < rounds; ++round) {
        // Small alphabets for short patterns, the full one now and then.
        const int letters = 2 + random.bounded(alphabetSize - 1);
        auto randomText = [&](int length) {
            std::string text;
            for (int k = 0; k < length; ++k)
                text.push_back(alphabet[random.bounded(letters)]);
            return text;
        };
        const std::string pattern = randomText(1 + random.bounded(round % 50 == 0 ? 40 : 8));
        std::string text = randomText(random.bounded(48));
        // Plant a copy with random case flips in a third of the texts.
        if (random.bounded(3) == 0 && pattern.size() <= text.size()) {
            std::string planted = pattern;
            for (char& c : planted) {
                if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && random.bounded(2))
                    c ^= 0x20;
            }
            text.replace(random.bounded(int(text.size() - pattern.size() + 1)), pattern.size(),
                         planted);
        }
        const bmdifferential::Outcome outcome = bmdifferential::check(pattern, text);
        if (!outcome.ok) {
            QFAIL(
                qPrintable(QStringLiteral("round %1 (seed %2): %3; pattern %4, text %5")
                               .arg(round)
                               .arg(seed)
                               .arg(QString::fromStdString(outcome.what))
                               .arg(QString::fromLatin1(QByteArray::fromStdString(pattern).toHex()))
                               .arg(QString::fromLatin1(QByteArray::fromStdString(text).toHex()))));
        }
        matches += outcome.naive ? 1 : 0;
    }
    // Both outcomes must be well represented for the comparison to mean much.
    QVERIFY2(matches > rounds / 5 && matches < rounds * 4 / 5,
             qPrintable(QString::number(matches)));
}

QTEST_GUILESS_MAIN(TestCBMSearch)
#include "tst_cbmsearch.moc"
