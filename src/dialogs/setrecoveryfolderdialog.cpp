#include "dialogs/setrecoveryfolderdialog.h"

#include "dialogs/ui_setrecoveryfolderdialog.h"

#include "contracts/iuipluginsetting.h"

#include <QDir>
#include <QFileDialog>

SetRecoveryFolderDialog::SetRecoveryFolderDialog(IUIPluginSetting* setting, QWidget* parent)
    : MyWidget(parent, false, 0,
               Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint),
      ui(new Ui_SetRecoveryFolderDialog), m_pSetting(setting)
{
    setObjectName(QStringLiteral("SetRecoveryFolderDialog"));
    resize(540, 200);
    ui->setupUi(getClientWidget());
    QMetaObject::connectSlotsByName(this);
    setWindowTitle(tr("Setting"));
    setModal(true);
    ui->editOutputPath->setText(StoredOutputDir());
    setFixedSizeWidget(true);
    setOnlyShowCloseButton(true);
}

SetRecoveryFolderDialog::~SetRecoveryFolderDialog()
{
    delete ui;
}

const QString& SetRecoveryFolderDialog::getCurOutputPath()
{
    m_curOutputPath = ui->editOutputPath->text();
    return m_curOutputPath;
}

QString SetRecoveryFolderDialog::StoredOutputDir() const
{
    const char* dir = m_pSetting ? m_pSetting->GetOutputDir() : nullptr;
    return QString::fromUtf8(dir);
}

void SetRecoveryFolderDialog::on_btnBrowse_clicked()
{
    const QString start = StoredOutputDir();
    const QString chosen = QFileDialog::getExistingDirectory(this, tr("Set to save folder"), start,
                                                             QFileDialog::ShowDirsOnly);
    // A cancelled browse puts the stored folder back, also over a typed one.
    ui->editOutputPath->setText(chosen.isEmpty() ? start : QDir::toNativeSeparators(chosen));
}

void SetRecoveryFolderDialog::on_btnSetRecover_clicked()
{
    accept();
    if (m_pSetting)
        m_pSetting->SetOutputDir(ui->editOutputPath->text().toUtf8().constData());
}

void SetRecoveryFolderDialog::on_btnCancel_clicked()
{
    reject();
}
