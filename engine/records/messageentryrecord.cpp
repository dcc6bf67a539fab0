#include "messageentryrecord.h"

#include <QByteArray>

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>

MessageEntryRecord::MessageEntryRecord(bool sent) : m_sent(sent) {}
MessageEntryRecord::~MessageEntryRecord() = default;

void MessageEntryRecord::SetTexts(TextPiece text, TextPiece sender, TextPiece date)
{
    TextPiece pieces[FieldCount] = {text, sender, date};
    // The text alone may be long (a hostile database's up to SQLite's limit);
    // it is cut rather than the block's size wrapping.
    qint64 others = 0;
    for (int field = Sender; field < FieldCount; ++field)
        others += qMax(0, pieces[field].size) + 1;
    pieces[Text].size = int(qBound<qint64>(0, pieces[Text].size, INT_MAX / 2 - others));
    qint64 total = qint64(pieces[Text].size) + 1 + others;
    // QByteArray ends its bytes with a 0 of its own: the last field's.
    QByteArray block(int(total - 1), Qt::Uninitialized);
    char* out = block.data();
    m_absent = 0;
    for (int field = 0; field < FieldCount; ++field) {
        const TextPiece& piece = pieces[field];
        m_starts[field] = int(out - block.constData());
        if (piece.IsNull())
            m_absent |= quint8(1 << field);
        if (piece.size > 0) {
            std::memcpy(out, piece.data, size_t(piece.size));
            out += piece.size;
        }
        if (field + 1 < FieldCount)
            *out++ = '\0';
    }
    m_texts = std::move(block);
}

const char* MessageEntryRecord::Get(int field) const
{
    if (field < 0 || field >= FieldCount || (m_absent & (1 << field)))
        return nullptr;
    return m_texts.constData() + m_starts[field];
}

const char* MessageEntryRecord::GetText()
{
    return Get(Text);
}
const char* MessageEntryRecord::GetSender()
{
    return Get(Sender);
}
const char* MessageEntryRecord::GetDate()
{
    return Get(Date);
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
