#ifndef SAMPLEWECHATMEDIA_H
#define SAMPLEWECHATMEDIA_H

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

// The messages of a WeChat chat as the sample writer plans them, and the
// media ones in the copies the app keeps of them. Stateless.
class SampleWeChatMedia
{
public:
    // One message: its stored type and text, the summary a reader shows,
    // and its media file (the folder under the account and the extension).
    struct Message
    {
        int type;
        QString stored, summary;
        bool sent;
        QByteArray media; // the best copy, the one a reader takes
        QString folder, extension, name;
        // Other copies of the same media by the suffix of their names: a
        // picture's thumbnail and HD copy, a video's thumbnail and original.
        std::vector<std::pair<QString, QByteArray>> others;
    };

    // Pictures come in three states: opened (.pic and its thumbnail),
    // opened in full size too (.pic_hd beside them) and never opened (the
    // thumbnail alone, .pic_thum).
    static Message Picture(int index, bool sent);
    // A video with its thumbnail (.video_thum); one the account sent keeps
    // its original (_raw.mp4); one never downloaded has the thumbnail alone.
    static Message Video(const QByteArray& video, int index, bool sent, bool notDownloaded);
};

#endif // SAMPLEWECHATMEDIA_H
