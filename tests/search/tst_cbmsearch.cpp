// The content search through SearchContent, as pages call it: matching rules,
// the fields of every category in their order, the marks and the store update,
// table reuse and allocation failure. This program replaces the global
// allocation functions (allocationcounter.cpp) to count and fail them.

#include "allocationcounter.h"
#include "bmdifferential.h"
#include "wechatchatrecord.h"
#include "wechatfriendrecord.h"

#include "bookmarkrecord.h"
#include "calendarrecord.h"
#include "callrecord.h"
#include "contactrecord.h"
#include "conversationrecord.h"
#include "engineitem.h"
#include "itemgetter.h"
#include "messageentryrecord.h"
#include "noterecord.h"
#include "reminderrecord.h"
#include "whatsapprecord.h"

#include "search/cbmsearch.h"
#include "store/taskitem.h"

#include <QRandomGenerator>
#include <QTest>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <vector>

using MMobile::MDType;

namespace {

const QByteArray kNeedle = "NeEdLe";
const QByteArray kHit = "before needle after";
const QByteArray kFiller = "filler text";

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
    int markWrites = 0;
    int updates = 0;
};

// Builds a record whose every text is `text(place)`: the needle at the place
// a test row names, filler (or null) elsewhere.
using Text = std::function<QByteArray(const QByteArray& place)>;
using Builder = std::function<std::unique_ptr<EngineRecord>(const Text&)>;

template <class Record> Builder rowOfTexts()
{
    return [](const Text& text) {
        auto record = std::make_unique<Record>();
        for (int i = 0; i < Record::FieldCount; ++i)
            record->Text().Set(i, text(QByteArray::number(i)));
        return std::unique_ptr<EngineRecord>(std::move(record));
    };
}

// Records whose list named by their "hide" text reports one entry fewer than
// it holds, hiding the last: a search that reads past a count finds it there.
template <class Chat> class Short : public Chat
{
public:
    explicit Short(const QByteArray& hide) : hide(hide) {}
    unsigned int GetEntryCount() override { return Chat::GetEntryCount() - (hide == "entries"); }
    QByteArray hide;
};
using ShortWhatsApp = Short<WhatsAppRecord>;

class ShortConversation : public Short<ConversationRecord>
{
public:
    using Short::Short;
    unsigned int GetParticipantCount() override
    {
        return ConversationRecord::GetParticipantCount() - (hide == "participants");
    }
};

class ShortPhonesContact : public ContactRecord
{
public:
    struct ShortList : ContactValueList
    {
        bool hide = false;
        unsigned int GetCount() override { return ContactValueList::GetCount() - hide; }
    };
    explicit ShortPhonesContact(const QByteArray& hide) { phones.hide = hide == "phones"; }
    MMobile::IContactList* GetPhoneList() override { return &phones; }
    ShortList phones;
};

std::unique_ptr<EngineRecord> contact(const Text& text)
{
    auto c = std::make_unique<ShortPhonesContact>(text("hide"));
    for (int i = 0; i < ContactName::FieldCount; ++i)
        c->Name().Text().Set(i, text("name" + QByteArray::number(i)));
    for (int i = 0; i < ContactOrganization::FieldCount; ++i)
        c->Organization().Text().Set(i, text("org" + QByteArray::number(i)));
    // Every list holds a filler entry before the one that may carry the needle.
    const std::pair<const char*, ContactValueList*> lists[] = {
        {"phone", &c->phones},           {"email", &c->Emails()},         {"url", &c->Urls()},
        {"im", &c->InstantMessages()},   {"related", &c->RelatedNames()}, {"date", &c->Dates()},
        {"social", &c->SocialProfiles()}};
    for (const auto& list : lists) {
        list.second->Append(kFiller, kFiller);
        list.second->Append(text(list.first), text(QByteArray(list.first) + "Label"));
    }
    for (int entry = 0; entry < 2; ++entry) {
        RecordText& address = c->Addresses().Append();
        for (int i = 0; i < ContactAddressList::FieldCount; ++i)
            address.Set(i, entry ? text("address" + QByteArray::number(i)) : kFiller);
    }
    c->Text().Set(ContactRecord::Note, text("note"));
    c->Text().Set(ContactRecord::Birthday, text("birthday"));
    return c;
}

