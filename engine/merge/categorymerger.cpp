#include "categorymerger.h"

#include "bookmarkmerger.h"
#include "calendarmerger.h"
#include "callmerger.h"
#include "contactmerger.h"
#include "messagemerger.h"
#include "notemerger.h"

std::unique_ptr<CategoryMerger> CategoryMerger::For(MMobile::MDType type)
{
    switch (type) {
    case MMobile::MD_CONTACT:
        return std::make_unique<ContactMerger>();
    case MMobile::MD_MESSAGE:
        return std::make_unique<MessageMerger>();
    case MMobile::MD_CALL_HISTORY:
        return std::make_unique<CallMerger>();
    case MMobile::MD_CALENDAR:
    case MMobile::MD_REMINDER:
        return std::make_unique<CalendarMerger>(type == MMobile::MD_REMINDER);
    case MMobile::MD_NOTE:
        return std::make_unique<NoteMerger>();
    case MMobile::MD_SAFARI_BOOKMARK:
        return std::make_unique<BookmarkMerger>();
    default:
        return nullptr;
    }
}
