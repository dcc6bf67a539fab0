#ifndef BACKUPLISTWIDGET_H
#define BACKUPLISTWIDGET_H

#include "backupsummary.h"

#include <QList>
#include <QListWidget>

// The list of the backups found on the computer: device name, model, iOS
// version, date and size of each, a lock on encrypted ones and a warning
// with the reason on a folder that cannot be opened. Activating a usable
// backup asks for it to be opened; the list owns only its items.
class BackupListWidget : public QListWidget
{
    Q_OBJECT

public:
    // `pictureFolder` holds lock.png and warning.png.
    BackupListWidget(const QString& pictureFolder, QWidget* parent = nullptr);

    void SetBackups(const QList<BackupSummary>& backups);
    const QList<BackupSummary>& Backups() const { return m_backups; }
    // Marks `folder` as the open one; false when it is not listed.
    bool SetCurrentBackup(const QString& folder);
    QListWidgetItem* ItemOf(const QString& folder) const;

signals:
    void openRequested(const QString& folder);
    // A listed folder that cannot be opened, with why.
    void unusableChosen(const QString& folder, const QString& problem);

private:
    QString m_pictureFolder;
    QList<BackupSummary> m_backups;
};

#endif // BACKUPLISTWIDGET_H
