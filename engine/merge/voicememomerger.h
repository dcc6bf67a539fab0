#ifndef VOICEMEMOMERGER_H
#define VOICEMEMOMERGER_H

#include "mediamerger.h"

// Voice memos: the recording's row of the recordings database
// (ZCLOUDRECORDING of CloudRecordings.db from iOS 14 on, ZRECORDING of
// Recordings.db before) with a Core Data key of the target's, and its audio
// file under Media/Recordings/, named by the row's ZPATH. A recording the
// target has (same ZUNIQUEID, or the same values) is left out.
class VoiceMemoMerger : public MediaMerger
{
public:
    VoiceMemoMerger(ReaderContext& source, MergedManifest& out) : MediaMerger(source, out) {}
    bool Merge(MergeDatabase& db, Selection selection) override;

private:
    bool AddRecording(MergeDatabase& db, const QString& table, qint64 recording);
};

#endif // VOICEMEMOMERGER_H
