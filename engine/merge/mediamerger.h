#ifndef MEDIAMERGER_H
#define MEDIAMERGER_H

#include "categorymerger.h"
#include "deletedrecords.h"

#include <QString>

#include <memory>
#include <vector>

class MergedManifest;
class ReaderContext;

// The categories whose records are files that a database row describes: a
// camera roll asset, a voice memo, a message's attachment. A merger adds the
// row as CategoryMerger does and the file beside it to the merged backup (a
// new Files row, encrypted with the target's keys where it is encrypted),
// under the name the row gives it, or a free name of the same pattern when
// the target keeps another file there. A record whose file the source lacks
// is left out, as the scan leaves it out. Borrowed: the source's context and
// the merged index; one thread.
class MediaMerger : public CategoryMerger
{
public:
    // The merger of a media category; null for any other category.
    static std::unique_ptr<CategoryMerger> For(MMobile::MDType type, ReaderContext& source,
                                               MergedManifest& out);
    static bool Handles(int category);
    // The databases a merge of the category adds rows to.
    static std::vector<DeletedRecords::Store> StoresOf(MMobile::MDType type);

protected:
    MediaMerger(ReaderContext& source, MergedManifest& out) : m_source(source), m_out(out) {}

    // The readable content of a file of the source; empty when it is missing.
    QString SourceFile(const QString& domain, const QString& relativePath);
    // `relativePath` when the target lists no file there, else the first free
    // one with the number in the name counted on (IMG_0012.JPG, IMG_0013.JPG)
    // or, without one, "-1", "-2" before the suffix; `inFolder`: the number of
    // its folder instead, the name kept (DCIM/100APPLE, DCIM/101APPLE), where
    // the folder has one. Empty when none is free.
    QString FreePath(const QString& domain, const QString& relativePath, bool inFolder = false);
    // Adds `content` to the merged backup as (domain, relativePath); false
    // with the reason in `db`'s LastError().
    bool AddFile(MergeDatabase& db, const QString& domain, const QString& relativePath,
                 const QString& content);

private:
    ReaderContext& m_source;
    MergedManifest& m_out;
};

#endif // MEDIAMERGER_H
