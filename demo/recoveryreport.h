#ifndef RECOVERYREPORT_H
#define RECOVERYREPORT_H

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

// What a recovery wrote into the output folder: a snapshot of the folder's
// files is taken before, and Compare() lists the files that are new or
// changed since. Only reads the folder.
class RecoveryReport
{
public:
    // Remembers the files below `folder` as they are now.
    void Snapshot(const QString& folder);
    QString Folder() const { return m_folder; }

    struct Written
    {
        QStringList files; // relative to the folder, sorted
        qint64 bytes = 0;
        // The folder holding every written file (the output folder when none).
        QString commonFolder;
    };
    Written Compare() const;

private:
    struct Stamp
    {
        qint64 size = 0;
        QDateTime modified;
    };
    QString m_folder;
    QHash<QString, Stamp> m_before;
};

#endif // RECOVERYREPORT_H
