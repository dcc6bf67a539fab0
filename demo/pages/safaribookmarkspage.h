#ifndef SAFARIBOOKMARKSPAGE_H
#define SAFARIBOOKMARKSPAGE_H

#include "demotablepage.h"

// The page of the browser bookmarks.
class SafariBookmarksPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit SafariBookmarksPage(IUIPluginSetting* setting);
};

#endif // SAFARIBOOKMARKSPAGE_H
