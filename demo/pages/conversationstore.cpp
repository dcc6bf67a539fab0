#include "conversationstore.h"

#include "conversationgroup.h"

#include "contracts/imdgetter.h"

namespace {

// The groups in the order of their first items, as a getter for the base store.
class GroupGetter : public MMobile::IMDGetter
{
public:
    explicit GroupGetter(const std::vector<std::unique_ptr<ConversationGroup>>& groups)
        : m_groups(groups)
    {
    }
    unsigned int GetCount() override { return unsigned(m_groups.size()); }
    MMobile::IMDCommon* GetItem(unsigned int index) override
    {
        return index < m_groups.size() ? m_groups[index].get() : nullptr;
    }

private:
    const std::vector<std::unique_ptr<ConversationGroup>>& m_groups;
};

} // namespace

ConversationStore::ConversationStore(MMobile::MDType type) : TaskItem(type) {}

ConversationStore::~ConversationStore() = default;

ConversationGroup* ConversationStore::Join(MMobile::IMDCommon* item, Groups& groups,
                                           QHash<QByteArray, ConversationGroup*>& byKey)
{
    const QByteArray key = ConversationGroup::KeyOf(item);
    if (ConversationGroup* group = key.isEmpty() ? nullptr : byKey.value(key)) {
        group->Add(item);
        return group;
    }
    groups.push_back(std::make_unique<ConversationGroup>(item));
    if (!key.isEmpty())
        byKey.insert(key, groups.back().get());
    return nullptr;
}

void ConversationStore::SetDatas(MMobile::IMDGetter* getter)
{
    // Made aside: the base store's SetDatas clears the store first.
    Groups groups;
    QHash<QByteArray, ConversationGroup*> byKey;
    QSet<MMobile::IMDCommon*> members;
    const unsigned int count = getter ? getter->GetCount() : 0;
    for (unsigned int i = 0; i < count; ++i) {
        MMobile::IMDCommon* item = getter->GetItem(i);
        if (item && !members.contains(item)) {
            members.insert(item);
            Join(item, groups, byKey);
        }
    }
    GroupGetter grouped(groups);
    TaskItem::SetDatas(getter ? &grouped : nullptr);
    m_groups = std::move(groups);
    m_byKey = std::move(byKey);
    m_members = std::move(members);
}

void ConversationStore::AddData(MMobile::IMDCommon* item, int index)
{
    if (!item || m_members.contains(item))
        return;
    m_members.insert(item);
    if (!Join(item, m_groups, m_byKey))
        TaskItem::AddData(m_groups.back().get(), index);
}

void ConversationStore::ClearData()
{
    TaskItem::ClearData();
    m_byKey.clear();
    m_members.clear();
    m_groups.clear();
}
