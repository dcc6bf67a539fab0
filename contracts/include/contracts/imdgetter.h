#ifndef MMOBILE_IMDGETTER_H
#define MMOBILE_IMDGETTER_H

// The engine's list of the items of one category (or of a named data set).
// During a scan the engine may grow it between reports; the library reads it
// only while the engine waits for the hand-over to finish.

namespace MMobile {

class IMDCommon;

class IMDGetter
{
public:
    virtual unsigned int GetCount() = 0;
    // Item `index`, or null when index is not below GetCount().
    virtual IMDCommon* GetItem(unsigned int index) = 0;

protected:
    ~IMDGetter() = default;
};

} // namespace MMobile

#endif // MMOBILE_IMDGETTER_H
