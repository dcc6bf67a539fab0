#ifndef UI_RECOVERBUTTONBAR_H
#define UI_RECOVERBUTTONBAR_H

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpacerItem>
#include <QWidget>

// The form of RecoverButtonBar, built in code as a designer form would be.
// It owns nothing: the buttons are children of the bar.
class Ui_RecoverButtonBar
{
public:
    QHBoxLayout* horizontalLayout = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    QPushButton* btnRecoverToPC = nullptr;
    QSpacerItem* horizontalSpacer_2 = nullptr;
    QPushButton* btnRecoverToDevice = nullptr;
    QPushButton* btnDeviceMenu = nullptr;
    QSpacerItem* horizontalSpacer_3 = nullptr;
    QPushButton* btnClose = nullptr;

    void setupUi(QWidget* form)
    {
        if (form->objectName().isEmpty())
            form->setObjectName(QStringLiteral("RecoverButtonBar"));
        form->resize(375, 135);
        horizontalLayout = new QHBoxLayout(form);
        horizontalLayout->setSpacing(2);
        horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
        horizontalLayout->setContentsMargins(0, 0, 9, 0);
        horizontalSpacer = new QSpacerItem(40, 20, QSizePolicy::Preferred, QSizePolicy::Minimum);
        horizontalLayout->addItem(horizontalSpacer);
        btnRecoverToPC = button(form, "btnRecoverToPC");
        horizontalSpacer_2 = new QSpacerItem(20, 20, QSizePolicy::Fixed, QSizePolicy::Minimum);
        horizontalLayout->addItem(horizontalSpacer_2);
        btnRecoverToDevice = button(form, "btnRecoverToDevice");
        btnDeviceMenu = button(form, "btnDeviceMenu");
        horizontalSpacer_3 = new QSpacerItem(20, 20, QSizePolicy::Fixed, QSizePolicy::Minimum);
        horizontalLayout->addItem(horizontalSpacer_3);
        btnClose = button(form, "btnClose");

        retranslateUi(form);
    }

    void retranslateUi(QWidget* form)
    {
        form->setWindowTitle(QCoreApplication::translate("RecoverButtonBar", "RecoverButtonBar"));
    }

private:
    QPushButton* button(QWidget* form, const char* name)
    {
        auto* b = new QPushButton(form);
        b->setObjectName(QLatin1String(name));
        b->setSizePolicy(QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred));
        horizontalLayout->addWidget(b);
        return b;
    }
};

#endif // UI_RECOVERBUTTONBAR_H
