#include "dialogs/recoverbuttonbar.h"

#include "dialogs/ui_recoverbuttonbar.h"

#include "contracts/deviceentry.h"
#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"
#include "contracts/iuipluginsetting.h"
#include "contracts/mmobiletypes.h"

#include "mymessagedailog.h"

RecoverButtonBar::RecoverButtonBar(QWidget* parent, IUIPluginSetting* setting,
                                   bool showDeviceButton)
    : QWidget(parent), ui(new Ui_RecoverButtonBar), m_pSetting(setting), m_bHasChecked(false)
{
    ui->setupUi(this);
    QMetaObject::connectSlotsByName(this);
    ui->btnRecoverToPC->setToolTip(tr("Recover to PC"));
    ui->btnDeviceMenu->hide();
    RefreshDeviceTarget();
    ui->btnRecoverToDevice->setVisible(showDeviceButton);
}

RecoverButtonBar::~RecoverButtonBar()
{
    delete ui;
}

void RecoverButtonBar::SetHasCheckedItems(bool hasChecked)
{
    m_bHasChecked = hasChecked;
}

void RecoverButtonBar::SetRecoverButtonsEnabled(bool enabled)
{
    ui->btnRecoverToPC->setEnabled(enabled);
    ui->btnRecoverToDevice->setEnabled(enabled);
}

void RecoverButtonBar::SetCategory(int type)
{
    m_type = type;
    RefreshDeviceTarget();
}

bool RecoverButtonBar::TakesCategory(MMobile::IDevice* device) const
{
    MMobile::IDeviceInfo* info = device->GetDeviceInfo();
    const char* types =
        info ? info->GetTextProperty(MMobile::DEVICE_PROP_RECOVERABLE_TYPES, 0) : nullptr;
    if (!types || m_type < 0)
        return true;
    const QByteArrayList listed = QByteArray(types).split(',');
    return listed.contains(QByteArray::number(m_type));
}

void RecoverButtonBar::RefreshDeviceTarget()
{
    unsigned int count = 0;
    DeviceEntry* entries = m_pSetting ? m_pSetting->GetDeviceList(&count) : nullptr;
    m_devices.clear();
    m_refusedBy.clear();
    if (count == 0 || !entries)
        return;
    IDevice* device = entries[0].pDevice;
    if (!device) {
        ui->btnRecoverToDevice->setToolTip(QStringLiteral("Please connect device"));
        return;
    }
    m_devices.push_back(device);
    MMobile::IDeviceInfo* info = device->GetDeviceInfo();
    const char* name = info ? info->GetTextProperty(MMobile::DEVICE_PROP_DISPLAY_NAME, 0) : nullptr;
    // A device that cannot take this category back is named as such, so that
    // the button never leads to a recovery bound to fail.
    if (!TakesCategory(device)) {
        m_refusedBy = QString::fromUtf8(name);
        ui->btnRecoverToDevice->setToolTip(
            tr("These items cannot be put back on %1 yet").arg(m_refusedBy));
        return;
    }
    ui->btnRecoverToDevice->setToolTip(tr("Recover to ") + QString::fromUtf8(name));
}

void RecoverButtonBar::on_btnClose_clicked()
{
    emit signalClose();
}

void RecoverButtonBar::on_btnRecoverToPC_clicked()
{
    if (!m_bHasChecked) {
        ShowRefusal(tr("Oops! It seems you haven't chosen any data to recover.<br> Please tick the "
                       "check boxes and click Recover button to<br> recover."));
        return;
    }
    emit signalRecoverToPC();
}

void RecoverButtonBar::on_btnRecoverToDevice_clicked()
{
    if (m_devices.empty()) {
        ShowRefusal(tr("Oops! It seems you haven't connected any <br>iOS device to this computer. "
                       "Please plug in your<br>iOS device and try again."));
        return;
    }
    if (!m_refusedBy.isEmpty()) {
        ShowRefusal(tr("These items cannot be put back on %1 yet.<br>Please recover them to "
                       "this computer instead.")
                        .arg(m_refusedBy));
        return;
    }
    if (!m_bHasChecked) {
        ShowRefusal(tr("Oops! It seems you haven't chosen any data to recover.<br> Please tick the "
                       "checkboxes and click Recover button to <br> recover."));
        return;
    }
    emit signalRecoverToDevice(m_devices.front());
}

void RecoverButtonBar::ShowRefusal(const QString& text)
{
    MyMessageDailog dialog(this, true);
    dialog.setMessageType(static_cast<MyMessageDailog::MESSAGE_TYPE>(3));
    dialog.setMessageText(text);
    dialog.setCancelBtnHide();
    dialog.exec();
}
