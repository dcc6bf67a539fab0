#ifndef BACKUPCHECK_H
#define BACKUPCHECK_H

#include "mmobileengine_global.h"

#include <QString>

// Whether a backup folder is complete enough to be restored to a phone: its
// property lists are there, its index opens and passes SQLite's quick check,
// and every file it lists has its content in the folder (the phone would
// stop half-way otherwise). An encrypted index cannot be read without the
// password: only its presence is checked. Stateless; reads only.
class MMOBILEENGINE_EXPORT BackupCheck
{
public:
    // True when complete; otherwise false with the reason in `reason`.
    static bool IsComplete(const QString& folder, QString* reason);
};

#endif // BACKUPCHECK_H
