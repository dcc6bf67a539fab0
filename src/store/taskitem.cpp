#include "store/taskitem.h"

#include "contracts/imdcommon.h"
#include "contracts/imdgetter.h"
#include "store/itemreaders.h"

namespace {

const char* const kStoreNames[] = {
    "Photo",    // 0
    "Contacts", // 1
    "Message Attachments",
    "Messages",
    "Call History",
    "Calendar",
    "Notes Attachments",
    "Notes",
    "Voice Memos",
    "Safari Bookmark",
    "WhatsApp Message Attachments",
    "WhatsApp Messages",
    "WeChat Contacts",
    "WeChat Attachments",
    "WeChat Messages", // 14
    "Reminders",       // 15
};

} // namespace

TaskItem::TaskItem(MMobile::MDType type)
    : m_type(type), m_name(NameOfType(type)), m_bOnlyDeleteSelected(false), m_checkedCount(0)
{
}

TaskItem::TaskItem(const TaskItem& other) = default;
TaskItem& TaskItem::operator=(const TaskItem& other) = default;

TaskItem::~TaskItem()
{
    TaskItem::ClearData();
}

QString TaskItem::NameOfType(MMobile::MDType type)
{
    const int value = static_cast<int>(type);
    if (value == MMobile::MD_REMINDER)
        return QStringLiteral("Reminders");
    const int count = int(sizeof(kStoreNames) / sizeof(kStoreNames[0]));
    if (value < 0 || value >= count)
        return QString();
    return QString::fromLatin1(kStoreNames[value]);
}

int TaskItem::Slot(unsigned int index) const
{
    return m_items.size() - 1 - int(index);
}

bool TaskItem::IsDeletedAt(int slot) const
{
    MMobile::IMDCommon* item = m_items.at(slot);
    return item && item->IsDeleted();
}

bool TaskItem::PassesFilterAt(int slot) const
{
    return !m_bOnlyDeleteSelected || IsDeletedAt(slot);
}

Qt::CheckState TaskItem::InitialState(MMobile::IMDCommon* item) const
{
    if (m_type == MMobile::MD_CONTACT || m_type == MMobile::MD_NOTE)
        return (item && item->IsDeleted()) ? Qt::Checked : Qt::Unchecked;
    return Qt::Checked;
}

// Appending to the reversed lists puts the item at store position 0.
void TaskItem::Append(MMobile::IMDCommon* item)
{
    const Qt::CheckState state = InitialState(item);
    m_items.append(item);
    m_searchMarks.append(true);
    m_checkStates.append(state);
    if (state == Qt::Checked)
        ++m_checkedCount;
}

void TaskItem::SetDatas(MMobile::IMDGetter* getter)
{
    ClearData();
    if (!getter)
        return;
    const unsigned int count = getter->GetCount();
    if (count == 0)
        return;
    m_items.resize(int(count));
    m_checkStates.resize(int(count));
    m_searchMarks.fill(true, int(count));
    // The getter's first item is store position 0, the last slot of each list.
    for (unsigned int i = 0; i < count; ++i) {
        MMobile::IMDCommon* item = getter->GetItem(i);
        const int slot = int(count - 1 - i);
        const Qt::CheckState state = InitialState(item);
        m_items[slot] = item;
        m_checkStates[slot] = state;
        if (state == Qt::Checked)
            ++m_checkedCount;
    }
}

void TaskItem::AddData(MMobile::IMDCommon* item, int)
{
    if (!item)
        return;
    Append(item);
}

unsigned int TaskItem::GetDataCount(bool onlyDeleted) const
{
    unsigned int count = 0;
    for (int slot = 0; slot < m_items.size(); ++slot) {
        if (m_searchMarks.at(slot) && (!onlyDeleted || IsDeletedAt(slot)))
            ++count;
    }
    return count;
}

unsigned int TaskItem::GetDataCountEx() const
{
    return unsigned(m_items.size());
}

MMobile::IMDCommon* TaskItem::GetData(unsigned int index) const
{
    if (index >= unsigned(m_items.size()))
        return nullptr;
    return m_items.at(Slot(index));
}

void TaskItem::ClearData()
{
    // The items may go with their data source once the store lets go of them.
    ItemReaders::StopReaders(this);
    m_items.clear();
    m_checkStates.clear();
    m_searchMarks.clear();
    m_checkedCount = 0;
    m_bOnlyDeleteSelected = false;
}

unsigned int TaskItem::GetCheckedDataIndexs()
{
    std::vector<unsigned int> indexs;
    return GetCheckedDataIndexs(indexs, false);
}

unsigned int TaskItem::GetCheckedDataIndexs(std::vector<unsigned int>& indexs, bool all)
{
    const unsigned int count = unsigned(m_items.size());
    unsigned int appended = 0;
    indexs.reserve(indexs.size() + (all ? count : 0));
    for (unsigned int i = 0; i < count; ++i) {
        const int slot = Slot(i);
        MMobile::IMDCommon* item = m_items.at(slot);
        const bool selected = all || (m_searchMarks.at(slot) && PassesFilterAt(slot) &&
                                      m_checkStates.at(slot) == Qt::Checked);
        if (item)
            item->SetDropMark(!selected);
        if (selected) {
            indexs.push_back(i);
            ++appended;
        }
    }
    return appended;
}

