#ifndef STORETHUMBNAILER_H
#define STORETHUMBNAILER_H

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QImage;

namespace MMobile {
class IPhoto;
} // namespace MMobile

// Makes the thumbnails that a photo store must make itself (pictures the
// engine gave no thumbnail) off the GUI thread: one task at a time on Qt's
// global pool decodes and writes them in the order they were asked for, and
// each result comes back through this object's thread's event loop, where the
// photo's thumbnail path is set (the engine's items are touched on that thread
// only). Forget() drops every result not yet handed back, so a store that is
// emptied meanwhile never sees a thumbnail of a photo it no longer holds.
//
// Owned by its store; lives on the store's (GUI) thread. Work in flight when
// it goes finishes writing its file and is then dropped.
class StoreThumbnailer : public QObject
{
    Q_OBJECT
public:
    explicit StoreThumbnailer(QObject* parent = nullptr);
    ~StoreThumbnailer() override;

    // Queues the thumbnail of `photo`: `picture` fitted into 113 x 96 and
    // saved as `target` (in `format`, or JPEG when empty); the photo gets
    // `target`, or `fallback` when the picture cannot be read or saved.
    void Submit(MMobile::IPhoto* photo, const QString& picture, const QString& target,
                const QByteArray& format, const QString& fallback);
    // Drops every queued and unreturned result.
    void Forget();
    // Thumbnails asked for and not yet handed back.
    int Pending() const;
    // Called on this object's thread after each batch of handed-back thumbnails.
    void SetListener(std::function<void()> listener);

    // The work of one thumbnail, on the calling thread: true when saved.
    static bool MakeThumbnail(const QString& picture, const QString& target,
                              const QByteArray& format);
    // The picture fitted into the thumbnail box with a smooth scale.
    static QImage ReadFittedImage(const QString& path);

private slots:
    // Takes back the results gathered so far (queued from the worker).
    void Deliver();

private:
    struct Shared;

    std::shared_ptr<Shared> m_shared;
    std::function<void()> m_listener;
    int m_pending = 0;
};

#endif // STORETHUMBNAILER_H
