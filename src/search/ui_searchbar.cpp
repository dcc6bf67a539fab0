#include "search/ui_searchbar.h"

#include "switchbtnwidget.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace Ui {

void SearchBar::setupUi(QWidget* bar)
{
    if (bar->objectName().isEmpty())
        bar->setObjectName(QStringLiteral("SearchBar"));
    bar->resize(972, 40);

    btnOnlyShowDelete = new SwitchBtnWidget(bar);
    btnOnlyShowDelete->setObjectName(QStringLiteral("btnOnlyShowDelete"));
    btnOnlyShowDelete->setGeometry(18, 9, 41, 18);

    label = new QLabel(bar);
    label->setObjectName(QStringLiteral("label"));
    label->setGeometry(70, 10, 151, 16);

    widget_3 = new QWidget(bar);
    widget_3->setObjectName(QStringLiteral("widget_3"));
    widget_3->setGeometry(770, 6, 161, 26);

    filterLineEdit = new QLineEdit(widget_3);
    filterLineEdit->setObjectName(QStringLiteral("filterLineEdit"));
    filterLineEdit->setGeometry(27, 4, 111, 20);
    filterLineEdit->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    filterLineEdit->setMaximumSize(16777215, 42);

    searchlbl = new QLabel(widget_3);
    searchlbl->setObjectName(QStringLiteral("searchlbl"));
    searchlbl->setGeometry(4, 2, 20, 20);

    clearSearchEditBtn = new QPushButton(widget_3);
    clearSearchEditBtn->setObjectName(QStringLiteral("clearSearchEditBtn"));
    clearSearchEditBtn->setGeometry(138, 6, 15, 15);

    weChatlabel = new QLabel(bar);
    weChatlabel->setObjectName(QStringLiteral("weChatlabel"));
    weChatlabel->setGeometry(495, 10, 151, 21);

    weChatcomboBox = new QComboBox(bar);
    weChatcomboBox->setObjectName(QStringLiteral("weChatcomboBox"));
    weChatcomboBox->setGeometry(650, 10, 111, 20);

    retranslateUi(bar);
}

void SearchBar::retranslateUi(QWidget* bar)
{
    bar->setWindowTitle(QCoreApplication::translate("SearchBar", "SearchBar"));
    label->setText(QCoreApplication::translate("SearchBar", "Only display the deleted items."));
    filterLineEdit->setPlaceholderText(QCoreApplication::translate("SearchBar", "Search"));
    searchlbl->setText(QString());
    clearSearchEditBtn->setText(QString());
    weChatlabel->setText(QCoreApplication::translate(
        "SearchBar",
        "<html><head/><body><p align=\"right\">Switch WeChat Account</p></body></html>"));
}

} // namespace Ui
