// Renders a search bar above a contacts-like table, offscreen, into the PNG
// named on the command line: the bar enabled, a keyword typed and the WeChat
// account chooser shown, as a page with several accounts would have it.
// With --skin it applies a style sheet of the kind a page's skin supplies
// (small font, a round clear button, a search mark); the bar itself sets no
// pictures or fonts.
//
//   QT_QPA_PLATFORM=offscreen shot_searchbar doc/screenshots/searchbar.png [--skin]

#include "search/searchbar.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;

    const bool skin = argc > 2 && qstrcmp(argv[2], "--skin") == 0;
    if (skin) {
        app.setStyleSheet(QStringLiteral(
            "#SearchBar { background: #f4f4f4; }"
            "#SearchBar QLabel, #SearchBar QComboBox { font-family: \"DejaVu Sans Condensed\", "
            "Arial;"
            " font-size: 11px; color: #333333; }"
            "#widget_3 { background: white; border: 1px solid #b8b8b8; border-radius: 12px; }"
            "#filterLineEdit { border: none; font-size: 11px; }"
            "#searchlbl { border: 2px solid #8a8a8a; border-radius: 6px; margin: 3px; }"
            "#clearSearchEditBtn { border: none; border-radius: 7px; background: #c4c4c4; }"
            "QTableView { font-size: 11px; }"));
    }

    QWidget page;
    page.setObjectName(QStringLiteral("page"));
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new SearchBar(&page);
    bar->setFixedSize(972, 40);
    bar->EnableAllTool(true);
    bar->ShowWechatComboBox(true);
    QStringList accounts{QStringLiteral("wxid_ann"), QStringLiteral("wxid_bob")};
    bar->AddDataToComboBox(accounts);
    bar->findChild<QLineEdit*>(QStringLiteral("filterLineEdit"))->setText(QStringLiteral("lee"));
    layout->addWidget(bar);

    QStandardItemModel model(0, 4);
    model.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Phone"),
                                     QStringLiteral("E-mail"), QStringLiteral("Company")});
    const char* rows[][4] = {{"Ann Lee", "+1 555 0100", "ann@example.com", "Acme"},
                             {"Lee Ann", "+1 555 0101", "lee.ann@example.com", "Initech"},
                             {"Bruce Lee", "+1 555 0102", "bruce@example.com", ""},
                             {"Leela Turanga", "+1 555 0103", "leela@example.com", "Express"}};
    for (auto& row : rows) {
        QList<QStandardItem*> items;
        for (const char* text : row)
            items << new QStandardItem(QString::fromUtf8(text));
        items.first()->setCheckable(true);
        model.appendRow(items);
    }
    auto* table = new QTableView(&page);
    table->setModel(&model);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(0, 200);
    table->setColumnWidth(1, 200);
    table->setColumnWidth(2, 260);
    table->verticalHeader()->hide();
    layout->addWidget(table);

    page.resize(972, 220);
    page.show();
    app.processEvents();
    return page.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
