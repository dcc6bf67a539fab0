#ifndef RECORDTEXTS_H
#define RECORDTEXTS_H

#include "contracts/mmobiletypes.h"

#include <QString>
#include <QStringList>

namespace MMobile {
class IMDCommon;
class IPhoto;
class IVoiceMemo;
} // namespace MMobile

// Every field the page shows of the records of contacts, messages and calls,
// one text per record, so that two scans compare as lists of texts.
class RecordTexts
{
public:
    static QStringList Of(MMobile::MDType type, MMobile::IMDCommon* item);
    // The text of a file record (photo, attachment) and of a recording, as
    // Of() gives it.
    static QString OfFile(MMobile::IPhoto* file);
    static QString OfRecording(MMobile::IVoiceMemo* memo);
    // The records of a scan of `folder`, live or deleted ones, sorted; an
    // encrypted backup is opened with `password`.
    static QStringList Scan(const QString& folder, MMobile::MDType type, bool deleted,
                            const QString& password = QString());
    // The texts `recovered` records show once a merge put them back as live
    // ones: a note leaves "Recently Deleted" for the first folder, and an
    // untitled copy of a note recovered with its title too is that one note.
    static QStringList PutBack(const QStringList& recovered);
};

#endif // RECORDTEXTS_H
