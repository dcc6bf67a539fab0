#include "phonepairer.h"

#include "phoneconnection.h"

#include <QElapsedTimer>

#include <chrono>
#include <thread>

namespace {
// Each request makes new host keys (a second of CPU): ask again only every
// two seconds while the prompt is up.
constexpr int RetryMs = 2000;
constexpr int SliceMs = 50;
} // namespace

PhonePairer::Result PhonePairer::Run(int timeoutMs, const std::atomic<bool>& cancel,
                                     const WaitingCallback& waiting)
{
    QElapsedTimer clock;
    clock.start();
    int lastWaiting = -1;
    while (!cancel.load()) {
        lockdownd_error_t error;
        {
            PhoneConnection phone(m_udid);
            // A record the phone still accepts needs no new prompt.
            if (phone.HasPairRecord() && phone.OpenSession() == LOCKDOWN_E_SUCCESS)
                return PAIRED;
            phone.Close();
            error = phone.RequestPairing();
        }
        switch (error) {
        case LOCKDOWN_E_SUCCESS:
            return PAIRED;
        case LOCKDOWN_E_USER_DENIED_PAIRING:
            m_error = QStringLiteral("the phone refused to trust this computer");
            return REFUSED;
        case LOCKDOWN_E_PAIRING_DIALOG_RESPONSE_PENDING:
        case LOCKDOWN_E_PASSWORD_PROTECTED: {
            const int now =
                error == LOCKDOWN_E_PASSWORD_PROTECTED ? WAITING_FOR_UNLOCK : WAITING_FOR_TRUST;
            if (now != lastWaiting && waiting)
                waiting(static_cast<Waiting>(now));
            lastWaiting = now;
            break;
        }
        default:
            m_error = QStringLiteral("pairing failed (lockdown error %1)").arg(int(error));
            return FAILED;
        }
        for (int slept = 0; slept < RetryMs && !cancel.load(); slept += SliceMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(SliceMs));
        if (clock.elapsed() >= timeoutMs) {
            m_error = QStringLiteral("nobody answered the phone's trust prompt in time");
            return TIMED_OUT;
        }
    }
    return CANCELLED;
}
