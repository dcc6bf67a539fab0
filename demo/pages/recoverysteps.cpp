#include "recoverysteps.h"

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
