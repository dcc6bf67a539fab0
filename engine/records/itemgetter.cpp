#include "itemgetter.h"

#include "engineitem.h"

ItemGetter::ItemGetter() = default;

ItemGetter::~ItemGetter() = default;

unsigned int ItemGetter::GetCount()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<unsigned int>(m_items.size());
}

MMobile::IMDCommon* ItemGetter::GetItem(unsigned int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index >= m_items.size())
        return nullptr;
    return m_items[index].get();
}

void ItemGetter::Prepend(std::vector<std::unique_ptr<EngineItem>> batch)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = batch.rbegin(); it != batch.rend(); ++it)
        m_items.push_front(std::move(*it));
}

std::vector<EngineItem*> ItemGetter::Snapshot()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<EngineItem*> items;
    items.reserve(m_items.size());
    for (const auto& item : m_items)
        items.push_back(item.get());
    return items;
}
