#include "search/cbmsearch.h"

#include "contracts/icalendar.h"
#include "contracts/icallhistory.h"
#include "contracts/icontact.h"
#include "contracts/icontactaddresslist.h"
#include "contracts/icontactlist.h"
#include "contracts/icontactname.h"
#include "contracts/icontactorganization.h"
#include "contracts/imdcommon.h"
#include "contracts/imessage.h"
#include "contracts/imessageentry.h"
#include "contracts/inote.h"
#include "contracts/ireminider.h"
#include "contracts/isafaribookmark.h"
#include "contracts/iwechatfriend.h"
#include "contracts/iwechatmessager.h"
#include "contracts/iwhatsappmessenger.h"
#include "store/taskitem.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Byte -> byte with A-Z lowered, everything else unchanged. Texts are folded
// through this table while they are compared, so no field is ever copied.
struct FoldTable
{
    unsigned char map[256];
    constexpr FoldTable() : map()
    {
        for (int b = 0; b < 256; ++b)
            map[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
    }
};
constexpr FoldTable kFold;

inline unsigned char Fold(unsigned char byte)
{
    return kFold.map[byte];
}

} // namespace

CBMSearch::CBMSearch() : m_badChar(), m_suffix(nullptr), m_goodSuffix(nullptr), m_tableSize(0) {}

CBMSearch::CBMSearch(const CBMSearch&) : CBMSearch() {}

CBMSearch::~CBMSearch()
{
    FreeTables();
}

CBMSearch& CBMSearch::operator=(const CBMSearch& other)
{
    if (this != &other) {
        FreeTables();
        std::fill(std::begin(m_badChar), std::end(m_badChar), 0);
    }
    return *this;
}

void CBMSearch::FreeTables()
{
    delete[] m_suffix;
    delete[] m_goodSuffix;
    m_suffix = nullptr;
    m_goodSuffix = nullptr;
    m_tableSize = 0;
}

bool CBMSearch::SearchContent(TaskItem* store, const char* keyword, int length)
{
    if (!store)
        return false;
    const unsigned int count = store->GetDataCountEx();
    if (count == 0)
        return true;

    // A length past the keyword's end would read foreign memory: only the
    // bytes before a zero byte are ever searched for. memchr stops at the
    // first zero, so an unterminated keyword of exactly `length` bytes is fine.
    if (keyword && length > 0) {
        if (const void* end = std::memchr(keyword, 0, static_cast<size_t>(length)))
            length = static_cast<int>(static_cast<const char*>(end) - keyword);
    }

    if (!keyword || length < 1) {
        for (unsigned int index = 0; index < count; ++index)
            store->SetSearchMark(index, true);
        store->UpdateCheckedCountBySearch();
        return true;
    }

    std::vector<char> folded(static_cast<size_t>(length) + 1, '\0');
    for (int i = 0; i < length; ++i)
        folded[i] = static_cast<char>(Fold(static_cast<unsigned char>(keyword[i])));
    const char* pattern = folded.data();

    if (!BuildBS(pattern, length) || !BuildGS(pattern, length))
        return false;

    const MMobile::MDType type = store->GetType();
    for (unsigned int index = 0; index < count; ++index) {
        MMobile::IMDCommon* item = store->GetData(index);
        bool found = false;
        switch (type) {
        case MMobile::MD_CONTACT:
            found = SearchContact(MMobile::record_cast<MMobile::IContact>(item), pattern, length);
            break;
        case MMobile::MD_MESSAGE:
            found = SearchMessage(MMobile::record_cast<MMobile::IMessage>(item), pattern, length);
            break;
        case MMobile::MD_CALL_HISTORY:
            found = SearchCall(MMobile::record_cast<MMobile::ICallHistory>(item), pattern, length);
            break;
        case MMobile::MD_CALENDAR:
            found = SearchCalendar(MMobile::record_cast<MMobile::ICalendar>(item), pattern, length);
            break;
        case MMobile::MD_NOTE:
            found = SearchNote(MMobile::record_cast<MMobile::INote>(item), pattern, length);
            break;
        case MMobile::MD_SAFARI_BOOKMARK:
            found = SearchBookmark(MMobile::record_cast<MMobile::ISafariBookmark>(item), pattern,
                                   length);
            break;
        case MMobile::MD_WHATSAPP_MESSAGE:
            found = SearchWhatsApp(MMobile::record_cast<MMobile::IWhatsAppMessenger>(item), pattern,
                                   length);
            break;
        case MMobile::MD_WECHAT_CONTACT:
            found = SearchWeChatFriend(MMobile::record_cast<MMobile::IWeChatFriend>(item), pattern,
                                       length);
            break;
        case MMobile::MD_WECHAT_MESSAGE:
            found =
                SearchWeChat(MMobile::record_cast<MMobile::IWeChatMessager>(item), pattern, length);
            break;
        case MMobile::MD_REMINDER:
            found =
                SearchReminder(MMobile::record_cast<MMobile::IReminider>(item), pattern, length);
            break;
        default:
            // Photos, attachments and voice memos have no text to search.
            break;
        }
        store->SetSearchMark(index, found);
    }
    store->UpdateCheckedCountBySearch();
    return true;
}

