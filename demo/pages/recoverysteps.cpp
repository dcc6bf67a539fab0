#include "recoverysteps.h"

#include "dialogs/recoverprogressdialog.h"

#include <cstring>

QString RecoverySteps::StepName(const char* step)
{
    if (!step)
        return QString();
    if (std::strcmp(step, "backup") == 0)
        return tr("Backing up the phone");
    if (std::strcmp(step, "merge") == 0)
        return tr("Adding the items");
    if (std::strcmp(step, "check") == 0)
        return tr("Checking the backup");
    if (std::strcmp(step, "restore") == 0)
        return tr("Restoring to the phone");
    return QString();
}

QString RecoverySteps::Text(int percent, const char* step)
{
    const QString doing = StepName(step);
    if (doing.isEmpty())
        return QString();
    return tr("%1: %2%").arg(doing).arg(qBound(0, percent, 100));
}

void RecoverySteps::Show(RecoverProgressDialog* dialog, int mode, TASK_CTRL_STATUS state,
                         int percent, const char* step)
{
    // Only running reports carry a step; an end report's text may be gone.
    if (!dialog || state != MMobile::TASK_PERCENT || mode == MMobile::RECOVER_TO_PC)
        return;
    const QString text = Text(percent, step);
    if (!text.isEmpty())
        dialog->setLabelStateText(text);
}
