// Fuzz target of the plist-to-record layer: the bytes go through the plist
// reader and then through every reader of the engine that takes a backup's
// plists apart, as Info.plist, as Manifest.plist (flags, manifest key, key
// bag) and as the keyed archive of a Files.file blob.

#include "crypto/archivedfile.h"
#include "crypto/keybag.h"
#include "plistreader.h"

#include <QVariantMap>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const QVariantMap root = PlistReader::Parse(bytes).toMap();
    for (const char* name : {"Device Name", "Display Name", "Product Type", "Product Version",
                             "Serial Number", "Version"})
        (void)root.value(QLatin1String(name)).toString().toUtf8();
    root.value(QStringLiteral("IsEncrypted")).toBool();
    root.value(QStringLiteral("ManifestKey")).toByteArray();
    const KeyBag bag(root.value(QStringLiteral("BackupKeyBag")).toByteArray());
    bag.IsValid();
    const ArchivedFile file = ArchivedFile::Parse(bytes);
    file.IsValid();
    return 0;
}
