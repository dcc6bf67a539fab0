#include "safaribookmarkspage.h"

SafariBookmarksPage::SafariBookmarksPage(IUIPluginSetting* setting)
    : DemoTablePage(setting, MMobile::MD_SAFARI_BOOKMARK)
{
}
