#ifndef CBMSEARCH_H
#define CBMSEARCH_H

#include "categorypanel_global.h"

#include <QtGlobal>

class TaskItem;

namespace MMobile {
class IContact;
class IMessage;
class ICallHistory;
class INote;
class ICalendar;
class IReminider;
class ISafariBookmark;
class IWhatsAppMessenger;
class IWeChatMessager;
class IWeChatFriend;
} // namespace MMobile

// Marks the items of a category store that contain a keyword in one of their
// record's text fields. The match is a Boyer-Moore substring search over UTF-8
// bytes with the bad-character and good-suffix rules; only the ASCII letters
// A-Z are folded to lower case, every other byte must match exactly.
//
// The engine owns its two good-suffix arrays. They outlive a search and grow
// only when a longer keyword comes; the store and its records are borrowed for
// the duration of SearchContent.
//
// Copying: copy construction and copy assignment give an empty engine (no
// arrays, `m_tableSize` 0, bad-character table zeroed), never a second owner
// of the source's arrays; the copy builds its tables on its next search.
//
// Single-threaded: one engine runs one search at a time.
class CATEGORYPANEL_EXPORT CBMSearch
{
public:
    CBMSearch();
    CBMSearch(const CBMSearch& other);
    ~CBMSearch();

    CBMSearch& operator=(const CBMSearch& other);

    // Writes every item's search mark from `keyword` (UTF-8, `length` bytes,
    // at most its zero-terminated length). A null keyword or a length below 1
    // marks every item. Returns false when the tables cannot be built (no mark
    // is touched then) or there is no store. An empty store is left alone.
    bool SearchContent(TaskItem* store, const char* keyword, int length);

private:
    bool BuildBS(const char* pattern, int m);
    bool BuildGS(const char* pattern, int m);
    // `pattern` must be folded already and the tables built for it.
    bool BMSearch(const char* text, const char* pattern, int m);

    bool SearchContact(MMobile::IContact* record, const char* pattern, int m);
    bool SearchMessage(MMobile::IMessage* record, const char* pattern, int m);
    bool SearchCall(MMobile::ICallHistory* record, const char* pattern, int m);
    bool SearchNote(MMobile::INote* record, const char* pattern, int m);
    bool SearchCalendar(MMobile::ICalendar* record, const char* pattern, int m);
    bool SearchReminder(MMobile::IReminider* record, const char* pattern, int m);
    bool SearchBookmark(MMobile::ISafariBookmark* record, const char* pattern, int m);
    bool SearchWhatsApp(MMobile::IWhatsAppMessenger* record, const char* pattern, int m);
    bool SearchWeChat(MMobile::IWeChatMessager* record, const char* pattern, int m);
    bool SearchWeChatFriend(MMobile::IWeChatFriend* record, const char* pattern, int m);

    void FreeTables();

    qint32 m_badChar[256];
    qint32* m_suffix;
    qint32* m_goodSuffix;
    qint32 m_tableSize;
};

#endif // CBMSEARCH_H
