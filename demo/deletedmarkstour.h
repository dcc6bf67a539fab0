#ifndef DELETEDMARKSTOUR_H
#define DELETEDMARKSTOUR_H

class CategoryPanel;
class QString;
class QWidget;

// The tour's look at a page's deleted items, as a user takes it: the
// only-deleted switch on, every item left in view must carry the page's
// deleted mark (orange text in a table or tree, the orange frame and badge
// in a grid); a screenshot then, and the switch off again. Borrows the page.
class DeletedMarksTour
{
public:
    struct Seen
    {
        int shown = -1;     // items in view with the switch on; -1: no switch
        int marked = -1;    // those of them marked deleted
        bool saved = false; // the screenshot
    };

    // `screenshot` empty: none is taken.
    static Seen Walk(CategoryPanel* page, const QString& screenshot);
    // Presses the page's only-deleted switch with the mouse; false without one.
    static bool PressSwitch(QWidget* page);
};

#endif // DELETEDMARKSTOUR_H
