// The search bar as a page uses it: what it emits for typing, clearing, the
// only-deleted switch and the account chooser, and what EnableAllTool and
// ShowWechatComboBox leave alone.

#include "search/searchbar.h"

#include "switchbtnwidget.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QTest>

#include <memory>

class TestSearchBar : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_bar = std::make_unique<SearchBar>();
        m_bar->show();
        m_emitted.clear();
        connect(m_bar.get(), &SearchBar::signalfilterlineEditTextEdited, this,
                [this](const QString& text) { m_emitted << "t:" + text; });
        connect(m_bar.get(), &SearchBar::signalOnlyShowDeletedItems, this,
                [this](bool on) { m_emitted << (on ? "d:true" : "d:false"); });
        connect(m_bar.get(), &SearchBar::signalChangeWeChatCombox, this,
                [this](int index) { m_emitted << "w:" + QString::number(index); });
    }

    void interface()
    {
        // Plug-ins connect by these signatures and read these texts.
        const QMetaObject* meta = m_bar->metaObject();
        QStringList methods;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
            methods << QString::fromLatin1(meta->method(i).methodSignature());
        QCOMPARE(
            methods,
            (QStringList{"signalOnlyShowDeletedItems(bool)",
                         "signalfilterlineEditTextEdited(QString)", "signalChangeWeChatCombox(int)",
                         "slotOnlyShowDelete(bool)", "on_filterLineEdit_textChanged(QString)",
                         "on_clearSearchEditBtn_clicked()", "slotChangeWeChatCombox(int)"}));
        QCOMPARE(child<QLabel>("label")->text(), QStringLiteral("Only display the deleted items."));
        QCOMPARE(field()->placeholderText(), QStringLiteral("Search"));
        QVERIFY(child<QLabel>("weChatlabel")->text().contains("Switch WeChat Account"));
        // Until a scan ends the switch and the field are off; the chooser is hidden.
        QVERIFY(!onlyDeleted()->isEnabled() && !field()->isEnabled());
        QVERIFY(chooser()->isHidden() && clearButton()->isHidden());
    }

    // Steps: "on"/"off" (EnableAllTool), "k<char>" and "bs" (keys), "type:<text>",
    // "set:<text>" (by code), "clear" (ClearSearchInfo), "x" (the clear button),
    // "sw" (the switch), "acc:<a,b>" (AddDataToComboBox), "pick<n>" (the
    // user's account), "show"/"hide" (ShowWechatComboBox).
    void steps_data()
    {
        QTest::addColumn<QString>("steps");
        // The signals in order | the text; x: clear button shown, s and f: switch
        // and field enabled, w and l: chooser and label shown; the accounts.
        QTest::addColumn<QString>("result");
        // clang-format off
        QTest::newRow("typing shows the clear button") << "on ka kB" << "t:a t:aB | aB xsf-- ";
        QTest::newRow("one backspace") << "on ka kB bs" << "t:a t:aB t:a | a xsf-- ";
        QTest::newRow("an empty field hides it") << "on ka bs" << "t:a t: |  -sf-- ";
        // Text set by code goes out too, even into the disabled field.
        QTest::newRow("set by code") << "on ka bs off set:Smith" << "t:a t: t:Smith | Smith x---- ";
        QTest::newRow("clearing emits once") << "on type:ann clear clear" << "t:a t:an t:ann t: |  -sf-- ";
        QTest::newRow("the clear button") << "on type:ann x clear" << "t:a t:an t:ann t: |  -sf-- ";
        QTest::newRow("the switch only when enabled") << "sw on sw sw off sw" << "d:true d:false |  ----- ";
        QTest::newRow("accounts") << "acc: acc:one,two,three" << "w:0 |  ----- one,two,three";
        // Refilling empties the chooser first (-1), then the first name is current;
        // picking the current one again says nothing.
        QTest::newRow("picks and refills") << "acc:a,b,c pick2 pick2 pick1 acc:d,e" << "w:0 w:2 w:1 w:-1 w:0 |  ----- d,e";
        QTest::newRow("emptied") << "acc:a,b acc:" << "w:0 w:-1 |  ----- ";
        QTest::newRow("chooser shown") << "show" << " |  ---wl ";
        QTest::newRow("chooser hidden again") << "show hide" << " |  ----- ";
        QTest::newRow("disabling keeps text and chooser") << "on type:lee show off" << "t:l t:le t:lee | lee x--wl ";
        // clang-format on
    }
    void steps()
    {
        QFETCH(QString, steps);
        QFETCH(QString, result);
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            const QString text = step.section(':', 1);
            if (step == "on" || step == "off")
                m_bar->EnableAllTool(step == "on");
            else if (step == "show" || step == "hide")
                m_bar->ShowWechatComboBox(step == "show");
            else if (step == "bs")
                QTest::keyClick(field(), Qt::Key_Backspace);
            else if (step.startsWith("type:"))
                QTest::keyClicks(field(), text);
            else if (step.startsWith("set:"))
                field()->setText(text);
            else if (step == "clear")
                m_bar->ClearSearchInfo();
            else if (step == "x" || step == "sw")
                QTest::mouseClick(step == "x" ? static_cast<QWidget*>(clearButton())
                                              : onlyDeleted(),
                                  Qt::LeftButton);
            else if (step.startsWith("acc:")) {
                QStringList names = text.split(',', Qt::SkipEmptyParts);
                m_bar->AddDataToComboBox(names);
            } else if (step.startsWith("pick"))
                chooser()->setCurrentIndex(step.mid(4).toInt());
            else
                QTest::keyClick(field(), step.at(1).toLatin1());
        }
        QStringList accounts;
        for (int i = 0; i < chooser()->count(); ++i)
            accounts << chooser()->itemText(i);
        const QString flags = QString(clearButton()->isHidden() ? "-" : "x") +
                              (onlyDeleted()->isEnabled() ? "s" : "-") +
                              (field()->isEnabled() ? "f" : "-") +
                              (chooser()->isHidden() ? "-" : "w") +
                              (child<QLabel>("weChatlabel")->isHidden() ? "-" : "l");
        QCOMPARE(m_emitted.join(' ') + " | " + field()->text() + ' ' + flags + ' ' +
                     accounts.join(','),
                 result);
    }

private:
    template <class T> T* child(const char* name) const
    {
        return m_bar->findChild<T*>(QLatin1String(name));
    }
    QLineEdit* field() const { return child<QLineEdit>("filterLineEdit"); }
    QPushButton* clearButton() const { return child<QPushButton>("clearSearchEditBtn"); }
    QComboBox* chooser() const { return child<QComboBox>("weChatcomboBox"); }
    SwitchBtnWidget* onlyDeleted() const { return child<SwitchBtnWidget>("btnOnlyShowDelete"); }
    std::unique_ptr<SearchBar> m_bar;
    QStringList m_emitted; // the bar's signals, in order
};

QTEST_MAIN(TestSearchBar)
#include "tst_searchbar.moc"
