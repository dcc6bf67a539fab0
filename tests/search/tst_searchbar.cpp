#include "search/searchbar.h"

#include "switchbtnwidget.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestSearchBar : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void bar();
    void form_data();
    void form();
    void texts();
    void methodsInMetaObjectOrder();

    void typingShowsClearButtonAndEmitsText();
    void programmaticChangesEmitToo();
    void clearSearchInfoEmitsEmptyOnce();
    void clearButtonEmitsEmptyOnce();
    void switchEmitsItsState();
    void disabledSwitchStaysSilent();
    void addDataToComboBox();
    void userPickingAnAccountEmitsIndex();
    void enableAllToolKeepsTextAndClearButton();
    void showWechatComboBox();

private:
    template <class T> T* child(const char* name) const
    {
        T* widget = m_bar->findChild<T*>(QLatin1String(name));
        if (!widget)
            qWarning("no child %s", name);
        return widget;
    }
    QLineEdit* field() const { return child<QLineEdit>("filterLineEdit"); }
    QPushButton* clearButton() const { return child<QPushButton>("clearSearchEditBtn"); }
    QComboBox* chooser() const { return child<QComboBox>("weChatcomboBox"); }
    SwitchBtnWidget* onlyDeleted() const { return child<SwitchBtnWidget>("btnOnlyShowDelete"); }

    SearchBar* m_bar = nullptr;
};

void TestSearchBar::init()
{
    m_bar = new SearchBar;
}

void TestSearchBar::cleanup()
{
    delete m_bar;
    m_bar = nullptr;
}

void TestSearchBar::bar()
{
    QCOMPARE(m_bar->objectName(), QStringLiteral("SearchBar"));
    QCOMPARE(m_bar->windowTitle(), QStringLiteral("SearchBar"));
    QCOMPARE(m_bar->size(), QSize(972, 40));
    QVERIFY(!m_bar->layout());

    // Direct children in form order.
    QStringList names;
    for (QObject* object : m_bar->children()) {
        if (object->isWidgetType())
            names << object->objectName();
    }
    QCOMPARE(names, (QStringList{"btnOnlyShowDelete", "label", "widget_3", "weChatlabel",
                                 "weChatcomboBox"}));
    SearchBar withParent(m_bar);
    QCOMPARE(withParent.parentWidget(), m_bar);
}

void TestSearchBar::form_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("switch") << "btnOnlyShowDelete"
                            << "SwitchBtnWidget"
                            << "SearchBar" << QRect(18, 9, 41, 18) << false << false;
    QTest::newRow("label") << "label"
                           << "QLabel"
                           << "SearchBar" << QRect(70, 10, 151, 16) << false << true;
    QTest::newRow("field container") << "widget_3"
                                     << "QWidget"
                                     << "SearchBar" << QRect(770, 6, 161, 26) << false << true;
    QTest::newRow("field") << "filterLineEdit"
                           << "QLineEdit"
                           << "widget_3" << QRect(27, 4, 111, 20) << false << false;
    QTest::newRow("search label") << "searchlbl"
                                  << "QLabel"
                                  << "widget_3" << QRect(4, 2, 20, 20) << false << true;
    QTest::newRow("clear button") << "clearSearchEditBtn"
                                  << "QPushButton"
                                  << "widget_3" << QRect(138, 6, 15, 15) << true << true;
    QTest::newRow("account label") << "weChatlabel"
                                   << "QLabel"
                                   << "SearchBar" << QRect(495, 10, 151, 21) << true << true;
    QTest::newRow("account chooser") << "weChatcomboBox"
                                     << "QComboBox"
                                     << "SearchBar" << QRect(650, 10, 111, 20) << true << true;
}

void TestSearchBar::form()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QFETCH(bool, hidden);
    QFETCH(bool, enabled);

    QWidget* widget = m_bar->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->isHidden(), hidden);
    QCOMPARE(widget->isEnabled(), enabled);
}

