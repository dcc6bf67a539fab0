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
#include <QSignalSpy>
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

    void typingEmitsTextAndShowsClearButton()
    {
        m_bar->EnableAllTool(true);
        QSignalSpy texts(m_bar.get(), &SearchBar::signalfilterlineEditTextEdited);
        QTest::keyClick(field(), Qt::Key_A);
        QTest::keyClick(field(), 'B');
        QVERIFY(!clearButton()->isHidden());
        QTest::keyClick(field(), Qt::Key_Backspace);
        QVERIFY(!clearButton()->isHidden());
        QTest::keyClick(field(), Qt::Key_Backspace);
        QVERIFY(clearButton()->isHidden());
        // Text set by code goes out too, even into the disabled field.
        m_bar->EnableAllTool(false);
        field()->setText(QStringLiteral("Smith"));
        QCOMPARE(emitted(texts), (QStringList{"a", "aB", "a", QString(), "Smith"}));
        QVERIFY(!clearButton()->isHidden());
    }

    void clearingEmitsEmptyOnce()
    {
        m_bar->EnableAllTool(true);
        for (bool byButton : {false, true}) {
            QTest::keyClicks(field(), QStringLiteral("ann"));
            QSignalSpy texts(m_bar.get(), &SearchBar::signalfilterlineEditTextEdited);
            if (byButton)
                QTest::mouseClick(clearButton(), Qt::LeftButton);
            else
                m_bar->ClearSearchInfo();
            m_bar->ClearSearchInfo();
            QCOMPARE(emitted(texts), QStringList{QString()});
            QVERIFY(field()->text().isEmpty());
            QVERIFY(clearButton()->isHidden());
        }
    }

    void switchEmitsOnlyWhenEnabled()
    {
        QSignalSpy states(m_bar.get(), &SearchBar::signalOnlyShowDeletedItems);
        QTest::mouseClick(onlyDeleted(), Qt::LeftButton);
        m_bar->EnableAllTool(true);
        QTest::mouseClick(onlyDeleted(), Qt::LeftButton);
        QTest::mouseClick(onlyDeleted(), Qt::LeftButton);
        m_bar->EnableAllTool(false);
        QTest::mouseClick(onlyDeleted(), Qt::LeftButton);
        QCOMPARE(emitted(states), (QStringList{"true", "false"}));
    }

    void accountChooser()
    {
        QSignalSpy indexes(m_bar.get(), &SearchBar::signalChangeWeChatCombox);
        QStringList none;
        m_bar->AddDataToComboBox(none);
        QStringList accounts{"wxid_one", "wxid_two", "wxid_three"};
        m_bar->AddDataToComboBox(accounts);
        QCOMPARE(chooser()->count(), 3);
        QCOMPARE(chooser()->itemText(2), QStringLiteral("wxid_three"));
        // The user's picks; picking the current one again says nothing.
        chooser()->setCurrentIndex(2);
        chooser()->setCurrentIndex(2);
        chooser()->setCurrentIndex(1);
        // Refilling empties the chooser first (-1), then the first name is current.
        QStringList others{"wxid_four", "wxid_five"};
        m_bar->AddDataToComboBox(others);
        QCOMPARE(chooser()->itemText(0), QStringLiteral("wxid_four"));
        m_bar->AddDataToComboBox(none);
        QCOMPARE(chooser()->count(), 0);
        QCOMPARE(emitted(indexes), (QStringList{"0", "2", "1", "-1", "0", "-1"}));

        m_bar->ShowWechatComboBox(true);
        QVERIFY(!chooser()->isHidden() && !child<QLabel>("weChatlabel")->isHidden());
        m_bar->ShowWechatComboBox(false);
        QVERIFY(chooser()->isHidden() && child<QLabel>("weChatlabel")->isHidden());
        QVERIFY(!onlyDeleted()->isHidden());
    }

    void enableAllToolKeepsTextAndChooser()
    {
        m_bar->EnableAllTool(true);
        QVERIFY(onlyDeleted()->isEnabled() && field()->isEnabled());
        QTest::keyClicks(field(), QStringLiteral("lee"));
        m_bar->ShowWechatComboBox(true);

        QSignalSpy texts(m_bar.get(), &SearchBar::signalfilterlineEditTextEdited);
        m_bar->EnableAllTool(false);
        QVERIFY(!onlyDeleted()->isEnabled() && !field()->isEnabled());
        QCOMPARE(field()->text(), QStringLiteral("lee"));
        QVERIFY(!clearButton()->isHidden() && clearButton()->isEnabled());
        QVERIFY(!chooser()->isHidden() && chooser()->isEnabled());
        QCOMPARE(texts.count(), 0);
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
    QStringList emitted(const QSignalSpy& spy) const
    {
        QStringList values;
        for (const QList<QVariant>& call : spy)
            values << call.at(0).toString();
        return values;
    }

    std::unique_ptr<SearchBar> m_bar;
};

QTEST_MAIN(TestSearchBar)
#include "tst_searchbar.moc"
