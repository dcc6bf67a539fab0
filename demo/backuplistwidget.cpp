#include "backuplistwidget.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QStyle>

namespace {
const int kFolderRole = Qt::UserRole;
} // namespace

BackupListWidget::BackupListWidget(const QString& pictureFolder, QWidget* parent)
    : QListWidget(parent), m_pictureFolder(pictureFolder)
{
    setObjectName(QStringLiteral("backupList"));
    setIconSize(QSize(16, 16));
    setSpacing(2);
    setWordWrap(true);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QString folder = item->data(kFolderRole).toString();
        for (const BackupSummary& backup : qAsConst(m_backups)) {
            if (backup.folder != folder)
                continue;
            if (backup.state == BackupSummary::Ready)
                emit openRequested(folder);
            else
                emit unusableChosen(folder, backup.problem);
        }
    });
}

void BackupListWidget::SetBackups(const QList<BackupSummary>& backups)
{
    m_backups = backups;
    clear();
    const QIcon lock(QDir(m_pictureFolder).filePath(QStringLiteral("lock.png")));
    const QIcon warning(QDir(m_pictureFolder).filePath(QStringLiteral("warning.png")));
    const QIcon phone = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const BackupSummary& backup : backups) {
        auto* item = new QListWidgetItem(this);
        item->setData(kFolderRole, backup.folder);
        item->setText(backup.Title() + QLatin1Char('\n') + backup.Details());
        item->setToolTip(QDir::toNativeSeparators(backup.folder));
        if (backup.state != BackupSummary::Ready) {
            item->setIcon(warning);
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        } else {
            item->setIcon(backup.encrypted ? lock : phone);
        }
    }
}

QListWidgetItem* BackupListWidget::ItemOf(const QString& folder) const
{
    const QString wanted = QDir::cleanPath(folder);
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(kFolderRole).toString() == wanted)
            return item(row);
    }
    return nullptr;
}

bool BackupListWidget::SetCurrentBackup(const QString& folder)
{
    QListWidgetItem* found = ItemOf(folder);
    for (int row = 0; row < count(); ++row) {
        QFont font = item(row)->font();
        font.setBold(item(row) == found);
        item(row)->setFont(font);
    }
    if (found)
        setCurrentItem(found);
    return found != nullptr;
}
