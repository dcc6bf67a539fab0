#include "phonesession.h"

#include "capturecode.h"
#include "synclock.h"

#include <QLoggingCategory>

#include <usbmuxd.h>

namespace {
Q_LOGGING_CATEGORY(lcSession, "mmobileengine.phone")
} // namespace

PhoneSession::PhoneSession(const QByteArray& udid, const std::atomic<bool>& cancel)
    : m_phone(udid), m_cancel(cancel)
{
}

PhoneSession::~PhoneSession() = default;

int PhoneSession::Fail(int code, const QString& reason)
{
    m_error = reason;
    return code;
}

int PhoneSession::Open(int pairingTimeoutMs, const PhonePairer::WaitingCallback& waiting)
{
    lockdownd_error_t error = m_phone.OpenPlain();
    if (error == LOCKDOWN_E_MUX_ERROR || m_phone.Udid().isEmpty())
        return Fail(
            CAPTURE_FAILED,
            QStringLiteral("no phone %1 is connected").arg(QString::fromLatin1(m_phone.Udid())));
    if (m_cancel.load())
        return CAPTURE_CANCELLED;
    error = m_phone.OpenSession();
    if (error == LOCKDOWN_E_MISSING_PAIR_RECORD || error == LOCKDOWN_E_INVALID_HOST_ID ||
        error == LOCKDOWN_E_PAIRING_FAILED) {
        PhonePairer pairer(m_phone.Udid());
        switch (pairer.Run(pairingTimeoutMs, m_cancel, waiting)) {
        case PhonePairer::PAIRED:
            break;
        case PhonePairer::CANCELLED:
            return CAPTURE_CANCELLED;
        default:
            return Fail(CAPTURE_NO_ACCESS, pairer.ErrorText());
        }
        m_phone.Close();
        error = m_phone.OpenSession();
    }
    if (error == LOCKDOWN_E_PASSWORD_PROTECTED)
        return Fail(CAPTURE_LOCKED, QStringLiteral("the phone is locked with its passcode"));
    if (error == LOCKDOWN_E_MUX_ERROR || error == LOCKDOWN_E_RECEIVE_TIMEOUT)
        return Fail(CAPTURE_FAILED,
                    QStringLiteral("the phone went away (lockdown error %1)").arg(int(error)));
    if (error != LOCKDOWN_E_SUCCESS)
        return Fail(
            CAPTURE_NO_ACCESS,
            QStringLiteral("the phone refused a session (lockdown error %1)").arg(int(error)));
    if (m_cancel.load())
        return CAPTURE_CANCELLED;

    m_lock = std::make_unique<SyncLock>(m_phone.Device());
    switch (m_lock->Acquire(m_cancel)) {
    case SyncLock::LOCKED:
        break;
    case SyncLock::BUSY:
        return Fail(CAPTURE_BUSY, m_lock->ErrorText());
    case SyncLock::CANCELLED:
        return CAPTURE_CANCELLED;
    case SyncLock::UNAVAILABLE:
        // The backup service keeps its own lock; go on without this one.
        qCInfo(lcSession).noquote() << "no sync lock:" << m_lock->ErrorText();
        break;
    }
    return CAPTURE_OK;
}

void PhoneSession::ReleaseLock()
{
    if (m_lock)
        m_lock->Release();
}

bool PhoneSession::PhonePresent() const
{
    usbmuxd_device_info_t device;
    return usbmuxd_get_device_by_udid(m_phone.Udid().constData(), &device) == 1;
}
