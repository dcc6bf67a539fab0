#ifndef PHONEPAIRINGTASK_H
#define PHONEPAIRINGTASK_H

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

// Asks a phone to trust this computer on a worker thread and reports on the
// GUI thread: waiting() while the phone shows its prompt (or must be
// unlocked first), then finished() with a PhonePairer::Result and a sentence
// for the user. Stopping is immediate for the GUI; the destructor stops and
// joins the worker (within half a second).
class PhonePairingTask : public QObject
{
    Q_OBJECT

public:
    explicit PhonePairingTask(QObject* parent = nullptr);
    ~PhonePairingTask() override;

    // False while a pairing runs.
    bool Start(const QByteArray& udid, int timeoutMs);
    bool IsRunning() const { return m_running; }
    void Stop();

    // The sentence the host shows for a result of PhonePairer.
    static QString Sentence(int result);

signals:
    void waiting(int kind); // a PhonePairer::Waiting
    void finished(int result, const QString& sentence);

private:
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
};

#endif // PHONEPAIRINGTASK_H
