#include "categorymerger.h"

#include "callmerger.h"
#include "contactmerger.h"
#include "messagemerger.h"

std::unique_ptr<CategoryMerger> CategoryMerger::For(MMobile::MDType type)
{
    switch (type) {
    case MMobile::MD_CONTACT:
        return std::make_unique<ContactMerger>();
    case MMobile::MD_MESSAGE:
        return std::make_unique<MessageMerger>();
    case MMobile::MD_CALL_HISTORY:
        return std::make_unique<CallMerger>();
    default:
        return nullptr;
    }
}