template <class Chat> void addEntries(Chat& chat, const Text& text, int count)
{
    for (int k = 0; k < count; ++k) {
        chat.AddEntry(k % 2).SetTexts(text("text" + QByteArray::number(k)),
                                      text("sender" + QByteArray::number(k)),
                                      text("date" + QByteArray::number(k)));
    }
}

std::unique_ptr<EngineRecord> conversation(const Text& text)
{
    auto chat = std::make_unique<ShortConversation>(text("hide"));
    for (int k = 0; k < 3; ++k) {
        RecordText& who = chat->AddParticipant();
        who.Set(ConversationRecord::Name, text("name" + QByteArray::number(k)));
        who.Set(ConversationRecord::Phone, text("phone" + QByteArray::number(k)));
        who.Set(ConversationRecord::Email, text("email" + QByteArray::number(k)));
    }
    addEntries(*chat, text, 3);
    return chat;
}

std::unique_ptr<EngineRecord> weChat(const Text& text)
{
    auto chat = rowOfTexts<WeChatChatRecord>()(text);
    addEntries(static_cast<WeChatChatRecord&>(*chat), text, 3);
    return chat;
}

std::unique_ptr<EngineRecord> whatsApp(const Text& text)
{
    auto chat = std::make_unique<ShortWhatsApp>(text("hide"));
    for (int i = 0; i < WhatsAppRecord::FieldCount; ++i)
        chat->Text().Set(i, text(QByteArray::number(i)));
    addEntries(*chat, text, 3);
    return chat;
}

Builder builderFor(MDType type)
{
    const std::map<MDType, Builder> builders{
        {MMobile::MD_CONTACT, contact},
        {MMobile::MD_MESSAGE, conversation},
        {MMobile::MD_CALL_HISTORY, rowOfTexts<CallRecord>()},
        {MMobile::MD_CALENDAR, rowOfTexts<CalendarRecord>()},
        {MMobile::MD_NOTE, rowOfTexts<NoteRecord>()},
        {MMobile::MD_SAFARI_BOOKMARK, rowOfTexts<BookmarkRecord>()},
        {MMobile::MD_REMINDER, rowOfTexts<ReminderRecord>()},
        {MMobile::MD_WECHAT_CONTACT, rowOfTexts<WeChatFriendRecord>()},
        {MMobile::MD_WHATSAPP_MESSAGE, whatsApp},
        {MMobile::MD_WECHAT_MESSAGE, weChat}};
    return builders.at(type);
}

// Records in store order, loaded into a counting store of one category.
struct Fixture
{
    std::vector<std::unique_ptr<EngineItem>> pending;
    ItemGetter getter;
    CountingStore store;

    explicit Fixture(MDType type) : store(type) {}
    // Loaded records of the store's kind with one text each, at `place`.
    Fixture(MDType type, const QByteArrayList& texts, const QByteArray& place = "0") : store(type)
    {
        for (const QByteArray& text : texts)
            add(builderFor(type)(
                [&](const QByteArray& at) { return at == place ? text : QByteArray(); }));
        load();
    }

    // A null record makes an item without one.
    void add(std::unique_ptr<EngineRecord> record)
    {
        pending.push_back(std::make_unique<EngineItem>(std::move(record), false));
    }
    Fixture& load()
    {
        const int count = int(pending.size());
        getter.Prepend(std::move(pending));
        store.SetDatas(&getter);
        return setMarks(QString(count, '1'));
    }
    // The search marks as '1' (shown) and '0'.
    QString marks() const
    {
        QString result;
        for (unsigned int i = 0; i < store.GetDataCountEx(); ++i)
            result += store.GetSearchMark(i) ? '1' : '0';
        return result;
    }
    Fixture& setMarks(const QString& marks)
    {
        for (int i = 0; i < marks.size(); ++i)
            store.SetSearchMark(unsigned(i), marks[i] == '1');
        store.markWrites = store.updates = 0;
        return *this;
    }
    bool search(CBMSearch& engine, const char* keyword)
    {
        return engine.SearchContent(&store, keyword, keyword ? int(qstrlen(keyword)) : 0);
    }
};

} // namespace

