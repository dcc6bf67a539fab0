#include "views/sortkeyblock.h"

#include <QCollator>
#include <QLocale>
#include <QTest>

#include <algorithm>
#include <numeric>
#include <random>

// Ranks of keys made in the block against ranks of the collator's own keys,
// in the languages and with the options a user may sort by.
class TestSortKeyBlock : public QObject
{
    Q_OBJECT

    struct Options
    {
        bool caseInsensitive = false;
        bool numeric = false;
        bool ignorePunctuation = false;
    };

    static QCollator collatorFor(const QString& locale, const Options& options)
    {
        QCollator collator{QLocale(locale)};
        collator.setCaseSensitivity(options.caseInsensitive ? Qt::CaseInsensitive
                                                            : Qt::CaseSensitive);
        collator.setNumericMode(options.numeric);
        collator.setIgnorePunctuation(options.ignorePunctuation);
        return collator;
    }

    // The ranks the collator's keys give: equal keys share one.
    static std::vector<int> expectedRanks(const QCollator& collator, const QStringList& texts,
                                          int first)
    {
        std::vector<QCollatorSortKey> keys;
        for (const QString& text : texts)
            keys.push_back(collator.sortKey(text));
        std::vector<int> order(keys.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int l, int r) {
            return keys[size_t(l)].compare(keys[size_t(r)]) < 0;
        });
        std::vector<int> ranks(keys.size());
        int value = first;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && keys[size_t(order[i - 1])].compare(keys[size_t(order[i])]) != 0)
                ++value;
            ranks[size_t(order[i])] = value;
        }
        return ranks;
    }

    // Texts drawn from a pool that mixes scripts, case, accents (composed and
    // not), digits, punctuation and characters beyond the first plane; some
    // repeat, some share long beginnings.
    static QStringList randomTexts(int count, quint32 seed)
    {
        const QString pool = QString::fromUtf8("aAbBcCeEéÉèzZ0123456789 -.,_@ßæøåäöüÄÖÜıİ"
                                               "王李张中文あアカ가한яЯαΩ\xcc\x81\xef\xac\x81");
        const QString wide = QString::fromUtf8("\xf0\x9f\x98\x80\xf0\x9f\x8e\x89");
        std::mt19937 random(seed);
        QStringList texts;
        for (int i = 0; i < count; ++i) {
            if (i > 0 && random() % 7 == 0) {
                texts << texts.at(int(random() % quint32(i)));
                continue;
            }
            QString text;
            if (random() % 4 == 0)
                text = QStringLiteral("Jonathan Alexander Montgomery-Smithers the Third of ");
            const int length = 1 + int(random() % 12);
            for (int c = 0; c < length; ++c) {
                if (random() % 20 == 0)
                    text += wide.mid(int(random() % 2) * 2, 2);
                else
                    text += pool.at(int(random() % quint32(pool.size())));
            }
            texts << text;
        }
        return texts;
    }

