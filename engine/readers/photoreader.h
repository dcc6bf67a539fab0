#ifndef PHOTOREADER_H
#define PHOTOREADER_H

#include "readercontext.h"

// Reads the camera roll: the assets of Photos.sqlite (ZASSET, or
// ZGENERICASSET up to iOS 13) whose files the backup holds, by creation
// date; without a usable photo database, the files under Media/DCIM. The
// context is borrowed.
class PhotoReader
{
public:
    explicit PhotoReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items);

private:
    void ReadFiles(ReaderContext::Items& items);

    ReaderContext& m_context;
};

#endif // PHOTOREADER_H
