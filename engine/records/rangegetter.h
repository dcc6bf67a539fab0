#ifndef RANGEGETTER_H
#define RANGEGETTER_H

#include "contracts/imdgetter.h"

#include <memory>

class ItemGetter;

// A named data set that is a run of another getter's items, such as the
// records of one WeChat account within the category's list. Shares the
// owning getter, so the items live as long as either does.
class RangeGetter : public MMobile::IMDGetter
{
public:
    RangeGetter(std::shared_ptr<ItemGetter> items, unsigned int first, unsigned int count);
    virtual ~RangeGetter();

    unsigned int GetCount() override;
    MMobile::IMDCommon* GetItem(unsigned int index) override;
    unsigned int First() const { return m_first; }

private:
    std::shared_ptr<ItemGetter> m_items;
    unsigned int m_first;
    unsigned int m_count;
};

#endif // RANGEGETTER_H
