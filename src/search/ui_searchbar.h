#ifndef UI_SEARCHBAR_H
#define UI_SEARCHBAR_H

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class SwitchBtnWidget;

namespace Ui {

// The form of the search bar: children placed at fixed positions, no layout.
// The widgets belong to the bar they are set up on; the form only points at
// them, and the bar owns the form.
class SearchBar
{
public:
    void setupUi(QWidget* bar);
    void retranslateUi(QWidget* bar);

    SwitchBtnWidget* btnOnlyShowDelete = nullptr;
    QLabel* label = nullptr;
    QWidget* widget_3 = nullptr;
    QLineEdit* filterLineEdit = nullptr;
    QLabel* searchlbl = nullptr;
    QPushButton* clearSearchEditBtn = nullptr;
    QLabel* weChatlabel = nullptr;
    QComboBox* weChatcomboBox = nullptr;
};

} // namespace Ui

#endif // UI_SEARCHBAR_H
