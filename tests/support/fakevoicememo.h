#ifndef FAKEVOICEMEMO_H
#define FAKEVOICEMEMO_H

#include "faketext.h"

#include "contracts/ivoicememo.h"

#include <QPair>
#include <QVector>

#include <atomic>
#include <cstdint>
#include <map>

// The record of a voice-memo item, wrapped in a FakeItem to put it in a
// getter. Text properties are kept per key (VOICE_PROP_THUMBNAIL_PATH is the
// grid's picture); unset keys answer null. The page's property writes and drop
// marks are kept for the test to read.
//
// Texts are read and written on the GUI thread; a returned text stays valid
// until that text is set again. The drop mark is atomic.
class FakeVoiceMemo : public MMobile::IVoiceMemo
{
public:
    void SetDropMark(bool drop) override { m_dropMark = drop; }
    const char* GetDisplayText() override { return m_displayText.get(); }
    std::uint64_t GetTime() override { return m_time; }
    const char* GetTextProperty(int key) override
    {
        auto it = m_properties.find(key);
        return it == m_properties.end() ? nullptr : it->second.get();
    }
    void SetTextProperty(int key, const char* value) override
    {
        m_properties[key] = FakeText(value);
        m_writes.append(qMakePair(key, value ? QByteArray(value) : QByteArray()));
    }

    void setDisplayText(const FakeText& text) { m_displayText = text; }
    void setTime(std::uint64_t secondsSinceEpoch) { m_time = secondsSinceEpoch; }

    // Every SetTextProperty() call in order (a null value as a null array).
    QVector<QPair<int, QByteArray>> propertyWrites() const { return m_writes; }
    bool dropMark() const { return m_dropMark; }

private:
    FakeText m_displayText;
    std::uint64_t m_time = 0;
    std::map<int, FakeText> m_properties;
    QVector<QPair<int, QByteArray>> m_writes;
    std::atomic<bool> m_dropMark{false};
};

#endif // FAKEVOICEMEMO_H
