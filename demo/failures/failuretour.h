#ifndef FAILURETOUR_H
#define FAILURETOUR_H

#include <QObject>
#include <QString>
#include <QStringList>

class DemoHostWindow;

// The failure paths of the scripted tour, walked on copies of the open
// backup so the user's backup is never touched: a recovery into a folder
// that cannot be written (the host says where and why), a backup whose file
// index is cut short (refused with its reason), and a backup that is
// encrypted and locked (no page opens; the host offers to unlock it). Each
// leaves a screenshot of the host and the host's notice; afterwards the
// backup of the start is open again. The host is borrowed.
class FailureTour : public QObject
{
    Q_OBJECT

public:
    FailureTour(DemoHostWindow* host, const QString& screenshotFolder, int timeoutMs);

    // Walks the three paths; the notices and problems go into the lists.
    void Run(QStringList* notices, QStringList* screenshots, QStringList* errors);

private:
    void FailedRecovery();
    void DamagedBackup(const QString& original);
    void LockedBackup(const QString& original);
    // A copy of `original`'s property lists and index into `name`.
    QString CopyBackup(const QString& original, const QString& name);
    void Shot(const QString& name);
    // The host's notice, noted; an error when it does not hold `expected`.
    void Expect(const QString& step, const QString& expected);
    void AnswerDialogs();
    template <class Predicate> bool WaitFor(Predicate done, int timeoutMs);

    DemoHostWindow* m_host;
    QString m_folder;
    int m_timeoutMs;
    QString m_blockedFolder; // where the folder dialog is pointed
    QStringList* m_notices = nullptr;
    QStringList* m_screenshots = nullptr;
    QStringList* m_errors = nullptr;
};

#endif // FAILURETOUR_H
