#ifndef PHONERECOVERY_H
#define PHONERECOVERY_H

#include "recoverytarget.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Puts chosen records of a scanned backup back on a phone, safely: a fresh
// backup of the phone is taken into a private working folder, the records
// are merged into a copy of it (only added, as live records), the merged
// backup is checked, and only then restored through the phone's backup
// service. The merged backup is kept beside the user's backups as
// "<name> — recovered <date>", so the recovery can be repeated or
// inspected; a failure removes it and leaves the phone as it was.
//
// Run() blocks on the calling thread (a task's); the report's false answer
// stops it within a second. One object per recovery.
class PhoneRecovery
{
public:
    // `backups`: the folder of the user's backups (the merged one goes there).
    PhoneRecovery(const QByteArray& udid, const QString& name, const QString& backups);

    // 0, -1 when stopped, else a capture code (4 locked, 5 gone, 3 refused, ...).
    int Run(const RecoveryTarget::Request& request, const RecoveryTarget::Report& report);
    QString ErrorText() const { return m_error; }
    // The merged backup kept after a success.
    QString MergedFolder() const { return m_merged; }
    // A free folder name in `backups` for a merged backup of phone `name`.
    static QString MergedName(const QString& backups, const QString& name, const QDateTime& when);

private:
    int Fail(int code, const QString& reason);

    QByteArray m_udid;
    QString m_name;
    QString m_backups;
    QString m_merged;
    QString m_error;
};

#endif // PHONERECOVERY_H
