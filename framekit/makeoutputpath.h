#ifndef MAKEOUTPUTPATH_H
#define MAKEOUTPUTPATH_H

#include "framekit_global.h"

#include "contracts/mmobiletypes.h"

namespace MMobile {
class IDevice;
}

// Writes the folder that receives the data of one category of a device below
// the folder the user chose:
//
//   <folder><sep><device name><sep><category><sep>
//
// - `folder` (UTF-8) is kept byte for byte: it names a place the user picked.
//   <sep> is the separator the folder ends with; when it ends with none, the
//   last one inside it ('/' or '\\'); when it has none at all, the platform's.
// - <device name> is the display name of the device (key 37 of its
//   information object). A null device, a null information object or a null
//   or empty name give "Unknown Device".
// - <category> is the kit's folder name for `type` ("Photos", "Contacts",
//   "Call History", ...); a value without one gives "Data".
//
// The device name is made into a single safe folder name: '/', '\\', control
// characters (below 0x20 and 0x7F) and <>:"|?* become '_', so do the bytes of
// invalid UTF-8; leading spaces and trailing spaces and dots are dropped; a
// name longer than 100 bytes is cut at a character boundary; a name left
// empty (or "." or "..") becomes "_"; a Windows device name (CON, PRN, AUX,
// NUL, COM1-COM9, LPT1-LPT9, in any case, with or without an extension) gets a
// leading '_'.
//
// `out` receives at most `outSize` bytes and is always zero-terminated when
// `outSize` >= 1. Returns true only when the whole path was written. A path
// that does not fit is never cut (a cut path would name another folder): the
// result is false and `out` is left empty. A null `folder` or `out`,
// `outSize` <= 0 or an empty folder also give false with an empty `out`
// (when there is room for the zero).
FRAMEKIT_EXPORT bool MakeOutputPath(const char* folder, MMobile::IDevice* device,
                                    MMobile::MDType type, char* out, int outSize);

#endif // MAKEOUTPUTPATH_H
