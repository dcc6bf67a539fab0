#include "contactspage.h"

ContactsPage::ContactsPage(IUIPluginSetting* setting) : DemoTablePage(setting, MMobile::MD_CONTACT)
{
}
