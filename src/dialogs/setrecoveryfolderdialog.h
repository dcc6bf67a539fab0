#ifndef SETRECOVERYFOLDERDIALOG_H
#define SETRECOVERYFOLDERDIALOG_H

#include "categorypanel_global.h"

#include "mywidget.h"

class IUIPluginSetting;
class Ui_SetRecoveryFolderDialog;

// Asks for the folder on the computer that recovered data goes to. Shows the
// folder stored in the host settings, lets the user type or browse for one,
// and on Recover stores the text back into the settings as typed: turning it
// into a usable output folder is the page's step. The dialog owns its form;
// the settings object is borrowed and must not be null.
class CATEGORYPANEL_EXPORT SetRecoveryFolderDialog : public MyWidget
{
    Q_OBJECT

public:
    SetRecoveryFolderDialog(IUIPluginSetting* setting, QWidget* parent);
    ~SetRecoveryFolderDialog() override;

    // What the folder field shows now; the reference lives as long as the dialog.
    const QString& getCurOutputPath();

private slots:
    void on_btnBrowse_clicked();
    void on_btnSetRecover_clicked();
    void on_btnCancel_clicked();

private:
    QString StoredOutputDir() const;

    Ui_SetRecoveryFolderDialog* ui;
    IUIPluginSetting* m_pSetting;
    QString m_curOutputPath;
};

#endif // SETRECOVERYFOLDERDIALOG_H
