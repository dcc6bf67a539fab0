#ifndef ATTACHMENTMERGER_H
#define ATTACHMENTMERGER_H

#include "mediamerger.h"

class MessageMerger;

// Message attachments: the attachment row of sms.db, the file its filename
// names in the media domain (~/Library/SMS/Attachments/...), and a
// message_attachment_join row for each message it belongs to, that message
// added with its chat where the target lacks it (the thread then shows the
// file where it was sent) and marked as having attachments. An attachment
// the target has (same guid) is left out.
class AttachmentMerger : public MediaMerger
{
public:
    AttachmentMerger(ReaderContext& source, MergedManifest& out) : MediaMerger(source, out) {}
    bool Merge(MergeDatabase& db, Selection selection) override;

private:
    bool AddAttachment(MergeDatabase& db, qint64 attachment, MessageMerger& messages);
};

#endif // ATTACHMENTMERGER_H