bool CBMSearch::BuildBS(const char* pattern, int m)
{
    if (!pattern || m < 1)
        return false;
    std::fill(std::begin(m_badChar), std::end(m_badChar), m);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pattern);
    for (int i = 0; i < m - 1; ++i)
        m_badChar[p[i]] = m - 1 - i;
    return true;
}

bool CBMSearch::BuildGS(const char* pattern, int m)
{
    if (!pattern || m < 1)
        return false;
    if (m > m_tableSize)
        FreeTables();
    if (m_tableSize == 0) {
        m_suffix = new (std::nothrow) qint32[m];
        m_goodSuffix = new (std::nothrow) qint32[m];
        if (!m_suffix || !m_goodSuffix) {
            // Drop a half-made pair so that the next search tries again.
            FreeTables();
            return false;
        }
        m_tableSize = m;
    }

    const unsigned char* p = reinterpret_cast<const unsigned char*>(pattern);
    qint32* suff = m_suffix;
    qint32* gs = m_goodSuffix;

    // suff[i]: length of the longest common suffix of p[0..i] and p. Linear
    // construction; it reuses earlier answers inside the window [g+1, f]
    // instead of rescanning, which keeps a pasted long keyword cheap.
    suff[m - 1] = m;
    int g = m - 1;
    int f = m - 1;
    for (int i = m - 2; i >= 0; --i) {
        if (i > g && suff[i + m - 1 - f] < i - g) {
            suff[i] = suff[i + m - 1 - f];
        } else {
            if (i < g)
                g = i;
            f = i;
            while (g >= 0 && p[g] == p[g + m - 1 - f])
                --g;
            suff[i] = f - g;
        }
    }

    for (int j = 0; j < m; ++j)
        gs[j] = m;
    int j = 0;
    for (int i = m - 1; i >= 0; --i) {
        if (suff[i] == i + 1) {
            for (; j < m - 1 - i; ++j) {
                if (gs[j] == m)
                    gs[j] = m - 1 - i;
            }
        }
    }
    for (int i = 0; i <= m - 2; ++i)
        gs[m - 1 - suff[i]] = m - 1 - i;
    return true;
}

