#ifndef ENGINEPAGE_H
#define ENGINEPAGE_H

#include "plugin/categorypanel.h"
#include "store/taskitem.h"

#include <QVector>

// A category page as a plug-in derives it, for driving the engine through
// the real scan workflow. Records the store's size after every hand-over.
class EnginePage : public CategoryPanel
{
    Q_OBJECT

public:
    struct HandOver
    {
        int status;          // the page's status when the items were taken
        unsigned int stored; // store size afterwards
    };

    EnginePage(IUIPluginSetting* setting, MMobile::MDType type) : CategoryPanel(setting, type, true)
    {
    }

    TaskItem* store() const { return m_pTaskItem; }
    int status() const { return m_status; }
    QVector<HandOver> handOvers;

protected:
    int GetExportOption() override { return 0; }
    void slotAddData(IMDGetter* pGetter) override
    {
        CategoryPanel::slotAddData(pGetter);
        handOvers.append({int(m_status), m_pTaskItem ? m_pTaskItem->GetDataCountEx() : 0u});
    }
};

#endif // ENGINEPAGE_H
