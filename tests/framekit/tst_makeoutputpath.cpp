#include "makeoutputpath.h"

#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"

#include <QByteArray>
#include <QTextCodec>
#include <QtTest>

#include <cstring>
#include <vector>

namespace {

// A device whose display name (key 37, index 0) is set by the test; other
// keys answer a text that must never show up in a path.
class NamedInfo final : public MMobile::IDeviceInfo
{
public:
    const char* GetTextProperty(int key, int index) override
    {
        if (key == MMobile::DEVICE_PROP_DISPLAY_NAME && index == 0)
            return hasName ? name.constData() : nullptr;
        return "wrong-key";
    }

    QByteArray name;
    bool hasName = false;
};

class NamedDevice final : public MMobile::IDevice
{
public:
    MMobile::IDeviceInfo* GetDeviceInfo() override { return hideInfo ? nullptr : &info; }
    MMobile::ICategoryDataSource* GetDataSource(MMobile::MDType) override { return nullptr; }

    NamedInfo info;
    bool hideInfo = false;
};

char nativeSeparator()
{
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

bool isCompleteUtf8(const char* data, int length)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(data, length, &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

const char kGuard = '\x5A';
const int kGuardBytes = 32;

// Calls MakeOutputPath on a buffer of `size` bytes followed by guard bytes;
// fails the test when anything past the buffer was touched.
struct GuardedCall
{
    bool result = false;
    QByteArray written; // up to the first zero inside the buffer
    bool terminated = false;
    bool guardIntact = true;
};

GuardedCall callGuarded(const char* folder, MMobile::IDevice* device, MMobile::MDType type,
                        int size)
{
    std::vector<char> buffer(static_cast<std::size_t>(size) + kGuardBytes, kGuard);
    GuardedCall call;
    call.result = MakeOutputPath(folder, device, type, buffer.data(), size);
    for (int i = size; i < size + kGuardBytes; ++i)
        call.guardIntact = call.guardIntact && buffer[static_cast<std::size_t>(i)] == kGuard;
    for (int i = 0; i < size; ++i) {
        if (buffer[static_cast<std::size_t>(i)] == '\0') {
            call.terminated = true;
            call.written = QByteArray(buffer.data(), i);
            break;
        }
    }
    return call;
}

QByteArray fullPath(const char* folder, MMobile::IDevice* device, MMobile::MDType type)
{
    std::vector<char> buffer(4096, '\0');
    if (!MakeOutputPath(folder, device, type, buffer.data(), static_cast<int>(buffer.size())))
        return QByteArray();
    return QByteArray(buffer.data());
}

} // namespace

class TestMakeOutputPath : public QObject
{
    Q_OBJECT

private slots:
    void deviceNameBecomesOneSafeFolder_data();
    void deviceNameBecomesOneSafeFolder();
    void missingNameGivesUnknownDevice_data();
    void missingNameGivesUnknownDevice();
    void separatorFollowsTheFolder_data();
    void separatorFollowsTheFolder();
    void categoryFolders_data();
    void categoryFolders();
    void longNameIsCutAtCharacterBoundary_data();
    void longNameIsCutAtCharacterBoundary();
    void everyBufferSizeIsSafe_data();
    void everyBufferSizeIsSafe();
    void badArguments();
};

void TestMakeOutputPath::deviceNameBecomesOneSafeFolder_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain") << QByteArray("Anna's phone") << QByteArray("Anna's phone");
    QTest::newRow("umlaut") << QByteArray("J\xC3\xBCrgen's iPhone")
                            << QByteArray("J\xC3\xBCrgen's iPhone");
    QTest::newRow("cjk") << QByteArray("\xE6\x88\x91\xE7\x9A\x84\xE6\x89\x8B\xE6\x9C\xBA")
                         << QByteArray("\xE6\x88\x91\xE7\x9A\x84\xE6\x89\x8B\xE6\x9C\xBA");
    QTest::newRow("emoji") << QByteArray("Phone \xF0\x9F\x93\xB1")
                           << QByteArray("Phone \xF0\x9F\x93\xB1");
    QTest::newRow("parent escape") << QByteArray("../../etc") << QByteArray(".._.._etc");
    QTest::newRow("dot dot") << QByteArray("..") << QByteArray("_");
    QTest::newRow("dot") << QByteArray(".") << QByteArray("_");
    QTest::newRow("slashes") << QByteArray("a/b\\c") << QByteArray("a_b_c");
    QTest::newRow("reserved punctuation")
        << QByteArray("a<b>c:d\"e|f?g*h") << QByteArray("a_b_c_d_e_f_g_h");
    QTest::newRow("control characters") << QByteArray("a\tb\nc\x01\x1F\x7F"
                                                      "d")
                                        << QByteArray("a_b_c___d");
    QTest::newRow("spaces and trailing dots")
        << QByteArray("  my phone. . ") << QByteArray("my phone");
    QTest::newRow("only spaces") << QByteArray("   ") << QByteArray("_");
    QTest::newRow("CON") << QByteArray("CON") << QByteArray("_CON");
    QTest::newRow("con.txt") << QByteArray("con.txt") << QByteArray("_con.txt");
    QTest::newRow("Lpt9") << QByteArray("Lpt9") << QByteArray("_Lpt9");
    QTest::newRow("com1.backup.x") << QByteArray("com1.backup.x") << QByteArray("_com1.backup.x");
    QTest::newRow("COM0 is allowed") << QByteArray("COM0") << QByteArray("COM0");
    QTest::newRow("CONSOLE is allowed") << QByteArray("CONSOLE") << QByteArray("CONSOLE");
    QTest::newRow("stray continuation byte") << QByteArray("a\x80"
                                                           "b")
                                             << QByteArray("a_b");
    QTest::newRow("truncated sequence") << QByteArray("ab\xE6\x88") << QByteArray("ab__");
    QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF"
                                                  "b")
                                    << QByteArray("a__b");
    QTest::newRow("surrogate") << QByteArray("a\xED\xA0\x80") << QByteArray("a___");
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80"
                                                   "z")
                                     << QByteArray("____z");
}

