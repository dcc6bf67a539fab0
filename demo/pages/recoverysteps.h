#ifndef RECOVERYSTEPS_H
#define RECOVERYSTEPS_H

#include "contracts/mmobiletypes.h"

#include <QCoreApplication>
#include <QString>

class RecoverProgressDialog;

// The progress dialog's line while a recovery to a phone runs: the engine's
// step ("backup", "merge", "check", "restore") and the percentage of the
// whole, as a person reads them. Stateless.
class RecoverySteps
{
    Q_DECLARE_TR_FUNCTIONS(RecoverySteps)

public:
    // Empty for a report that is no step of a recovery to a phone.
    static QString Text(int percent, const char* step);
    // What the step does, in the user's language; empty for no step.
    static QString StepName(const char* step);
    // Puts a running report's step into `dialog` (may be null) during a
    // recovery to a device (`mode` 1 or 4).
    static void Show(RecoverProgressDialog* dialog, int mode, TASK_CTRL_STATUS state, int percent,
                     const char* step);
};

#endif // RECOVERYSTEPS_H
