#include "recoverysteps.h"

#include "dialogs/recoverprogressdialog.h"

#include <cstring>

QString RecoverySteps::Text(int percent, const char* step)
{
    if (!step)
        return QString();
    QString doing;
    if (std::strcmp(step, "backup") == 0)
        doing = tr("Backing up the phone");
    else if (std::strcmp(step, "merge") == 0)
        doing = tr("Adding the items");
    else if (std::strcmp(step, "check") == 0)
        doing = tr("Checking the backup");
    else if (std::strcmp(step, "restore") == 0)
        doing = tr("Restoring to the phone");
    else
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
