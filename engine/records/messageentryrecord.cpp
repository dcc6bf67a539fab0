#include "messageentryrecord.h"

#include <QByteArray>

#include <algorithm>
#include <iterator>

MessageEntryRecord::MessageEntryRecord(bool sent) : m_text(FieldCount), m_sent(sent) {}
MessageEntryRecord::~MessageEntryRecord() = default;

const char* MessageEntryRecord::GetText()
{
    return m_text.Get(Text);
}
const char* MessageEntryRecord::GetSender()
{
    return m_text.Get(Sender);
}
const char* MessageEntryRecord::GetDate()
{
    return m_text.Get(Date);
}
bool MessageEntryRecord::IsSent()
{
    return m_sent;
}

bool MessageEntryRecord::IsDeleted()
{
    return !m_source.isEmpty();
}

const char* MessageEntryRecord::GetFoundIn()
{
    return m_source.isEmpty() ? nullptr : m_source.constData();
}

void MergeEntries(MessageEntries& into, MessageEntries& from)
{
    const auto middle = into.size();
    into.insert(into.end(), std::make_move_iterator(from.begin()),
                std::make_move_iterator(from.end()));
    from.clear();
    std::inplace_merge(into.begin(), into.begin() + std::ptrdiff_t(middle), into.end(),
                       [](const std::unique_ptr<MessageEntryRecord>& a,
                          const std::unique_ptr<MessageEntryRecord>& b) {
                           return qstrcmp(a->GetDate(), b->GetDate()) < 0;
                       });
}