Q_DECLARE_METATYPE(MDType)

class TestCBMSearch : public QObject
{
    Q_OBJECT

private slots:
    void keyword_data()
    {
        QTest::addColumn<QByteArray>("keyword"); // null: none at all
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArrayList>("names");
        QTest::addColumn<QString>("marks");

        const QByteArrayList names{"Ann Lee", "Bob Stone", "ANNA", "Lee Ann", "Annex", "Joe"};
        // clang-format off
        QTest::newRow("keyword") << QByteArray("ann") << 3 << names << "101110";
        QTest::newRow("length shorter than keyword") << QByteArray("needlexyz") << 6 << QByteArrayList{"a NEEDLE here", "needl"} << "10";
        QTest::newRow("whole keyword missing") << QByteArray("needlexyz") << 9 << QByteArrayList{"a NEEDLE here"} << "0";
        QTest::newRow("length past the keyword is cut") << QByteArray("abc") << 50 << QByteArrayList{"xxabcxx", "xxABxx"} << "10";
        QTest::newRow("null keyword") << QByteArray() << 5 << names << "111111";
        QTest::newRow("length 0") << QByteArray("joe") << 0 << names << "111111";
        QTest::newRow("negative length") << QByteArray("joe") << -4 << names << "111111";
        QTest::newRow("empty keyword, length given") << QByteArray("") << 3 << names << "111111";
        // clang-format on
    }

    // Every item starts ticked and marked the other way, so each mark is written
    // and the ticked count must follow the new marks.
    void keyword()
    {
        QFETCH(QByteArray, keyword);
        QFETCH(int, length);
        QFETCH(QByteArrayList, names);
        QFETCH(QString, marks);

        Fixture fixture(MMobile::MD_CALL_HISTORY, names);
        QString before = marks;
        fixture.setMarks(before.replace('0', 'x').replace('1', '0').replace('x', '1'));
        // Only the bytes the search may read, on the heap: the sanitizer build
        // catches a read past an unterminated keyword.
        const int bytes = qBound(0, length, keyword.size() + 1);
        std::unique_ptr<char[]> copy(new char[size_t(bytes)]);
        std::memcpy(copy.get(), keyword.constData(), size_t(bytes));
        CBMSearch engine;
        QVERIFY(
            engine.SearchContent(&fixture.store, keyword.isNull() ? nullptr : copy.get(), length));
        QCOMPARE(fixture.marks(), marks);
        QCOMPARE(fixture.store.markWrites, names.size());
        QCOMPARE(fixture.store.updates, 1);
        QCOMPARE(fixture.store.GetCheckedCount(), unsigned(marks.count('1')));
    }

    void differentialAgainstNaiveSearch()
    {
        // Letters around both ends of A-Z and a-z, their non-letter neighbours and
        // UTF-8 bytes, so that matches, case-folded matches and near misses are
        // all frequent.
        const char alphabet[] = "aAbBzZ@[`{\xc3\xa9\x89\xe9\xff\x80";
        QRandomGenerator random(20261206);
        int matches = 0;
        const int rounds = 60000;
        for (int round = 0; round < rounds; ++round) {
            const int letters = 2 + random.bounded(int(sizeof(alphabet)) - 2);
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
            QVERIFY2(outcome.ok, qPrintable(QString("round %1: %2; pattern %3, text %4")
                                                .arg(round)
                                                .arg(outcome.what.c_str(),
                                                     QByteArray::fromStdString(pattern).toHex(),
                                                     QByteArray::fromStdString(text).toHex())));
            matches += outcome.naive ? 1 : 0;
        }
        // Both outcomes must be well represented for the comparison to mean much.
        QVERIFY2(matches > rounds / 5 && matches < rounds * 4 / 5,
                 qPrintable(QString::number(matches)));
    }

