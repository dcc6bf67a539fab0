#ifndef HEIFHANDLER_H
#define HEIFHANDLER_H

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>

// Reads the primary picture of a HEIC/HEIF file through libheif, with the
// file's rotation and mirroring applied. The whole file is read from the
// device on first use and decoded once; damaged or foreign data gives a false
// read() and a null picture.
class HeifHandler : public QImageIOHandler
{
public:
    bool canRead() const override;
    bool read(QImage* image) override;
    bool supportsOption(ImageOption option) const override;
    QVariant option(ImageOption option) const override;

    // Whether the device's next bytes start a HEIF file; the device stays put.
    static bool canRead(QIODevice* device);

private:
    bool load();

    enum class State { Unread, Read, Failed };
    State m_state = State::Unread;
    QImage m_image;
};

#endif // HEIFHANDLER_H
