#ifndef VOICEMEMOREADER_H
#define VOICEMEMOREADER_H

#include "readercontext.h"

// Reads the voice memos whose recordings the backup holds, by date:
// CloudRecordings.db (ZCLOUDRECORDING, iOS 14 on) or Recordings.db
// (ZRECORDING); without either, the recording files the backup lists. The
// context is borrowed.
class VoiceMemoReader
{
public:
    explicit VoiceMemoReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items);

private:
    bool ReadFiles(ReaderContext::Items& items);

    ReaderContext& m_context;
};

#endif // VOICEMEMOREADER_H
