#ifndef UI_SETRECOVERYFOLDERDIALOG_H
#define UI_SETRECOVERYFOLDERDIALOG_H

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

// The form of SetRecoveryFolderDialog, with absolute positions, built in code
// as a designer form would be, on the frame's client widget (the dialog itself
// carries the form's name and size). It owns nothing: the controls are
// children of the widget it is set up on.
class Ui_SetRecoveryFolderDialog
{
public:
    QLabel* label = nullptr;
    QLineEdit* editOutputPath = nullptr;
    QPushButton* btnSetRecover = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnBrowse = nullptr;

    void setupUi(QWidget* form)
    {
        label = new QLabel(form);
        label->setObjectName(QStringLiteral("label"));
        label->setGeometry(QRect(10, 25, 276, 21));
        editOutputPath = new QLineEdit(form);
        editOutputPath->setObjectName(QStringLiteral("editOutputPath"));
        editOutputPath->setGeometry(QRect(10, 70, 380, 21));
        btnSetRecover = new QPushButton(form);
        btnSetRecover->setObjectName(QStringLiteral("btnSetRecover"));
        btnSetRecover->setGeometry(QRect(310, 120, 86, 24));
        btnCancel = new QPushButton(form);
        btnCancel->setObjectName(QStringLiteral("btnCancel"));
        btnCancel->setGeometry(QRect(410, 120, 86, 24));
        btnBrowse = new QPushButton(form);
        btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
        btnBrowse->setGeometry(QRect(410, 70, 86, 24));
        retranslateUi(form);
    }

    void retranslateUi(QWidget*)
    {
        // Literal contexts: the catalogue tools find only those.
        label->setText(QCoreApplication::translate(
            "SetRecoveryFolderDialog", "Save the recovered data to the following path."));
        btnSetRecover->setText(QCoreApplication::translate("SetRecoveryFolderDialog", "Recover"));
        btnCancel->setText(QCoreApplication::translate("SetRecoveryFolderDialog", "Cancel"));
        btnBrowse->setText(QCoreApplication::translate("SetRecoveryFolderDialog", "Browse"));
    }
};

#endif // UI_SETRECOVERYFOLDERDIALOG_H