    void fields_data()
    {
        QTest::addColumn<MDType>("type");
        QTest::addColumn<QByteArray>("place");
        QTest::addColumn<QByteArray>("fullName"); // "other", "empty" or "null"
        QTest::addColumn<QByteArray>("company");
        QTest::addColumn<bool>("found");

        auto row = [](const char* name, MDType type, const QByteArray& place, bool found,
                      const char* fullName = "other", const char* company = "other") {
            QTest::addRow("%s %s (%s, %s)", name, place.constData(), fullName, company)
                << type << place << QByteArray(fullName) << QByteArray(company) << found;
        };
        const struct
        {
            const char* name;
            MDType type;
            int fields;
            int unsearched;
        } textRecords[] = {
            {"call", MMobile::MD_CALL_HISTORY, CallRecord::FieldCount, -1},
            {"calendar", MMobile::MD_CALENDAR, CalendarRecord::FieldCount, -1},
            {"note", MMobile::MD_NOTE, NoteRecord::FieldCount, -1},
            {"bookmark", MMobile::MD_SAFARI_BOOKMARK, BookmarkRecord::FieldCount,
             BookmarkRecord::Folder},
            {"reminder", MMobile::MD_REMINDER, ReminderRecord::FieldCount, -1},
            {"WeChat friend", MMobile::MD_WECHAT_CONTACT, WeChatFriendRecord::FieldCount, -1},
            {"WeChat chat", MMobile::MD_WECHAT_MESSAGE, WeChatChatRecord::FieldCount, -1},
            {"WhatsApp chat", MMobile::MD_WHATSAPP_MESSAGE, WhatsAppRecord::FieldCount,
             WhatsAppRecord::ChatName},
        };
        for (const auto& r : textRecords) {
            for (int field = 0; field < r.fields; ++field)
                row(r.name, r.type, QByteArray::number(field), field != r.unsearched);
        }
        const MDType contact = MMobile::MD_CONTACT;
        row("contact", contact, "name" + QByteArray::number(ContactName::Full), true);
        for (int part = 0; part < ContactName::Full; ++part) {
            const QByteArray place = "name" + QByteArray::number(part);
            row("contact", contact, place, false);
            row("contact", contact, place, true, "empty");
            row("contact", contact, place, true, "null");
        }
        row("contact", contact, "org" + QByteArray::number(ContactOrganization::Company), true);
        for (int part = 0; part < ContactOrganization::Company; ++part) {
            const QByteArray place = "org" + QByteArray::number(part);
            row("contact", contact, place, false);
            row("contact", contact, place, true, "other", "empty");
            row("contact", contact, place, true, "other", "null");
        }
        for (const char* list : {"phone", "email", "url", "im", "related", "date", "social"}) {
            row("contact", contact, list, true);
            row("contact", contact, QByteArray(list) + "Label", false);
        }
        for (int field = 0; field < ContactAddressList::FieldCount; ++field)
            row("contact", contact, "address" + QByteArray::number(field), true);
        row("contact", contact, "note", true, "null", "null");
        row("contact", contact, "birthday", true, "empty", "empty");
        row("contact", contact, "nowhere", false, "null", "null");

        const MDType message = MMobile::MD_MESSAGE;
        for (int k = 0; k < 3; ++k) {
            const QByteArray at = QByteArray::number(k);
            for (const char* role : {"name", "phone", "email", "text", "sender"})
                row("message", message, role + at, true);
            row("message", message, "date" + at, false);
            row("WhatsApp chat", MMobile::MD_WHATSAPP_MESSAGE, "text" + at, true);
            row("WhatsApp chat", MMobile::MD_WHATSAPP_MESSAGE, "sender" + at, true);
            row("WhatsApp chat", MMobile::MD_WHATSAPP_MESSAGE, "date" + at, false);
            row("WeChat chat", MMobile::MD_WECHAT_MESSAGE, "text" + at, false);
        }
        // "<place>/<list>": the needle in the list's last entry, which it hides.
        row("contact", contact, "phone/phones", false);
        row("message", message, "name2/participants", false);
        row("message", message, "text2/entries", false);
        row("WhatsApp chat", MMobile::MD_WHATSAPP_MESSAGE, "text2/entries", false);
    }
    void fields()
    {
        QFETCH(MDType, type);
        QFETCH(QByteArray, place);
        QFETCH(QByteArray, fullName);
        QFETCH(QByteArray, company);
        QFETCH(bool, found);

        const QByteArray fullPlace = "name" + QByteArray::number(ContactName::Full);
        const QByteArray companyPlace = "org" + QByteArray::number(ContactOrganization::Company);
        for (bool othersNull : {false, true}) {
            auto texts = [&](const QByteArray& where) -> Text {
                const QByteArray needleAt = where.split('/').first();
                const QByteArray hide = where.split('/').value(1);
                return [=](const QByteArray& at) {
                    if (at == "hide")
                        return hide;
                    if (at == needleAt)
                        return kHit;
                    if (at != fullPlace && at != companyPlace)
                        return othersNull ? QByteArray() : kFiller;
                    const QByteArray state = at == fullPlace ? fullName : company;
                    return state == "empty"  ? QByteArray("")
                           : state == "null" ? QByteArray()
                                             : kFiller;
                };
            };
            Fixture fixture(type);
            fixture.add(builderFor(type)(texts(place)));
            fixture.add(builderFor(type)(texts("nowhere")));
            CBMSearch engine;
            QVERIFY(fixture.load().search(engine, kNeedle));
            QCOMPARE(fixture.marks(), QString(found ? "10" : "00"));
        }
    }

