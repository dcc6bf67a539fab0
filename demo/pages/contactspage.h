#ifndef CONTACTSPAGE_H
#define CONTACTSPAGE_H

#include "demotablepage.h"

// The page of the contacts.
class ContactsPage : public DemoTablePage
{
    Q_OBJECT

public:
    explicit ContactsPage(IUIPluginSetting* setting);
};

#endif // CONTACTSPAGE_H