private slots:
    void ranksAsCollatorKeys_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("caseInsensitive");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<bool>("ignorePunctuation");
        QTest::addColumn<int>("maker");
        const int own = int(SortKeyBlock::Maker::Icu);
        QTest::newRow("C") << "C" << false << false << false << int(SortKeyBlock::Maker::Utf8);
        QTest::newRow("C, options ignored")
            << "C" << true << true << true << int(SortKeyBlock::Maker::Utf8);
        QTest::newRow("German") << "de_DE" << false << false << false << own;
        QTest::newRow("Swedish") << "sv_SE" << false << false << false << own;
        QTest::newRow("Turkish") << "tr_TR" << false << false << false << own;
        QTest::newRow("Chinese") << "zh_CN" << false << false << false << own;
        QTest::newRow("Traditional Chinese") << "zh_TW" << false << false << false << own;
        QTest::newRow("Japanese") << "ja_JP" << false << false << false << own;
        QTest::newRow("English, case-insensitive") << "en_US" << true << false << false << own;
        QTest::newRow("English, numeric") << "en_US" << false << true << false << own;
        QTest::newRow("English, punctuation ignored") << "en_US" << false << false << true << own;
    }
    void ranksAsCollatorKeys()
    {
        QFETCH(QString, locale);
        QFETCH(bool, caseInsensitive);
        QFETCH(bool, numeric);
        QFETCH(bool, ignorePunctuation);
        QFETCH(int, maker);
        const QCollator collator =
            collatorFor(locale, Options{caseInsensitive, numeric, ignorePunctuation});
        SortKeyBlock block(collator);
#ifdef CP_HAVE_ICU
        QCOMPARE(int(block.maker()), maker);
#else
        if (maker == int(SortKeyBlock::Maker::Utf8))
            QCOMPARE(int(block.maker()), maker);
#endif
        const QStringList texts = randomTexts(3000, qHash(locale) ^ quint32(numeric));
        block.reserve(size_t(texts.size()));
        for (const QString& text : texts)
            block.append(text);
        QCOMPARE(block.size(), size_t(texts.size()));
        for (int first : {0, 1})
            QVERIFY(block.ranks(first) == expectedRanks(collator, texts, first));
    }

    // Keys that tie on their first 8, 64 and more bytes, keys that are the
    // beginnings of others, a lone surrogate, a single key and none.
    void ranksOfKeysAlike_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("texts");
        const QString stem(40, QLatin1Char('m'));
        const QString longer(200, QLatin1Char('k'));
        const QStringList alike{stem + "b",
                                stem,
                                stem + "a",
                                stem + "a",
                                longer + "z",
                                longer + "y",
                                longer,
                                longer + "y",
                                stem.left(7),
                                stem.left(8),
                                stem.left(9),
                                "m",
                                QString(QChar(0xd800)) + "x",
                                QString(QChar(0xdc00)),
                                QString::fromUtf8("\xf0\x9f\x98\x80"),
                                QString(QChar(0xffff))};
        for (const char* locale : {"C", "de_DE"}) {
            QTest::addRow("%s, alike", locale) << locale << alike;
            QTest::addRow("%s, one", locale) << locale << QStringList{"x"};
            QTest::addRow("%s, none", locale) << locale << QStringList{};
            QStringList equal;
            for (int i = 0; i < 50; ++i)
                equal << stem;
            QTest::addRow("%s, all equal", locale) << locale << equal;
        }
    }
    void ranksOfKeysAlike()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, texts);
        const QCollator collator = collatorFor(locale, Options{});
        SortKeyBlock block(collator);
        for (const QString& text : texts)
            block.append(text);
        QVERIFY(block.ranks(1) == expectedRanks(collator, texts, 1));
    }

    // The probe texts tell keys that order texts otherwise from the collator's.
    void agreesOnlyWithTheSameOrder_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("keysOf");
        QTest::addColumn<bool>("agrees");
        QTest::newRow("UTF-8 for the C locale") << "C"
                                                << "C" << true;
        QTest::newRow("UTF-8 for German") << "de_DE"
                                          << "C" << false;
#ifdef CP_HAVE_ICU
        QTest::newRow("Swedish for Swedish") << "sv_SE"
                                             << "sv_SE" << true;
        QTest::newRow("German for Swedish") << "sv_SE"
                                            << "de_DE" << false;
        QTest::newRow("English for Turkish") << "tr_TR"
                                             << "en_US" << false;
        QTest::newRow("German for the C locale") << "C"
                                                 << "de_DE" << false;
#endif
    }
    void agreesOnlyWithTheSameOrder()
    {
        QFETCH(QString, locale);
        QFETCH(QString, keysOf);
        QFETCH(bool, agrees);
        const QCollator other = collatorFor(keysOf, Options{});
        auto key = [&](QStringView text) {
            SortKeyBlock block(other);
            block.append(text);
            return block.key(0);
        };
        QCOMPARE(SortKeyBlock::Agrees(collatorFor(locale, Options{}), key), agrees);
    }

    // A key's bytes as made here; none past the last key.
    void keyBytes()
    {
        SortKeyBlock block(collatorFor("C", Options{}));
        block.append(QStringLiteral("ab"));
        QCOMPARE(block.key(0), QByteArray("ab"));
        QCOMPARE(block.key(1), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestSortKeyBlock)
#include "tst_sortkeyblock.moc"
