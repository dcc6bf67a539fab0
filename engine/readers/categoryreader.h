#ifndef CATEGORYREADER_H
#define CATEGORYREADER_H

#include "contracts/mmobiletypes.h"
#include "readercontext.h"
#include "wechataccount.h"

#include <QString>

class BackupManifest;

// Reads the records of one category from the databases of an opened backup
// into new items, in a fixed order (the database's own order of rows, by
// date where the category is a time line), through the reader of that
// category. Used by one scan task on its own thread; the manifest is
// borrowed. The local time zone is taken once, when the reader is made.
//
// A category whose database the backup does not list reads as no items. A
// database that is listed but whose content is missing, that is not a
// readable database or that lacks the category's main table fails the read
// (ErrorText() tells why); a missing optional table or column leaves its
// field empty and is logged.
class CategoryReader
{
public:
    // Called now and then with the part read so far (0-100); false stops the read.
    using Progress = ReaderContext::Progress;
    using Items = ReaderContext::Items;

    // Databases with a log are read from copies in `workFolder`.
    CategoryReader(BackupManifest& manifest, const QString& workFolder, MMobile::MDType type,
                   Progress progress);
    ~CategoryReader();

    // False when the category's data cannot be read; a stopped read answers
    // true with Stopped() set and whatever it had read. The records the
    // databases lost follow the live ones (DeletedRecords).
    bool Read(Items& items);
    bool Stopped() const { return m_context.Stopped(); }
    QString ErrorText() const { return m_context.ErrorText(); }
    int SkippedCount() const { return m_context.SkippedCount(); }
    // Pictures of the photo category are queued here as they are read (borrowed).
    void SetThumbnailMaker(ThumbnailMaker* maker) { m_context.SetThumbnailMaker(maker); }
    // Where a stopped read leaves what it built (borrowed), see ReaderContext::Leave().
    void SetLeftovers(Leftovers* leftovers) { m_context.SetLeftovers(leftovers); }
    // The WeChat accounts of a WeChat read, each with its run of the items.
    const std::vector<WeChatAccount>& WeChatAccounts() const { return m_weChatAccounts; }

private:
    bool ReadWeChat(int what, Items& items);
    bool ReadLive(Items& items);

    ReaderContext m_context;
    MMobile::MDType m_type;
    std::vector<WeChatAccount> m_weChatAccounts;
};

#endif // CATEGORYREADER_H
