#ifndef DELETEDRECORDS_H
#define DELETEDRECORDS_H

#include "contracts/mmobiletypes.h"
#include "deletedrows.h"
#include "readercontext.h"

#include <functional>
#include <memory>
#include <vector>

class CarvedMessages;

// The records a category's databases lost: for each of its databases the
// rows carved from free space, the log and the journal (DeletedRows) are read
// by the category's own reader, one carved source at a time, and come out as
// items that report themselves deleted with that source. Conversations and
// chats without a recovered message are left out. Used by the scan's
// CategoryReader on its thread; the context is borrowed.
class DeletedRecords
{
public:
    using ReadFunction = std::function<bool(ReaderContext::Items&)>;
    // One database of the category: where it lies, which of its tables hold
    // the records and what beside them, and the statements run after a fill.
    struct Store
    {
        const char* domain;
        const char* path;
        std::vector<DeletedRows::Table> tables;
        QStringList fixups;
    };

    DeletedRecords(ReaderContext& context, MMobile::MDType type);
    // Whether the category has tables whose deleted rows make records.
    static bool Carves(MMobile::MDType type);
    // The databases of the category whose deleted rows make records (a merge
    // of recovered records reads them the same way).
    static std::vector<Store> StoresOf(MMobile::MDType type);
    // The phone's own mark of a deleted item of the category, as its source.
    static QByteArray MarkSource(MMobile::MDType type);
    DeletedRecords(const DeletedRecords&) = delete;
    DeletedRecords& operator=(const DeletedRecords&) = delete;
    ~DeletedRecords();
    // Opens the category's databases and begins carving each on a thread of
    // its own, so that the live rows are read meanwhile.
    void Begin();
    // Appends the deleted records that `read` makes of them to `items`
    // (after Begin(), or beginning now).
    void Read(const ReadFunction& read, ReaderContext::Items& items);

private:
    ReaderContext& m_context;
    MMobile::MDType m_type;
    std::vector<Store> m_stores;
    // By store once begun; null where there is nothing to carve. The
    // messages made of a store's rows are settled on its carving thread.
    std::vector<std::unique_ptr<DeletedRows>> m_rows;
    std::vector<std::unique_ptr<CarvedMessages>> m_messages;
    bool m_begun = false;
};

#endif // DELETEDRECORDS_H