    void recordsOfAnotherKind_data()
    {
        QTest::addColumn<MDType>("type");
        QTest::addColumn<bool>("contactFound");
        QTest::newRow("contact") << MMobile::MD_CONTACT << true;
        QTest::newRow("photo") << MMobile::MD_PHOTO << false;
        QTest::newRow("message attachment") << MMobile::MD_MESSAGE_ATTACHMENT << false;
        QTest::newRow("note attachment") << MMobile::MD_NOTE_ATTACHMENT << false;
        QTest::newRow("voice memo") << MMobile::MD_VOICE_MEMO << false;
        QTest::newRow("WhatsApp attachment") << MMobile::MD_WHATSAPP_ATTACHMENT << false;
        QTest::newRow("WeChat attachment") << MMobile::MD_WECHAT_ATTACHMENT << false;
        QTest::newRow("15") << MDType(15) << false;
        QTest::newRow("21") << MDType(21) << false;
        QTest::newRow("-1") << MDType(-1) << false;
    }

    // Records that would match if the store's kind searched them, an item without
    // a record, and a contact: only a contacts store finds the contact. Before
    // they are loaded the store is empty and left alone; no store is an error.
    void recordsOfAnotherKind()
    {
        QFETCH(MDType, type);
        QFETCH(bool, contactFound);

        Fixture fixture(type);
        CBMSearch engine;
        QVERIFY(fixture.search(engine, "abc") && fixture.search(engine, nullptr));
        QCOMPARE(fixture.store.updates + fixture.store.markWrites, 0);
        QVERIFY(!engine.SearchContent(nullptr, "abc", 3));
        fixture.add(builderFor(MMobile::MD_NOTE)([](const QByteArray&) { return kHit; }));
        fixture.add(
            builderFor(MMobile::MD_SAFARI_BOOKMARK)([](const QByteArray&) { return kHit; }));
        fixture.add(nullptr);
        fixture.add(
            contact([](const QByteArray& at) { return at == "note" ? kHit : QByteArray(); }));
        QVERIFY(fixture.load().search(engine, kNeedle));
        QCOMPARE(fixture.marks(), QString(contactFound ? "0001" : "0000"));
        QCOMPARE(fixture.store.updates, 1);
        QVERIFY(fixture.search(engine, nullptr));
        QCOMPARE(fixture.marks(), QString("1111"));
        QCOMPARE(fixture.store.updates, 2);
    }

