#ifndef RECOVERYTARGET_H
#define RECOVERYTARGET_H

#include "contracts/mmobiletypes.h"
#include "mmobileengine_global.h"
#include "recordrow.h"

#include <QString>

#include <functional>
#include <vector>

class EncryptedBackup;

// A device that recovered records can be put back on (a phone on the
// cable): a data source whose page recovers to such a device hands it the
// scanned backup and the rows of the ticked items. Implemented by the
// devices that can; the data sources find it behind an MMobile::IDevice.
class MMOBILEENGINE_EXPORT RecoveryTarget
{
public:
    struct Request
    {
        MMobile::MDType type = MMobile::MDType(-1);
        QString source;                        // the scanned backup's folder
        EncryptedBackup* sourceKeys = nullptr; // its unlocked keys; borrowed
        std::vector<RecordRow> rows;
    };
    // Percent of the whole and the step under way ("backup", "merge",
    // "check", "restore"); false asks the recovery to stop.
    using Report = std::function<bool(int percent, const char* step)>;

    virtual ~RecoveryTarget();
    // Whether records of `type` can be put back faithfully.
    virtual bool TakesBack(MMobile::MDType type) const = 0;
    // Blocks (a task's thread). 0 once the records are on the device, -1 when
    // stopped, else the device's error code (the pages' backup codes), with
    // the reason in `error`.
    virtual int Recover(const Request& request, const Report& report, QString& error) = 0;
};

#endif // RECOVERYTARGET_H
