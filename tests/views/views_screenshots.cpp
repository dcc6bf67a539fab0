// Renders a contacts table and a checkable tree offscreen into PNG files, for
// looking at the views by eye: views_screenshots <output folder>.

#include "viewstore.h"

#include "views/myheaderview.h"
#include "views/mysortfilterproxymodel.h"
#include "views/mytableview.h"
#include "views/qtreeviewex.h"
#include "views/taskitemmodel.h"
#include "views/treeitem.h"
#include "views/treeitemmodel.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPixmap>

#include <cstdio>

namespace {

class SampleTree : public TreeItemModel
{
public:
    explicit SampleTree(QStringList headers) : TreeItemModel(nullptr, headers, MMobile::MD_MESSAGE)
    {
        TreeItem* root = GetRootItem();
        TreeItem* ann = add(root, {"Ann Lee", "3 messages"});
        add(ann, {"Hello there", "2021-03-04 05:06:07"});
        TreeItem* unticked = add(ann, {"Lunch tomorrow?", "2021-03-04 05:10:00"});
        add(ann, {"See you", "2021-03-04 05:12:30"});
        TreeItem* bo = add(root, {"Bo Chan", "2 messages"});
        add(bo, {"Invoice attached", "2021-02-01 09:00:00"});
        add(bo, {"Thanks", "2021-02-01 09:30:00"});
        TreeItem* cy = add(root, {"Cy Dunn", "1 message"});
        TreeItem* last = add(cy, {"Call me", "2021-01-15 18:45:00"});
        unticked->SetChecked(Qt::Unchecked);
        cy->SetChecked(Qt::Unchecked);
        SetCurSelTreeItem(last);
    }

private:
    TreeItem* add(TreeItem* parent, QStringList texts)
    {
        return appendChild(texts, parent == GetRootItem() ? 1 : 2, nullptr, parent);
    }
};

bool save(QWidget& widget, const QString& path)
{
    const bool ok = widget.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(folder);

    ViewStore records(MMobile::MD_CONTACT);
    struct Row
    {
        const char* name;
        const char* company;
        const char* phone;
        const char* email;
        bool deleted;
    };
    const Row rows[] = {
        {"Ann Lee", "Acme Corp", "+1 555 0100", "ann@acme.example", false},
        {"Bo Chan", "Globex", "+1 555 0101", "bo@globex.example", true},
        {"Cy Dunn", nullptr, "+1 555 0102", nullptr, false},
        {"Dee Ann", "Initech", "+1 555 0103", "dee@initech.example", true},
        {"Émile Zoë", "Umbrella", "+33 1 23 45 67", "emile@umbrella.example", false},
        {"王小明", "北京公司", "+86 10 1234 5678", nullptr, true}};
    for (const Row& row : rows) {
        auto contact = std::make_unique<ContactRecord>();
        contact->Name().Text().Set(ContactName::Full, QByteArray(row.name));
        contact->Organization().Text().Set(ContactOrganization::Company, QByteArray(row.company));
        contact->Phones().Append(row.phone, QByteArray());
        if (row.email) {
            contact->Emails().Append(row.email, QByteArray());
            contact->Urls().Append(QByteArray(row.email).split('@').value(1), QByteArray());
        }
        records.add(std::move(contact), row.deleted);
    }
    TaskItem* store = records.fill();
    store->SetChecked(2, Qt::Checked);

    TaskItemModel model;
    model.setCurrentTypeItems(store);
    MySortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    MytableView table;
    table.setHorizontalHeader(new MyHeaderView(&table, Qt::Horizontal));
    table.verticalHeader()->hide();
    table.setModel(&proxy);
    table.setSortingEnabled(true);
    table.sortByColumn(0, Qt::AscendingOrder);
    table.setColumnWidth(0, 170);
    table.setColumnWidth(1, 130);
    table.setColumnWidth(2, 150);
    table.setColumnWidth(3, 190);
    table.resize(820, 260);
    table.show();

    SampleTree tree({"Conversation", "Date"});
    QTreeViewEX treeView;
    treeView.setModel(&tree);
    treeView.expandAll();
    treeView.setColumnWidth(0, 280);
    treeView.resize(520, 400);
    treeView.show();
    app.processEvents();

    const bool ok = save(table, folder + "/contacts_table.png") &&
                    save(treeView, folder + "/checkable_tree.png");
    return ok ? 0 : 1;
}