void TestMakeOutputPath::deviceNameBecomesOneSafeFolder()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expected);

    NamedDevice device;
    device.info.hasName = true;
    device.info.name = name;
    const QByteArray path = fullPath("/out/", &device, MMobile::MD_CONTACT);
    QCOMPARE(path, QByteArray("/out/") + expected + "/Contacts/");
    QVERIFY(isCompleteUtf8(path.constData(), path.size()));
}

void TestMakeOutputPath::missingNameGivesUnknownDevice_data()
{
    QTest::addColumn<int>("situation");
    QTest::newRow("null device") << 0;
    QTest::newRow("null info") << 1;
    QTest::newRow("null name") << 2;
    QTest::newRow("empty name") << 3;
}

void TestMakeOutputPath::missingNameGivesUnknownDevice()
{
    QFETCH(int, situation);
    NamedDevice device;
    device.hideInfo = situation == 1;
    device.info.hasName = situation == 3;
    MMobile::IDevice* passed = situation == 0 ? nullptr : &device;

    QCOMPARE(fullPath("/out", passed, MMobile::MD_NOTE), QByteArray("/out/Unknown Device/Notes/"));
}

void TestMakeOutputPath::separatorFollowsTheFolder_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray native(1, nativeSeparator());
    QTest::newRow("ends with slash")
        << QByteArray("C:\\Users\\x/") << QByteArray("C:\\Users\\x/Pad/Photos/");
    QTest::newRow("ends with backslash")
        << QByteArray("C:/data\\") << QByteArray("C:/data\\Pad\\Photos\\");
    QTest::newRow("backslashes inside")
        << QByteArray("C:\\Users\\x") << QByteArray("C:\\Users\\x\\Pad\\Photos\\");
    QTest::newRow("slashes inside") << QByteArray("/home/x") << QByteArray("/home/x/Pad/Photos/");
    QTest::newRow("no separator") << QByteArray("out")
                                  << QByteArray("out" + native + "Pad" + native + "Photos" +
                                                native);
    QTest::newRow("multi-byte folder")
        << QByteArray("/d\xC3\xA9j\xC3\xA0") << QByteArray("/d\xC3\xA9j\xC3\xA0/Pad/Photos/");
}

void TestMakeOutputPath::separatorFollowsTheFolder()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, expected);
    NamedDevice device;
    device.info.hasName = true;
    device.info.name = "Pad";
    QCOMPARE(fullPath(folder.constData(), &device, MMobile::MD_PHOTO), expected);
}

void TestMakeOutputPath::categoryFolders_data()
{
    QTest::addColumn<int>("type");
    for (int type = -1; type <= 23; ++type)
        QTest::addRow("type %d", type) << type;
}

void TestMakeOutputPath::categoryFolders()
{
    QFETCH(int, type);
    const bool known = (type >= 0 && type <= 14) || type == 22;
    const QByteArray path = fullPath("/o", nullptr, static_cast<MMobile::MDType>(type));
    QVERIFY(path.startsWith("/o/Unknown Device/"));
    QVERIFY(path.endsWith('/'));
    const QByteArray category = path.mid(18, path.size() - 19);
    QVERIFY(!category.isEmpty());
    QVERIFY(!category.contains('/'));
    QCOMPARE(category == "Data", !known);

    // Each known category has a folder of its own.
    if (known) {
        for (int other = 0; other <= 22; ++other) {
            if (other == type || (other > 14 && other < 22))
                continue;
            QVERIFY(fullPath("/o", nullptr, static_cast<MMobile::MDType>(other)) != path);
        }
    }
}