bool TaskItem::GetCheckedDataIndexs(int hint, MMobile::IMDCommon* item) const
{
    const int count = m_items.size();
    int slot = -1;
    if (hint >= 0 && hint < count && m_items.at(Slot(unsigned(hint))) == item) {
        slot = Slot(unsigned(hint));
    } else {
        // Store position 0 is the last slot: search from the back.
        for (int s = count - 1; s >= 0; --s) {
            if (m_items.at(s) == item) {
                slot = s;
                break;
            }
        }
    }
    if (slot < 0)
        return false;
    return m_searchMarks.at(slot) && PassesFilterAt(slot) && m_checkStates.at(slot) == Qt::Checked;
}

Qt::CheckState TaskItem::GetCheckState(unsigned int index) const
{
    if (index >= unsigned(m_checkStates.size()))
        return Qt::Unchecked;
    return m_checkStates.at(Slot(index));
}

Qt::CheckState TaskItem::SetChecked(unsigned int index, Qt::CheckState state)
{
    if (index < unsigned(m_checkStates.size())) {
        const int slot = Slot(index);
        if (m_searchMarks.at(slot)) {
            const Qt::CheckState old = m_checkStates.at(slot);
            const bool counts = PassesFilterAt(slot);
            if (state == Qt::Checked && old != Qt::Checked) {
                if (counts)
                    ++m_checkedCount;
            } else if (state == Qt::Unchecked && old != Qt::Unchecked) {
                // A count that is already 0 stays 0 rather than wrapping.
                if (counts && m_checkedCount > 0)
                    --m_checkedCount;
            }
            m_checkStates[slot] = state;
        }
    }
    if (m_checkedCount == 0)
        return Qt::Unchecked;
    if (m_checkedCount == GetDataCount(false) ||
        m_checkedCount == GetDataCount(m_bOnlyDeleteSelected))
        return Qt::Checked;
    return Qt::PartiallyChecked;
}

void TaskItem::SetCheckAllState(Qt::CheckState state)
{
    for (int slot = 0; slot < m_checkStates.size(); ++slot) {
        if (!PassesFilterAt(slot) || !m_searchMarks.at(slot))
            continue;
        m_checkStates[slot] = state;
    }
    if (state == Qt::Checked)
        m_checkedCount = GetDataCount(m_bOnlyDeleteSelected);
    else if (state == Qt::Unchecked)
        m_checkedCount = 0;
}

void TaskItem::SetSearchMark(unsigned int index, bool mark)
{
    if (index >= unsigned(m_searchMarks.size()))
        return;
    m_searchMarks[Slot(index)] = mark;
}

bool TaskItem::GetSearchMark(unsigned int index) const
{
    if (index >= unsigned(m_searchMarks.size()))
        return true;
    return m_searchMarks.at(Slot(index));
}

void TaskItem::UpdateCheckedCountBySearch()
{
    quint32 count = 0;
    for (int slot = 0; slot < m_items.size(); ++slot) {
        if (!PassesFilterAt(slot))
            continue;
        if (m_searchMarks.at(slot) && m_checkStates.at(slot) == Qt::Checked)
            ++count;
    }
    m_checkedCount = count;
}

bool TaskItem::CheckIdxHide(unsigned int index) const
{
    if (index >= unsigned(m_searchMarks.size()) || index >= unsigned(m_items.size()))
        return true;
    const int slot = Slot(index);
    return !m_searchMarks.at(slot) || !PassesFilterAt(slot);
}

unsigned int TaskItem::GetDefaultIdx() const
{
    const unsigned int count = unsigned(m_items.size());
    for (unsigned int i = 0; i < count; ++i) {
        const int slot = Slot(i);
        if (PassesFilterAt(slot) && m_searchMarks.at(slot))
            return i;
    }
    return 0xFFFFFFFFu;
}

unsigned int TaskItem::GetShowItemIdx(unsigned int* indexs, unsigned int max) const
{
    if (!indexs)
        return 0;
    const unsigned int count = unsigned(m_items.size());
    unsigned int written = 0;
    for (unsigned int i = 0; i < count && written < max; ++i) {
        if (PassesFilterAt(Slot(i)))
            indexs[written++] = i;
    }
    return written;
}

MMobile::MDType TaskItem::GetType() const
{
    return m_type;
}

QString TaskItem::GetName() const
{
    return m_name;
}

unsigned int TaskItem::GetCheckedCount() const
{
    return m_checkedCount;
}

bool TaskItem::GetOnlyDeleteSelected() const
{
    return m_bOnlyDeleteSelected;
}

void TaskItem::SetOnlyDeleteSelected(bool onlyDeleted)
{
    m_bOnlyDeleteSelected = onlyDeleted;
    UpdateCheckedCountBySearch();
}

void TaskItem::SetCheckedCount(unsigned int count)
{
    m_checkedCount = count;
}
