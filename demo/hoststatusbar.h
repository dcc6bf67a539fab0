#ifndef HOSTSTATUSBAR_H
#define HOSTSTATUSBAR_H

#include <QObject>
#include <QString>

class QLabel;
class QPushButton;
class QStatusBar;

// The host window's status bar: a status line that moves on with each
// notice, and beside it what should stay while it does: the last recovery
// to the computer (with a button that opens its folder) and the records the
// scans had to skip. The widgets belong to the status bar it fills.
class HostStatusBar : public QObject
{
    Q_OBJECT

public:
    explicit HostStatusBar(QStatusBar* bar);

    void SetText(const QString& text);
    QString Text() const;
    // The last recovery: `summary` stays, `details` is its tool tip; the
    // open button shows when `anyFile`.
    void SetRecovery(const QString& summary, const QString& details, bool anyFile);
    // Skipped records, `total` of them, one line per category in `lines`.
    void SetSkipped(int total, const QString& tip);
    // The skipped note; empty while there is none.
    QString SkippedText() const;

signals:
    void openRecoveredRequested();

private:
    QStatusBar* m_pBar;
    QLabel* m_pStatusLine;
    QLabel* m_pRecoveryLine;
    QPushButton* m_pOpenRecovered;
    QLabel* m_pSkippedLine;
};

#endif // HOSTSTATUSBAR_H
