#ifndef HEIFPLUGIN_H
#define HEIFPLUGIN_H

#include <QImageIOPlugin>

// Qt's entry point of the HEIC/HEIF reader: claims the "heic" and "heif"
// formats, and files whose content is HEIF whatever their name. Each handler
// it creates belongs to the QImageReader that asked for it.
class HeifPlugin : public QImageIOPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "heif.json")

public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override;
};

#endif // HEIFPLUGIN_H
