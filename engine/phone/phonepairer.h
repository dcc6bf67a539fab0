#ifndef PHONEPAIRER_H
#define PHONEPAIRER_H

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

// Makes a phone trust this computer: asks it to pair and, while it shows
// "Trust This Computer?" (or waits to be unlocked first), asks again every
// two seconds until the user answers, the time runs out or the caller stops
// it. Blocking; run it on a worker thread. Holds nothing between runs.
class PhonePairer
{
public:
    enum Result {
        PAIRED,    // the phone trusts this computer (or already did)
        REFUSED,   // the user pressed "Don't Trust"
        TIMED_OUT, // nobody answered in time
        FAILED,    // the phone is gone or answered something else; see ErrorText()
        CANCELLED
    };
    enum Waiting {
        WAITING_FOR_TRUST, // the phone shows the trust prompt
        WAITING_FOR_UNLOCK // the phone must be unlocked before it can ask
    };
    using WaitingCallback = std::function<void(Waiting)>;

    explicit PhonePairer(const QByteArray& udid) : m_udid(udid) {}

    Result Run(int timeoutMs, const std::atomic<bool>& cancel, const WaitingCallback& waiting);
    QString ErrorText() const { return m_error; }

private:
    QByteArray m_udid;
    QString m_error;
};

#endif // PHONEPAIRER_H
