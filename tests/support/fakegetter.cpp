#include "fakegetter.h"

unsigned int FakeGetter::GetCount()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<unsigned int>(m_items.size());
}

MMobile::IMDCommon* FakeGetter::GetItem(unsigned int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return index < m_items.size() ? m_items[index] : nullptr;
}

FakeItem* FakeGetter::adopt(std::unique_ptr<FakeItem> item)
{
    if (!item)
        return nullptr;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_owned.push_back(std::move(item));
    return m_owned.back().get();
}

void FakeGetter::prepend(const QVector<MMobile::IMDCommon*>& items)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (MMobile::IMDCommon* item : items) {
        if (item)
            m_items.push_front(item);
    }
}

void FakeGetter::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_items.clear();
}

QVector<MMobile::IMDCommon*> FakeGetter::items() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return QVector<MMobile::IMDCommon*>(m_items.begin(), m_items.end());
}
