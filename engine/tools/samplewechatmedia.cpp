#include "samplewechatmedia.h"

#include "samplepictures.h"

SampleWeChatMedia::Message SampleWeChatMedia::Picture(int index, bool sent)
{
    const QByteArray thumbnail = SamplePictures::Picture(980 + index, "JPEG");
    const QByteArray picture = SamplePictures::Picture(900 + index, "JPEG");
    Message plan{3,
                 QString(),
                 QStringLiteral("[Picture]"),
                 sent,
                 picture,
                 QStringLiteral("Img"),
                 QStringLiteral("pic"),
                 {},
                 {{QStringLiteral(".pic_thum"), thumbnail}}};
    if (index % 3 == 2) {
        plan.media = SamplePictures::Picture(940 + index, "JPEG");
        plan.extension = QStringLiteral("pic_hd");
        plan.others.emplace_back(QStringLiteral(".pic"), picture);
    } else if (index % 3 == 0) {
        plan.media = thumbnail;
        plan.extension = QStringLiteral("pic_thum");
        plan.others.clear();
    }
    plan.stored = QStringLiteral("<msg><img length=\"%1\" hdlength=\"%2\"/></msg>")
                      .arg(picture.size())
                      .arg(index % 3 == 2 ? plan.media.size() : 0);
    return plan;
}

SampleWeChatMedia::Message SampleWeChatMedia::Video(const QByteArray& video, int index, bool sent,
                                                    bool notDownloaded)
{
    const QByteArray thumbnail = SamplePictures::Picture(960 + index, "JPEG");
    Message plan{
        43,
        QStringLiteral("<msg><videomsg length=\"%1\" playlength=\"12\"/></msg>").arg(video.size()),
        QStringLiteral("[Video 0:12]"),
        sent,
        video,
        QStringLiteral("Video"),
        QStringLiteral("mp4"),
        {},
        {{QStringLiteral(".video_thum"), thumbnail}}};
    if (sent)
        plan.others.emplace_back(QStringLiteral("_raw.mp4"), video + QByteArray("original"));
    if (notDownloaded) {
        plan.media = thumbnail;
        plan.extension = QStringLiteral("video_thum");
        plan.others.clear();
    }
    return plan;
}
