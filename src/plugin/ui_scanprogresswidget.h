#ifndef UI_SCANPROGRESSWIDGET_H
#define UI_SCANPROGRESSWIDGET_H

#include "gifprogresswidget.h"
#include "taskprogresswidget.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QWidget>

// The form of ScanProgressWidget, built in code as a designer form would be.
// It owns nothing: the widgets are children of the widget it is set up on.
class Ui_ScanProgressWidget
{
public:
    QHBoxLayout* horizontalLayout = nullptr;
    QFrame* frameBackground = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    TaskProgressWidget* widgetTasks = nullptr;
    GifProgressWidget* widgetProgress = nullptr;
    QLabel* labelTips = nullptr;
    QSpacerItem* horizontalSpacer_2 = nullptr;

    void setupUi(QWidget* form)
    {
        if (form->objectName().isEmpty())
            form->setObjectName(QStringLiteral("ScanProgressWidget"));
        form->resize(930, 474);
        horizontalLayout = new QHBoxLayout(form);
        horizontalLayout->setSpacing(0);
        horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
        horizontalLayout->setContentsMargins(0, 0, 0, 0);
        frameBackground = new QFrame(form);
        frameBackground->setObjectName(QStringLiteral("frameBackground"));
        frameBackground->setFrameShape(QFrame::NoFrame);
        frameBackground->setFrameShadow(QFrame::Raised);
        horizontalLayout_2 = new QHBoxLayout(frameBackground);
        horizontalLayout_2->setSpacing(0);
        horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
        horizontalLayout_2->setContentsMargins(0, 0, 0, 0);
        horizontalSpacer = new QSpacerItem(368, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
        horizontalLayout_2->addItem(horizontalSpacer);
        widgetTasks = new TaskProgressWidget(frameBackground);
        widgetTasks->setObjectName(QStringLiteral("widgetTasks"));
        horizontalLayout_2->addWidget(widgetTasks);
        widgetProgress = new GifProgressWidget(frameBackground, true);
        widgetProgress->setObjectName(QStringLiteral("widgetProgress"));
        horizontalLayout_2->addWidget(widgetProgress);
        labelTips = new QLabel(frameBackground);
        labelTips->setObjectName(QStringLiteral("labelTips"));
        horizontalLayout_2->addWidget(labelTips);
        horizontalSpacer_2 = new QSpacerItem(423, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
        horizontalLayout_2->addItem(horizontalSpacer_2);
        horizontalLayout->addWidget(frameBackground);

        retranslateUi(form);
    }

    void retranslateUi(QWidget* form)
    {
        form->setWindowTitle(
            QCoreApplication::translate("ScanProgressWidget", "ScanProgressWidget"));
        labelTips->setText(QString());
    }
};

#endif // UI_SCANPROGRESSWIDGET_H
