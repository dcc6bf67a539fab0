#ifndef CATEGORYNAMES_H
#define CATEGORYNAMES_H

#include "categorypanel_global.h"
#include "contracts/mmobiletypes.h"

#include <QString>

// The user-visible names of the data categories. The texts are translated in
// the context "CategoryPanel" at every call, so a language change shows at the
// next lookup. -1 (the page's own category) is the page's to resolve.
class CategoryNames
{
public:
    // The untranslated source text; null for values without a name.
    static const char* SourceText(MMobile::MDType type);
    // The translated display name; empty for values without a name.
    static QString DisplayName(MMobile::MDType type);
};

#endif // CATEGORYNAMES_H
