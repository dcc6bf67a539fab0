#ifndef DEMOPAGEFACTORY_H
#define DEMOPAGEFACTORY_H

#include "contracts/mmobiletypes.h"

#include <QString>
#include <QVector>

class CategoryPanel;
class IUIPluginSetting;

// Makes the page of a category, as the host would find the category's plug-in.
// The caller owns the page and frees it with Free().
class DemoPageFactory
{
public:
    // Every category with a page, in the order the host lists them.
    static QVector<MMobile::MDType> Categories();
    static QString DisplayName(MMobile::MDType type);
    // The display name in the application's language (DisplayName stays the English key).
    static QString Title(MMobile::MDType type);
    // Whether the category shows its items in the photo grid.
    static bool IsFileCategory(MMobile::MDType type);
    // Null for a category without a page. `workFolder` (ending with a separator)
    // receives the thumbnails of the photo-grid pages.
    static CategoryPanel* Create(IUIPluginSetting* setting, MMobile::MDType type,
                                 const QString& workFolder);
};

#endif // DEMOPAGEFACTORY_H
