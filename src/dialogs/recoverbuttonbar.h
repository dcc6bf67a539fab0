#ifndef RECOVERBUTTONBAR_H
#define RECOVERBUTTONBAR_H

#include "categorypanel_global.h"

#include <QWidget>

#include <vector>

class IUIPluginSetting;
class Ui_RecoverButtonBar;

namespace MMobile {
class IDevice;
}
using MMobile::IDevice;

// The recover buttons in a category page's status bar: to a folder on the
// computer, to the connected device, and close. It refuses with a message when
// nothing is ticked, no device is connected or the device cannot take the
// page's category back, and otherwise only emits a signal: the page runs the
// recovery. The buttons' enabled state follows the page alone; the device
// button's tooltip says where the items would go, or why they cannot.
//
// The bar owns its form; the settings object and the devices are borrowed.
// The device menu button stays hidden for the bar's whole life, so the bar
// offers no device menu: the device button recovers to the first device of
// the host's list, as its tooltip says.
class RecoverButtonBar : public QWidget
{
    Q_OBJECT

public:
    RecoverButtonBar(QWidget* parent, IUIPluginSetting* setting, bool showDeviceButton);
    ~RecoverButtonBar() override;

    void SetHasCheckedItems(bool hasChecked);
    void SetRecoverButtonsEnabled(bool enabled);
    // The page's category (an MMobile::MDType), which a device may not take back.
    void SetCategory(int type);
    // Re-reads the host's device list; only its first entry is used.
    void RefreshDeviceTarget();

signals:
    void signalRecoverToPC();
    void signalRecoverToDevice(IDevice* device);
    void signalClose();

private slots:
    void on_btnClose_clicked();
    void on_btnRecoverToPC_clicked();
    void on_btnRecoverToDevice_clicked();

private:
    void ShowRefusal(const QString& text);
    // Whether `device` says it takes the category back (one that says
    // nothing is trusted to).
    bool TakesCategory(MMobile::IDevice* device) const;

    Ui_RecoverButtonBar* ui;
    IUIPluginSetting* m_pSetting;
    std::vector<IDevice*> m_devices;
    bool m_bHasChecked;
    int m_type = -1;
    QString m_refusedBy; // the device that does not take the category back
};

#endif // RECOVERBUTTONBAR_H