    void tablesAreReusedGrowAndAreNotShared()
    {
        Fixture fixture(MMobile::MD_NOTE, {"Some long title here"});
        CBMSearch engine;
        // Keyword, matches, table allocations the search makes (two arrays at a time).
        const struct
        {
            const char* keyword;
            bool found;
            long allocations;
        } steps[] = {{"long title", true, 2},      {"tit", true, 0},   {"title herx", false, 0},
                     {"some long title", true, 2}, {nullptr, true, 0}, {"me l", true, 0}};
        for (const auto& step : steps) {
            const long before = NothrowAllocationCount();
            QVERIFY(fixture.search(engine, step.keyword));
            QCOMPARE(NothrowAllocationCount() - before, step.allocations);
            QCOMPARE(fixture.marks(), QString(step.found ? "1" : "0"));
        }
        // Copies start without tables and build their own (the sanitizer build
        // catches an array shared and freed twice); a self-assignment keeps them.
        CBMSearch target;
        QVERIFY(fixture.search(target, "title"));
        target = engine;
        CBMSearch& alias = engine;
        engine = alias;
        CBMSearch constructed(engine);
        const std::pair<CBMSearch*, long> copies[] = {
            {&target, 2}, {&constructed, 2}, {&engine, 0}};
        for (auto [copy, allocations] : copies) {
            const long before = NothrowAllocationCount();
            QVERIFY(fixture.search(*copy, "missing"));
            QCOMPARE(fixture.marks(), QString("0"));
            QVERIFY(fixture.search(*copy, "SOME"));
            QCOMPARE(fixture.marks(), QString("1"));
            QCOMPARE(NothrowAllocationCount() - before, allocations);
        }
    }

    void allocationFailureKeepsMarks()
    {
        Fixture fixture(MMobile::MD_NOTE, {kHit, kHit, kHit});
        const QString before = "101";
        fixture.setMarks(before);

        CBMSearch engine;
        // First array, second array, and on growing: the marks stay as they were.
        for (int failing : {0, 1}) {
            FailNothrowAllocationAfter(failing);
            QVERIFY(!fixture.search(engine, "filler"));
            QCOMPARE(fixture.marks(), before);
            QCOMPARE(fixture.store.markWrites + fixture.store.updates, 0);
        }
        QVERIFY(fixture.search(engine, "xy"));
        QCOMPARE(fixture.marks(), QString("000"));
        fixture.setMarks(before);
        FailNothrowAllocationAfter(0);
        QVERIFY(!fixture.search(engine, kNeedle));
        QCOMPARE(fixture.marks(), before);
        // The next search builds afresh.
        QVERIFY(fixture.search(engine, kNeedle));
        QCOMPARE(fixture.marks(), QString("111"));
        QCOMPARE(fixture.store.updates, 1);
    }

    // Three hundred contacts with a dozen texts each: the folded keyword is
    // all a search may allocate, once the tables have reached their size.
    void noAllocationPerField()
    {
        Fixture fixture(MMobile::MD_CONTACT);
        for (int i = 0; i < 300; ++i)
            fixture.add(contact([](const QByteArray& at) {
                return at == "note" ? QByteArray("a note about this person") : kFiller;
            }));
        fixture.load();
        CBMSearch engine;
        QVERIFY(fixture.search(engine, "a much longer keyword"));
        for (const char* keyword : {"#", "Rexon", "person", "note about"}) {
            const long before = AllocationCount();
            QVERIFY(fixture.search(engine, keyword));
            QVERIFY(AllocationCount() - before <= 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestCBMSearch)
#include "tst_cbmsearch.moc"
