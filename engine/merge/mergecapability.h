#ifndef MERGECAPABILITY_H
#define MERGECAPABILITY_H

#include "mmobileengine_global.h"

#include <QString>

// Whether the records of a category (an MMobile::MDType) can be put back on a
// phone faithfully, by a merge into its backup and a restore. The page's
// device button asks before it offers a recovery to a phone; when the answer
// is no, `reason` (when given) gets a sentence the page can show instead.
MMOBILEENGINE_EXPORT bool canMergeCategory(int category, QString* reason = nullptr);

#endif // MERGECAPABILITY_H
