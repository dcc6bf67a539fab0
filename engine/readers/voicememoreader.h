#ifndef VOICEMEMOREADER_H
#define VOICEMEMOREADER_H

#include "readercontext.h"

// Reads the voice memos of Recordings.db (ZRECORDING) whose recordings the
// backup holds, by date. The context is borrowed.
class VoiceMemoReader
{
public:
    explicit VoiceMemoReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items);

private:
    ReaderContext& m_context;
};

#endif // VOICEMEMOREADER_H
