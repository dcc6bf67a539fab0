#ifndef RECOVERYFAILURE_H
#define RECOVERYFAILURE_H

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Why a recovery into a folder on the computer could not write, found by
// looking at the folder the way the recovery had to use it: the nearest
// part of the path that exists must be a folder, on a disk that is neither
// read-only nor full, that takes a new file. Writes and removes one empty
// probe file there; quick enough for the GUI thread.
class RecoveryFailure
{
    Q_DECLARE_TR_FUNCTIONS(RecoveryFailure)

public:
    // "cannot write into <folder>: <reason>", or empty when the folder takes files.
    static QString Explain(const QString& folder);
    // The host's words for a recovery of `category` in `mode` (a recovery
    // mode) that failed; `folder` is the output folder of a recovery to the
    // computer. A backup cannot take data back, so a recovery to a device
    // is explained as such. `reason` is the engine's (the system's words for
    // the file it could not write), used when the folder itself looks fine;
    // `complete` are the files written whole before the recovery ended. A
    // failure without a reason ends with `help`, where to get help.
    static QString Message(int mode, const QString& category, const QString& folder,
                           const QString& help, const QString& reason = QString(),
                           const QStringList& complete = QStringList());

private:
    static QString CompleteNames(const QStringList& complete);
};

#endif // RECOVERYFAILURE_H
