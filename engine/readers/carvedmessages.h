#ifndef CARVEDMESSAGES_H
#define CARVEDMESSAGES_H

#include "readercontext.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class DeletedRows;

// The deleted messages of sms.db made straight from the rows carved of it,
// with no scratch database: for each carved source, the conversations the
// message reader makes of the database DeletedRows::Build() lays out for
// it (the live handles, chats and their joins with every carved row of
// them, the source's messages that no live row has, and the statements
// that tie lost join rows to their chats), the same records with the same
// files. Settled on the carving thread as soon as the rows are carved
// (SettleAhead), read on the scan's thread once the carving finished; the
// context and the rows are borrowed.
class CarvedMessages
{
public:
    CarvedMessages(ReaderContext& context, const DeletedRows& rows);
    ~CarvedMessages();
    CarvedMessages(const CarvedMessages&) = delete;
    CarvedMessages& operator=(const CarvedMessages&) = delete;

    // The columns of the message table it reads, beside the identity and
    // the keys: all DeletedRows need keep of its carved rows.
    static QStringList MessageColumns();

    // Appends the conversations of `source`. The sources are asked in the
    // order of DeletedRows::Sources(): what ties one source's messages to
    // their chats stays for the next, as in the scratch database. False
    // when the rows cannot be read (a live table that cannot be) or the
    // scan stopped.
    bool Read(const QByteArray& source, ReaderContext::Items& items);
    // Reads the live tables and tells the carved messages from the live
    // ones, before the first Read(): on the carving thread, from the
    // carved rows and their live database alone, stopping with `stop`.
    void SettleAhead(const std::atomic<bool>& stop);

private:
    struct State;
    bool Settle(const std::function<bool()>& goOn);
    // What the statements of DeletedRecords::StoresOf() do to a laid-out
    // sms.db, each time a source's messages are laid out: a lost chat is
    // the one its handle's join names, chats known by their joins alone
    // are chats, a chat with no handle has those of its messages, and a
    // message with no chat joins its handle's.
    void Reidentify();
    void AddLostChats();
    void TieChatsToHandles(const QHash<qint64, int>& messages);
    void TieMessagesToChats(const std::vector<int>& messages);
    // What the message reader reads of that database; false once stopped.
    bool MakeConversations(const std::vector<int>& messages, const QHash<qint64, int>& byRowid,
                           ReaderContext::Items& items);

    ReaderContext& m_context;
    const DeletedRows& m_rows;
    std::unique_ptr<State> m_state;
    bool m_failed = false; // the live tables could not be read
};

#endif // CARVEDMESSAGES_H