void TestMakeOutputPath::longNameIsCutAtCharacterBoundary_data()
{
    QTest::addColumn<QByteArray>("unit");
    QTest::newRow("ascii") << QByteArray("a");
    QTest::newRow("two bytes") << QByteArray("\xC3\xBC");
    QTest::newRow("three bytes") << QByteArray("\xE6\x88\x91");
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x93\xB1");
    QTest::newRow("mixed") << QByteArray("x\xF0\x9F\x93\xB1\xC3\xBC");
}

void TestMakeOutputPath::longNameIsCutAtCharacterBoundary()
{
    QFETCH(QByteArray, unit);
    QByteArray name = unit.repeated(400 / unit.size());
    NamedDevice device;
    device.info.hasName = true;
    device.info.name = name;

    const QByteArray path = fullPath("/o/", &device, MMobile::MD_NOTE);
    QVERIFY(path.startsWith("/o/"));
    QVERIFY(path.endsWith("/Notes/"));
    const QByteArray folder = path.mid(3, path.size() - 3 - 7);
    QVERIFY2(folder.size() <= 100, folder.constData());
    QVERIFY(folder.size() > 100 - unit.size());
    QVERIFY(name.startsWith(folder));
    QVERIFY(isCompleteUtf8(folder.constData(), folder.size()));
}

void TestMakeOutputPath::everyBufferSizeIsSafe_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("ascii") << QByteArray("/out") << QByteArray("Phone");
    QTest::newRow("umlaut") << QByteArray("/out/") << QByteArray("J\xC3\xBCrgen's iPhone");
    QTest::newRow("cjk") << QByteArray("/\xE5\xAF\xBC\xE5\x87\xBA")
                         << QByteArray("\xE6\x88\x91\xE7\x9A\x84\xE6\x89\x8B\xE6\x9C\xBA");
    QTest::newRow("emoji") << QByteArray("/\xF0\x9F\x93\x81")
                           << QByteArray("\xF0\x9F\x93\xB1\xF0\x9F\x98\x80");
    QTest::newRow("unsafe") << QByteArray("/o") << QByteArray("../../etc");
}

void TestMakeOutputPath::everyBufferSizeIsSafe()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    NamedDevice device;
    device.info.hasName = true;
    device.info.name = name;
    const QByteArray full = fullPath(folder.constData(), &device, MMobile::MD_MESSAGE);
    QVERIFY(!full.isEmpty());

    for (int size = 1; size <= full.size() + 3; ++size) {
        const GuardedCall call =
            callGuarded(folder.constData(), &device, MMobile::MD_MESSAGE, size);
        const QByteArray where = QByteArray::number(size);
        QVERIFY2(call.guardIntact, where);
        QVERIFY2(call.terminated, where);
        QVERIFY2(full.startsWith(call.written), where);
        QVERIFY2(isCompleteUtf8(call.written.constData(), call.written.size()), where);
        // No more than one partial character is dropped.
        QVERIFY2(call.written.size() > size - 1 - 4 || call.written.size() == full.size(), where);
        const bool fits = size >= full.size() + 1;
        QCOMPARE(call.result, fits);
        QCOMPARE(call.written == full, fits);
    }
}

void TestMakeOutputPath::badArguments()
{
    NamedDevice device;
    device.info.hasName = true;
    device.info.name = "Phone";

    char buffer[16];
    memset(buffer, kGuard, sizeof buffer);
    QVERIFY(!MakeOutputPath(nullptr, &device, MMobile::MD_PHOTO, buffer, sizeof buffer));
    QCOMPARE(buffer[0], '\0');

    memset(buffer, kGuard, sizeof buffer);
    QVERIFY(!MakeOutputPath("", &device, MMobile::MD_PHOTO, buffer, sizeof buffer));
    QCOMPARE(buffer[0], '\0');

    memset(buffer, kGuard, sizeof buffer);
    QVERIFY(!MakeOutputPath("/o", &device, MMobile::MD_PHOTO, buffer, 0));
    QVERIFY(!MakeOutputPath("/o", &device, MMobile::MD_PHOTO, buffer, -5));
    QCOMPARE(buffer[0], kGuard);

    QVERIFY(!MakeOutputPath("/o", &device, MMobile::MD_PHOTO, nullptr, 64));
}

QTEST_APPLESS_MAIN(TestMakeOutputPath)
#include "tst_makeoutputpath.moc"
