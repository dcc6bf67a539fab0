#include "rangegetter.h"

#include "itemgetter.h"

RangeGetter::RangeGetter(std::shared_ptr<ItemGetter> items, unsigned int first, unsigned int count)
    : m_items(std::move(items)), m_first(first), m_count(count)
{
}

RangeGetter::~RangeGetter() = default;

unsigned int RangeGetter::GetCount()
{
    return m_count;
}

MMobile::IMDCommon* RangeGetter::GetItem(unsigned int index)
{
    return index < m_count ? m_items->GetItem(m_first + index) : nullptr;
}
