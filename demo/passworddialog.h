#ifndef PASSWORDDIALOG_H
#define PASSWORDDIALOG_H

#include <QDialog>

class BackupDevice;
class BackupUnlocker;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QProgressBar;

// Asks for the password of an encrypted backup: a masked field under a text
// that names the device, a busy bar while the password is checked on a
// worker thread, "Wrong password" and another try when it is wrong. Accepted
// once the device is unlocked; Cancel rejects at any time. A backup whose
// keys are damaged is reported and can only be cancelled. The device is
// borrowed; the dialog waits for a running check when it goes.
class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PasswordDialog(BackupDevice& device, QWidget* parent = nullptr);
    ~PasswordDialog() override;

    void accept() override;
    void reject() override;

private:
    void OnChecked(int result);
    void SetBusy(bool busy);
    void GrowToFit();

    BackupDevice& m_device;
    BackupUnlocker* m_unlocker;
    QLabel* m_pPrompt;
    QLineEdit* m_pPassword;
    QLabel* m_pMessage;
    QProgressBar* m_pBusy;
    QDialogButtonBox* m_pButtons;
    bool m_closing = false; // cancelled during a check: closes when it stops
};

#endif // PASSWORDDIALOG_H
