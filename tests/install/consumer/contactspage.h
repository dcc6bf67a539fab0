#ifndef CONTACTSPAGE_H
#define CONTACTSPAGE_H

// The README's example page, compiled against the installed package.
#include "plugin/categorypanel.h"
#include "views/mysortfilterproxymodel.h"
#include "views/mytableview.h"
#include "views/taskitemmodel.h"

#include <QVBoxLayout>

class ContactsPage : public CategoryPanel
{
    Q_OBJECT
public:
    explicit ContactsPage(IUIPluginSetting* setting)
        : CategoryPanel(setting, MMobile::MD_CONTACT, /*showDeviceButton=*/true)
    {
        // The plug-in makes and wires its own models and views.
        m_model = new TaskItemModel(this);
        auto* proxy = new MySortFilterProxyModel(this);
        proxy->setSourceModel(m_model);
        auto* view = new MytableView(getClientWidget());
        view->setModel(proxy);
        auto* layout = new QVBoxLayout(getClientWidget());
        layout->addWidget(view);
        connect(m_model, &TaskItemModel::itemCheckedChanged, this,
                [this] { CheckSeletedItem(0, 0); });
    }

protected:
    // Goes unchanged into the option field of every export to the computer.
    int GetExportOption() override { return 0; }

    // The store is filled when the scan ends: show it.
    void slotAfterScan() override
    {
        CategoryPanel::slotAfterScan();
        m_model->setCurrentTypeItems(m_pTaskItem);
    }

private:
    TaskItemModel* m_model;
};

#endif // CONTACTSPAGE_H