bool CBMSearch::BMSearch(const char* text, const char* pattern, int m)
{
    if (!text || !pattern || m < 1 || m > m_tableSize)
        return false;

    // A one-byte pattern shifts by one byte at a time; the C library's
    // vectorised scans find the byte (in either case for a letter) faster and
    // give the same answer.
    if (m == 1) {
        const unsigned char c = static_cast<unsigned char>(pattern[0]);
        if (c >= 'a' && c <= 'z') {
            const char either[3] = {static_cast<char>(c), static_cast<char>(c - 0x20), '\0'};
            return std::strpbrk(text, either) != nullptr;
        }
        return std::strchr(text, c) != nullptr;
    }

    const size_t n = std::strlen(text);
    if (n < static_cast<size_t>(m))
        return false;

    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pattern);
    const size_t last = n - static_cast<size_t>(m);
    size_t j = 0;
    for (;;) {
        int i = m - 1;
        unsigned char c;
        while ((c = Fold(t[i + j])) == p[i]) {
            if (--i < 0)
                return true;
        }
        const int shift = std::max(m_goodSuffix[i], m_badChar[c] - m + 1 + i);
        j += static_cast<size_t>(shift);
        if (j > last)
            return false;
    }
}

bool CBMSearch::SearchContact(MMobile::IContact* record, const char* pattern, int m)
{
    if (!record)
        return false;

    auto inList = [&](MMobile::IContactList* list) {
        if (!list)
            return false;
        const unsigned int count = list->GetCount();
        for (unsigned int k = 0; k < count; ++k) {
            if (BMSearch(list->GetValue(k), pattern, m))
                return true;
        }
        return false;
    };

    if (MMobile::IContactName* name = record->GetName()) {
        const char* full = name->GetFullName();
        if (full && *full) {
            if (BMSearch(full, pattern, m))
                return true;
        } else if (BMSearch(name->GetFirstName(), pattern, m) ||
                   BMSearch(name->GetMiddleName(), pattern, m) ||
                   BMSearch(name->GetLastName(), pattern, m) ||
                   BMSearch(name->GetPrefix(), pattern, m) ||
                   BMSearch(name->GetSuffix(), pattern, m) ||
                   BMSearch(name->GetNickname(), pattern, m) ||
                   BMSearch(name->GetFirstNamePhonetic(), pattern, m) ||
                   BMSearch(name->GetMiddleNamePhonetic(), pattern, m) ||
                   BMSearch(name->GetLastNamePhonetic(), pattern, m)) {
            return true;
        }
    }

    if (inList(record->GetPhoneList()))
        return true;

    if (MMobile::IContactOrganization* org = record->GetOrganization()) {
        const char* company = org->GetCompanyName();
        if (company && *company) {
            if (BMSearch(company, pattern, m))
                return true;
        } else if (BMSearch(org->GetDepartment(), pattern, m) ||
                   BMSearch(org->GetJobTitle(), pattern, m) ||
                   BMSearch(org->GetCompanyPhonetic(), pattern, m)) {
            return true;
        }
    }

    if (inList(record->GetEmailList()) || inList(record->GetUrlList()))
        return true;

    if (MMobile::IContactAddressList* addresses = record->GetAddressList()) {
        const unsigned int count = addresses->GetCount();
        for (unsigned int k = 0; k < count; ++k) {
            if (BMSearch(addresses->GetStreet(k), pattern, m) ||
                BMSearch(addresses->GetCity(k), pattern, m) ||
                BMSearch(addresses->GetState(k), pattern, m) ||
                BMSearch(addresses->GetPostalCode(k), pattern, m) ||
                BMSearch(addresses->GetCountry(k), pattern, m) ||
                BMSearch(addresses->GetLabel(k), pattern, m)) {
                return true;
            }
        }
    }

    return inList(record->GetInstantMessageList()) || inList(record->GetRelatedNameList()) ||
           inList(record->GetDateList()) || inList(record->GetSocialProfileList()) ||
           BMSearch(record->GetNote(), pattern, m) || BMSearch(record->GetBirthday(), pattern, m);
}

bool CBMSearch::SearchMessage(MMobile::IMessage* record, const char* pattern, int m)
{
    if (!record)
        return false;
    const unsigned int participants = record->GetParticipantCount();
    for (unsigned int k = 0; k < participants; ++k) {
        if (BMSearch(record->GetParticipantName(k), pattern, m) ||
            BMSearch(record->GetParticipantPhone(k), pattern, m) ||
            BMSearch(record->GetParticipantEmail(k), pattern, m)) {
            return true;
        }
    }
    const unsigned int entries = record->GetEntryCount();
    for (unsigned int k = 0; k < entries; ++k) {
        MMobile::IMessageEntry* entry = record->GetEntry(k);
        if (entry &&
            (BMSearch(entry->GetText(), pattern, m) || BMSearch(entry->GetSender(), pattern, m)))
            return true;
    }
    return false;
}

