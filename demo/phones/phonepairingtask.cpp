#include "phonepairingtask.h"

#include "phonepairer.h"

#include <QMetaObject>

PhonePairingTask::PhonePairingTask(QObject* parent) : QObject(parent) {}

PhonePairingTask::~PhonePairingTask()
{
    Stop();
}

void PhonePairingTask::Stop()
{
    m_cancel.store(true);
    if (m_thread.joinable())
        m_thread.join();
    m_running = false;
}

bool PhonePairingTask::Start(const QByteArray& udid, int timeoutMs)
{
    if (m_running)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_cancel.store(false);
    m_running = true;
    // The worker posts to this object; the destructor joins it first, so
    // `this` outlives every post.
    m_thread = std::thread([this, udid, timeoutMs]() {
        PhonePairer pairer(udid);
        const PhonePairer::Result result =
            pairer.Run(timeoutMs, m_cancel, [this](PhonePairer::Waiting kind) {
                QMetaObject::invokeMethod(
                    this, [this, kind]() { emit waiting(int(kind)); }, Qt::QueuedConnection);
            });
        if (result == PhonePairer::CANCELLED)
            return;
        const QString detail = pairer.ErrorText();
        QMetaObject::invokeMethod(
            this,
            [this, result, detail]() {
                m_running = false;
                QString sentence = Sentence(int(result));
                if (result == PhonePairer::FAILED && !detail.isEmpty())
                    sentence += QLatin1Char(' ') + detail;
                emit finished(int(result), sentence);
            },
            Qt::QueuedConnection);
    });
    return true;
}

QString PhonePairingTask::Sentence(int result)
{
    switch (result) {
    case PhonePairer::PAIRED:
        return tr("The phone trusts this computer.");
    case PhonePairer::REFUSED:
        return tr("The phone answered \"Don't Trust\". To try again, unplug it, plug it back in "
                  "and choose \"Trust\" this time.");
    case PhonePairer::TIMED_OUT:
        return tr("Nobody answered \"Trust This Computer?\" on the phone in time.");
    case PhonePairer::FAILED:
        return tr("The phone could not be paired.");
    default:
        return QString();
    }
}
