#ifndef PHONEINFO_H
#define PHONEINFO_H

#include <QByteArray>
#include <QMetaType>
#include <QString>

// What the host shows of a connected phone before it is opened. A plain value.
struct PhoneInfo
{
    QByteArray udid;
    QString name;           // DeviceName; empty until the phone trusts this computer
    QString productType;    // the model, e.g. iPhone12,1
    QString productVersion; // the iOS version
    bool trusted = false;   // a pairing record exists and the phone accepts it
    bool willEncrypt = false;

    // The name to show: the device name, else the model, else the UDID.
    QString ShownName() const;
};

Q_DECLARE_METATYPE(PhoneInfo)

#endif // PHONEINFO_H
