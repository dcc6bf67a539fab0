#include "messageentryrecord.h"

#include <QByteArray>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

MessageEntryRecord::MessageEntryRecord(bool sent) : m_sent(sent) {}
MessageEntryRecord::~MessageEntryRecord() = default;

void* MessageEntryRecord::operator new(std::size_t size)
{
    return operator new (size, Trailing{0});
}

void* MessageEntryRecord::operator new(std::size_t size, Trailing trailing)
{
    if (void* memory = std::malloc(size + trailing.bytes))
        return memory;
    throw std::bad_alloc();
}

void MessageEntryRecord::operator delete(void* memory)
{
    std::free(memory);
}

void MessageEntryRecord::operator delete(void* memory, Trailing)
{
    std::free(memory);
}

std::unique_ptr<MessageEntryRecord> MessageEntryRecord::Make(bool sent, TextPiece text,
                                                             TextPiece sender, TextPiece date)
{
    TextPiece pieces[FieldCount] = {text, sender, date};
    const int bytes = BlockSize(pieces);
    std::unique_ptr<MessageEntryRecord> entry(new (Trailing{std::size_t(bytes)})
                                                  MessageEntryRecord(sent));
    char* block = reinterpret_cast<char*>(entry.get()) + sizeof(MessageEntryRecord);
    entry->WriteBlock(pieces, block);
    return entry;
}

void MessageEntryRecord::SetTexts(TextPiece text, TextPiece sender, TextPiece date)
{
    TextPiece pieces[FieldCount] = {text, sender, date};
    QByteArray block(BlockSize(pieces), Qt::Uninitialized);
    WriteBlock(pieces, block.data());
    m_own = std::move(block);
}

int MessageEntryRecord::BlockSize(TextPiece (&pieces)[FieldCount])
{
    // The text alone may be long (a hostile database's, up to SQLite's
    // limit): it is cut rather than the block's size wrapping.
    qint64 others = 0;
    for (int field = Sender; field < FieldCount; ++field)
        others += qMax(0, pieces[field].size) + 1;
    pieces[Text].size = int(std::clamp<qint64>(pieces[Text].size, 0, qint64(INT_MAX / 2) - others));
    return int(pieces[Text].size + 1 + others);
}

void MessageEntryRecord::WriteBlock(const TextPiece (&pieces)[FieldCount], char* block)
{
    char* out = block;
    m_absent = 0;
    for (int field = 0; field < FieldCount; ++field) {
        const TextPiece& piece = pieces[field];
        m_starts[field] = int(out - block);
        if (piece.IsNull())
            m_absent |= quint8(1 << field);
        if (piece.size > 0) {
            std::memcpy(out, piece.data, size_t(piece.size));
            out += piece.size;
        }
        *out++ = '\0';
    }
    m_texts = block;
}

const char* MessageEntryRecord::Get(int field) const
{
    if (!m_texts || field < 0 || field >= FieldCount || (m_absent & (1 << field)))
        return nullptr;
    return m_texts + m_starts[field];
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
