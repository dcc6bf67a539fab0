#ifndef ENGINEITEM_H
#define ENGINEITEM_H

#include "contracts/imdcommon.h"
#include "enginerecord.h"

#include <QByteArray>

#include <memory>

// One item found by a scan: its record, its deleted flag and its drop mark.
// Owned by the ItemGetter of the scan, which the device keeps until it goes.
class EngineItem : public MMobile::IMDCommon
{
public:
    EngineItem(std::unique_ptr<EngineRecord> record, bool deleted);
    virtual ~EngineItem();

    MMobile::IMDRecord* GetRecord() override;
    bool IsDeleted() override;
    void SetDropMark(bool drop) override;

    bool IsDropped() const;
    EngineRecord* Engine() const { return m_record.get(); }
    // Where a deleted item was found: the part of the database it was carved
    // from, or the phone's own mark; empty for live items.
    const QByteArray& Source() const { return m_source; }
    void SetDeleted(const QByteArray& source);

private:
    std::unique_ptr<EngineRecord> m_record;
    bool m_deleted;
    QByteArray m_source;
};

#endif // ENGINEITEM_H
