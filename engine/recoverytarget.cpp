#include "recoverytarget.h"

// Out of line: the type's identity lives in the engine, for the data
// sources' look behind a device.
RecoveryTarget::~RecoveryTarget() = default;
