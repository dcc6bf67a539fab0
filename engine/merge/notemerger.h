#ifndef NOTEMERGER_H
#define NOTEMERGER_H

#include "categorymerger.h"

#include <QVariant>

#include <map>
#include <set>

// Notes, in either store. The older one (notes.sqlite): the note (ZNOTE) in
// the target's folder of the same name and its HTML body (ZNOTEBODY). The
// newer one (NoteStore.sqlite): the note row of ZICCLOUDSYNCINGOBJECT in the
// target's folder of the same title (a note taken from "Recently Deleted"
// goes to the target's first ordinary folder, no longer marked) and its
// text, the gzip'd protocol buffer of ZICNOTEDATA, byte for byte. Copies
// of one note (the same ZIDENTIFIER) make one row, with what each kept.
class NoteMerger : public CategoryMerger
{
public:
    bool Merge(MergeDatabase& db, Selection selection) override;

private:
    bool MergeLegacy(MergeDatabase& db);
    bool MergeStore(MergeDatabase& db, Selection selection);
    // The target's folder for src folder `folder`; null on an error.
    QVariant MapFolder(MergeDatabase& db, const QVariant& folder);
    QVariant DefaultFolder(MergeDatabase& db);
    // Copies src text row `text` for the target's note row `note`.
    bool CopyText(MergeDatabase& db, qint64 note, const QVariant& text);
    // Gives `note`, added from another copy, what src copy `object` kept
    // and it lacks: title, snippet, text.
    bool Complete(MergeDatabase& db, qint64 note, qint64 object, const QVariant& title,
                  const QVariant& text);

    std::map<qint64, QVariant> m_folders; // src folder -> target folder
    std::set<qint64> m_addedRows;         // the target's note rows this merge added
};

#endif // NOTEMERGER_H
