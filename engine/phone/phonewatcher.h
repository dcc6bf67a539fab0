#ifndef PHONEWATCHER_H
#define PHONEWATCHER_H

#include "phoneinfo.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QThreadPool>

struct usbmuxd_subscription_context;

// Keeps the list of phones on the cable, for a host's list of devices.
// usbmuxd tells of every phone plugged in or out (its event subscription, on
// libusbmuxd's own thread); each new phone's name, model and version are
// read on a worker thread; the list changes, and phonesChanged() is emitted,
// on the watcher's thread. Nothing polls; the GUI thread never waits for a
// phone. Reading a phone never asks it to trust this computer.
class PhoneWatcher : public QObject
{
    Q_OBJECT

public:
    explicit PhoneWatcher(QObject* parent = nullptr);
    ~PhoneWatcher() override;

    // Subscribes to usbmuxd's events (which list the phones already there).
    bool Start();
    // The phones connected now, in the order they came.
    QList<PhoneInfo> Phones() const;
    // Reads a phone again (after it was paired, say).
    void Refresh(const QByteArray& udid);

signals:
    void phonesChanged();

private:
    // Runs on libusbmuxd's thread: only hands the event over.
    static void OnEvent(int kind, quint32 handle, const QByteArray& udid, bool usb, void* self);
    friend struct PhoneWatcherEvents;
    void Added(quint32 handle, const QByteArray& udid);
    void Removed(quint32 handle);
    void Read(const QByteArray& udid);
    void Store(const PhoneInfo& info);

    usbmuxd_subscription_context* m_context = nullptr;
    QThreadPool m_readers;
    QMap<quint32, QByteArray> m_handles; // usbmuxd's device id -> UDID
    QList<PhoneInfo> m_phones;
};

#endif // PHONEWATCHER_H