void TestSearchBar::texts()
{
    QCOMPARE(child<QLabel>("label")->text(), QStringLiteral("Only display the deleted items."));
    QCOMPARE(field()->placeholderText(), QStringLiteral("Search"));
    QVERIFY(field()->text().isEmpty());
    QCOMPARE(field()->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
    QCOMPARE(field()->sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
    QCOMPARE(field()->maximumSize(), QSize(16777215, 42));
    QVERIFY(child<QLabel>("searchlbl")->text().isEmpty());
    QVERIFY(clearButton()->text().isEmpty());
    QCOMPARE(child<QLabel>("weChatlabel")->text(),
             QStringLiteral("<html><head/><body><p align=\"right\">Switch WeChat "
                            "Account</p></body></html>"));
    QCOMPARE(chooser()->count(), 0);
}

void TestSearchBar::methodsInMetaObjectOrder()
{
    // Plug-ins built against the library connect by these signatures.
    const QMetaObject* meta = m_bar->metaObject();
    QStringList methods;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        methods << QString::fromLatin1(meta->method(i).methodSignature());
    QCOMPARE(
        methods,
        (QStringList{"signalOnlyShowDeletedItems(bool)", "signalfilterlineEditTextEdited(QString)",
                     "signalChangeWeChatCombox(int)", "slotOnlyShowDelete(bool)",
                     "on_filterLineEdit_textChanged(QString)", "on_clearSearchEditBtn_clicked()",
                     "slotChangeWeChatCombox(int)"}));
}

void TestSearchBar::typingShowsClearButtonAndEmitsText()
{
    m_bar->EnableAllTool(true);
    m_bar->show();
    QSignalSpy texts(m_bar, &SearchBar::signalfilterlineEditTextEdited);

    QTest::keyClick(field(), Qt::Key_A);
    QCOMPARE(texts.count(), 1);
    QCOMPARE(texts.last().at(0).toString(), QStringLiteral("a"));
    QVERIFY(!clearButton()->isHidden());

    QTest::keyClick(field(), 'B');
    QCOMPARE(texts.count(), 2);
    QCOMPARE(texts.last().at(0).toString(), QStringLiteral("aB"));
    QVERIFY(!clearButton()->isHidden());

    QTest::keyClick(field(), Qt::Key_Backspace);
    QCOMPARE(texts.count(), 3);
    QCOMPARE(texts.last().at(0).toString(), QStringLiteral("a"));
    QVERIFY(!clearButton()->isHidden());

    QTest::keyClick(field(), Qt::Key_Backspace);
    QCOMPARE(texts.count(), 4);
    QCOMPARE(texts.last().at(0).toString(), QString());
    QVERIFY(clearButton()->isHidden());
}

void TestSearchBar::programmaticChangesEmitToo()
{
    // The field is disabled at first; text set by code still goes out.
    QSignalSpy texts(m_bar, &SearchBar::signalfilterlineEditTextEdited);
    field()->setText(QStringLiteral("Smith"));
    QCOMPARE(texts.count(), 1);
    QCOMPARE(texts.last().at(0).toString(), QStringLiteral("Smith"));
    QVERIFY(!clearButton()->isHidden());
}

void TestSearchBar::clearSearchInfoEmitsEmptyOnce()
{
    field()->setText(QStringLiteral("abc"));
    QSignalSpy texts(m_bar, &SearchBar::signalfilterlineEditTextEdited);
    m_bar->ClearSearchInfo();
    QCOMPARE(texts.count(), 1);
    QCOMPARE(texts.last().at(0).toString(), QString());
    QVERIFY(field()->text().isEmpty());
    QVERIFY(clearButton()->isHidden());

    m_bar->ClearSearchInfo();
    QCOMPARE(texts.count(), 1);
}

void TestSearchBar::clearButtonEmitsEmptyOnce()
{
    m_bar->EnableAllTool(true);
    m_bar->show();
    QTest::keyClicks(field(), QStringLiteral("ann"));
    QVERIFY(!clearButton()->isHidden());

    QSignalSpy texts(m_bar, &SearchBar::signalfilterlineEditTextEdited);
    QTest::mouseClick(clearButton(), Qt::LeftButton);
    QCOMPARE(texts.count(), 1);
    QCOMPARE(texts.last().at(0).toString(), QString());
    QVERIFY(field()->text().isEmpty());
    QVERIFY(clearButton()->isHidden());
}

void TestSearchBar::switchEmitsItsState()
{
    m_bar->EnableAllTool(true);
    m_bar->show();
    QSignalSpy states(m_bar, &SearchBar::signalOnlyShowDeletedItems);
    QTest::mouseClick(onlyDeleted(), Qt::LeftButton);
    QTest::mouseClick(onlyDeleted(), Qt::LeftButton);
    QCOMPARE(states.count(), 2);
    QCOMPARE(states.at(0).at(0).toBool(), true);
    QCOMPARE(states.at(1).at(0).toBool(), false);
}

void TestSearchBar::disabledSwitchStaysSilent()
{
    m_bar->show();
    QSignalSpy states(m_bar, &SearchBar::signalOnlyShowDeletedItems);
    QTest::mouseClick(onlyDeleted(), Qt::LeftButton);
    QCOMPARE(states.count(), 0);

    m_bar->EnableAllTool(true);
    m_bar->EnableAllTool(false);
    QTest::mouseClick(onlyDeleted(), Qt::LeftButton);
    QCOMPARE(states.count(), 0);
}

void TestSearchBar::addDataToComboBox()
{
    QSignalSpy indexes(m_bar, &SearchBar::signalChangeWeChatCombox);
    QStringList none;
    m_bar->AddDataToComboBox(none);
    QCOMPARE(chooser()->count(), 0);
    QCOMPARE(indexes.count(), 0);

    QStringList accounts{"wxid_one", "wxid_two", "wxid_three"};
    m_bar->AddDataToComboBox(accounts);
    QCOMPARE(chooser()->count(), 3);
    for (int i = 0; i < accounts.size(); ++i)
        QCOMPARE(chooser()->itemText(i), accounts[i]);
    QCOMPARE(chooser()->currentIndex(), 0);
    QCOMPARE(indexes.count(), 1);
    QCOMPARE(indexes.at(0).at(0).toInt(), 0);

    // Refilling empties the chooser first (-1), then the first name is current.
    QStringList others{"wxid_four", "wxid_five"};
    m_bar->AddDataToComboBox(others);
    QCOMPARE(chooser()->count(), 2);
    QCOMPARE(chooser()->itemText(0), QStringLiteral("wxid_four"));
    QCOMPARE(indexes.count(), 3);
    QCOMPARE(indexes.at(1).at(0).toInt(), -1);
    QCOMPARE(indexes.at(2).at(0).toInt(), 0);

    m_bar->AddDataToComboBox(none);
    QCOMPARE(chooser()->count(), 0);
    QCOMPARE(indexes.count(), 4);
    QCOMPARE(indexes.at(3).at(0).toInt(), -1);
}

void TestSearchBar::userPickingAnAccountEmitsIndex()
{
    QStringList accounts{"a", "b", "c"};
    m_bar->AddDataToComboBox(accounts);
    QSignalSpy indexes(m_bar, &SearchBar::signalChangeWeChatCombox);
    chooser()->setCurrentIndex(2);
    chooser()->setCurrentIndex(2);
    chooser()->setCurrentIndex(1);
    QCOMPARE(indexes.count(), 2);
    QCOMPARE(indexes.at(0).at(0).toInt(), 2);
    QCOMPARE(indexes.at(1).at(0).toInt(), 1);
}

void TestSearchBar::enableAllToolKeepsTextAndClearButton()
{
    m_bar->EnableAllTool(true);
    QVERIFY(onlyDeleted()->isEnabled());
    QVERIFY(field()->isEnabled());
    m_bar->show();
    QTest::keyClicks(field(), QStringLiteral("lee"));
    m_bar->ShowWechatComboBox(true);

    QSignalSpy texts(m_bar, &SearchBar::signalfilterlineEditTextEdited);
    m_bar->EnableAllTool(false);
    QVERIFY(!onlyDeleted()->isEnabled());
    QVERIFY(!field()->isEnabled());
    QCOMPARE(field()->text(), QStringLiteral("lee"));
    QVERIFY(!clearButton()->isHidden());
    QVERIFY(clearButton()->isEnabled());
    QVERIFY(chooser()->isEnabled());
    QVERIFY(!chooser()->isHidden());
    QCOMPARE(texts.count(), 0);
}

void TestSearchBar::showWechatComboBox()
{
    QWidget* label = child<QLabel>("weChatlabel");
    m_bar->ShowWechatComboBox(true);
    QVERIFY(!chooser()->isHidden());
    QVERIFY(!label->isHidden());
    m_bar->ShowWechatComboBox(false);
    QVERIFY(chooser()->isHidden());
    QVERIFY(label->isHidden());
    // Neither the switch nor the field follow the chooser.
    QVERIFY(!onlyDeleted()->isHidden());
    QVERIFY(!field()->isEnabled());
}

QTEST_MAIN(TestSearchBar)
#include "tst_searchbar.moc"