bool CBMSearch::SearchCall(MMobile::ICallHistory* record, const char* pattern, int m)
{
    return record && (BMSearch(record->GetName(), pattern, m) ||
                      BMSearch(record->GetPhoneNumber(), pattern, m) ||
                      BMSearch(record->GetDate(), pattern, m) ||
                      BMSearch(record->GetCallType(), pattern, m) ||
                      BMSearch(record->GetDuration(), pattern, m));
}

bool CBMSearch::SearchNote(MMobile::INote* record, const char* pattern, int m)
{
    return record &&
           (BMSearch(record->GetTitle(), pattern, m) || BMSearch(record->GetDate(), pattern, m) ||
            BMSearch(record->GetBody(), pattern, m) || BMSearch(record->GetSnippet(), pattern, m) ||
            BMSearch(record->GetFolder(), pattern, m));
}

bool CBMSearch::SearchCalendar(MMobile::ICalendar* record, const char* pattern, int m)
{
    return record &&
           (BMSearch(record->GetTitle(), pattern, m) ||
            BMSearch(record->GetLocation(), pattern, m) ||
            BMSearch(record->GetStartDate(), pattern, m) ||
            BMSearch(record->GetEndDate(), pattern, m) || BMSearch(record->GetNote(), pattern, m));
}

bool CBMSearch::SearchReminder(MMobile::IReminider* record, const char* pattern, int m)
{
    return record &&
           (BMSearch(record->GetTitle(), pattern, m) || BMSearch(record->GetStatus(), pattern, m) ||
            BMSearch(record->GetDate(), pattern, m) ||
            BMSearch(record->GetLocation(), pattern, m) ||
            BMSearch(record->GetNote(), pattern, m) ||
            BMSearch(record->GetListName(), pattern, m) ||
            BMSearch(record->GetPriority(), pattern, m));
}

bool CBMSearch::SearchBookmark(MMobile::ISafariBookmark* record, const char* pattern, int m)
{
    return record &&
           (BMSearch(record->GetTitle(), pattern, m) || BMSearch(record->GetUrl(), pattern, m));
}

bool CBMSearch::SearchWhatsApp(MMobile::IWhatsAppMessenger* record, const char* pattern, int m)
{
    if (!record)
        return false;
    if (BMSearch(record->GetPartnerName(), pattern, m) ||
        BMSearch(record->GetPartnerPhone(), pattern, m))
        return true;
    const unsigned int entries = record->GetEntryCount();
    for (unsigned int k = 0; k < entries; ++k) {
        MMobile::IMessageEntry* entry = record->GetEntry(k);
        if (entry &&
            (BMSearch(entry->GetText(), pattern, m) || BMSearch(entry->GetSender(), pattern, m)))
            return true;
    }
    return false;
}

bool CBMSearch::SearchWeChat(MMobile::IWeChatMessager* record, const char* pattern, int m)
{
    return record && (BMSearch(record->GetChatName(), pattern, m) ||
                      BMSearch(record->GetAccount(), pattern, m) ||
                      BMSearch(record->GetMember(), pattern, m));
}

bool CBMSearch::SearchWeChatFriend(MMobile::IWeChatFriend* record, const char* pattern, int m)
{
    return record &&
           (BMSearch(record->GetUserName(), pattern, m) ||
            BMSearch(record->GetDisplayName(), pattern, m) ||
            BMSearch(record->GetAlias(), pattern, m) || BMSearch(record->GetRemark(), pattern, m) ||
            BMSearch(record->GetRegion(), pattern, m) ||
            BMSearch(record->GetSignature(), pattern, m));
}
