#ifndef PHONELISTWIDGET_H
#define PHONELISTWIDGET_H

#include "phoneinfo.h"

#include <QByteArray>
#include <QSet>
#include <QWidget>

class PhonePairingTask;
class PhoneWatcher;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The phones on the cable, above the host's backups: name, model, iOS version
// and whether each trusts this computer, following usbmuxd's plug events.
// Activating a phone pairs it when needed, saying "Trust This Computer?" is
// showing on the phone while it waits; a refusal or a timeout is said in a
// sentence with a Try Again button. A trusted phone is handed on with
// phoneOpened(). Owns its watcher and pairing task.
class PhoneListWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PhoneListWidget(QWidget* parent = nullptr);
    ~PhoneListWidget() override;

    // Starts listening to usbmuxd.
    bool Start();
    QList<PhoneInfo> Phones() const;
    // Marks a phone as a stand-in (the fake phone of tests and tours).
    void SetTestPhone(const QByteArray& udid);
    // Pairs (if needed) and opens the phone.
    void Open(const QByteArray& udid);
    void SetPairingTimeout(int ms) { m_pairingTimeoutMs = ms; }
    QString StateText() const;
    // What the phone being opened waits for (a PhonePairer::Waiting), -1
    // when it waits for nothing: the state without its wording.
    int Waiting() const { return m_waiting; }
    QListWidget* List() const { return m_pList; }

signals:
    void phoneOpened(const PhoneInfo& phone);
    void phonesChanged();

private:
    void Rebuild();
    void OnWaiting(int kind);
    void OnPaired(int result, const QString& sentence);
    void SetState(const QString& text, bool retry);

    PhoneWatcher* m_watcher;
    PhonePairingTask* m_pairing;
    QListWidget* m_pList;
    QLabel* m_pState;
    QPushButton* m_pRetry;
    QSet<QByteArray> m_testPhones;
    QByteArray m_opening;
    int m_pairingTimeoutMs = 120000;
    int m_waiting = -1;
};

#endif // PHONELISTWIDGET_H
