#include "heifplugin.h"

#include "heifhandler.h"

QImageIOPlugin::Capabilities HeifPlugin::capabilities(QIODevice* device,
                                                      const QByteArray& format) const
{
    const QByteArray name = format.toLower();
    if (name == "heic" || name == "heif")
        return CanRead;
    if (!format.isEmpty() || !device || !device->isOpen())
        return {};
    return HeifHandler::canRead(device) ? CanRead : Capabilities();
}

QImageIOHandler* HeifPlugin::create(QIODevice* device, const QByteArray& format) const
{
    QImageIOHandler* handler = new HeifHandler;
    handler->setDevice(device);
    handler->setFormat(format.isEmpty() ? QByteArray("heic") : format);
    return handler;
}
