#ifndef PHOTOMERGER_H
#define PHOTOMERGER_H

#include "mediamerger.h"

#include <QString>
#include <QVariant>

#include <map>

// Camera roll assets: the asset row of Photos.sqlite (ZASSET, ZGENERICASSET
// before iOS 14) with a Core Data key of the target's, taken out of the
// trash as the app does when a user puts a photo back (ZTRASHEDSTATE 0, no
// ZTRASHEDDATE), its additional attributes row where the store has one, and
// the picture under Media/<ZDIRECTORY>/<ZFILENAME> of the camera roll. An
// asset the target has (same ZUUID, or the same values) is left out.
class PhotoMerger : public MediaMerger
{
public:
    PhotoMerger(ReaderContext& source, MergedManifest& out) : MediaMerger(source, out) {}
    bool Merge(MergeDatabase& db, Selection selection) override;

private:
    bool AddAsset(MergeDatabase& db, const QString& table, qint64 asset);
    // A copy of a src row whose other relationship keys are cleared: they
    // name rows of the source (a moment, an import session) that the target
    // does not have, and the app files a new asset itself.
    qint64 CopyUnfiled(MergeDatabase& db, const QString& table, qint64 rowid,
                       const std::map<QString, QVariant>& overrides);
};

#endif // PHOTOMERGER_H
