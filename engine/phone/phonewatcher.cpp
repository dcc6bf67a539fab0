#include "phonewatcher.h"

#include "phoneconnection.h"

#include <QMetaObject>

#include <usbmuxd.h>

// The C callback of libusbmuxd, turned into plain values.
struct PhoneWatcherEvents
{
    static void Callback(const usbmuxd_event_t* event, void* self)
    {
        if (!event)
            return;
        const QByteArray udid(event->device.udid,
                              int(qstrnlen(event->device.udid, sizeof(event->device.udid))));
        PhoneWatcher::OnEvent(event->event, event->device.handle, udid,
                              event->device.conn_type == CONNECTION_TYPE_USB, self);
    }
};

PhoneWatcher::PhoneWatcher(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<PhoneInfo>();
    m_readers.setMaxThreadCount(2);
}

PhoneWatcher::~PhoneWatcher()
{
    // No event arrives after this; the readers' results go nowhere.
    if (m_context)
        usbmuxd_events_unsubscribe(m_context);
    m_readers.waitForDone();
}

bool PhoneWatcher::Start()
{
    if (m_context)
        return true;
    return usbmuxd_events_subscribe(&m_context, &PhoneWatcherEvents::Callback, this) == 0;
}

void PhoneWatcher::OnEvent(int kind, quint32 handle, const QByteArray& udid, bool usb, void* self)
{
    auto* watcher = static_cast<PhoneWatcher*>(self);
    // Phones over the network are left out: a backup runs over the cable.
    if (kind == UE_DEVICE_ADD && usb && !udid.isEmpty())
        QMetaObject::invokeMethod(
            watcher, [watcher, handle, udid]() { watcher->Added(handle, udid); },
            Qt::QueuedConnection);
    else if (kind == UE_DEVICE_REMOVE)
        QMetaObject::invokeMethod(
            watcher, [watcher, handle]() { watcher->Removed(handle); }, Qt::QueuedConnection);
    else if (kind == UE_DEVICE_PAIRED && !udid.isEmpty())
        QMetaObject::invokeMethod(
            watcher, [watcher, udid]() { watcher->Refresh(udid); }, Qt::QueuedConnection);
}

void PhoneWatcher::Added(quint32 handle, const QByteArray& udid)
{
    m_handles.insert(handle, udid);
    bool known = false;
    for (const PhoneInfo& phone : qAsConst(m_phones))
        known = known || phone.udid == udid;
    if (!known) {
        PhoneInfo info;
        info.udid = udid;
        m_phones.append(info);
        emit phonesChanged();
    }
    Read(udid);
}

void PhoneWatcher::Removed(quint32 handle)
{
    const QByteArray udid = m_handles.take(handle);
    // The same phone may still be there under another id.
    if (udid.isEmpty() || m_handles.values().contains(udid))
        return;
    for (int i = 0; i < m_phones.size(); ++i) {
        if (m_phones.at(i).udid == udid) {
            m_phones.removeAt(i);
            emit phonesChanged();
            return;
        }
    }
}

void PhoneWatcher::Refresh(const QByteArray& udid)
{
    Read(udid);
}

void PhoneWatcher::Read(const QByteArray& udid)
{
    // The destructor waits for the readers, so `this` outlives them; a
    // result posted after the watcher went is dropped with its events.
    m_readers.start([this, udid]() {
        PhoneConnection phone(udid);
        // A session only with a record the phone already accepted: nothing
        // here may raise the trust prompt.
        if (phone.OpenSession() != LOCKDOWN_E_SUCCESS) {
            phone.Close();
            phone.OpenPlain();
        }
        const PhoneInfo info = phone.ReadInfo();
        QMetaObject::invokeMethod(
            this, [this, info]() { Store(info); }, Qt::QueuedConnection);
    });
}

void PhoneWatcher::Store(const PhoneInfo& info)
{
    for (PhoneInfo& phone : m_phones) {
        if (phone.udid == info.udid) {
            phone = info;
            emit phonesChanged();
            return;
        }
    }
    // Gone while it was read.
}

QList<PhoneInfo> PhoneWatcher::Phones() const
{
    return m_phones;
}
