#ifndef MODALDIALOGANSWERER_H
#define MODALDIALOGANSWERER_H

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

class QWidget;

// Answers the modal dialogs a test makes the code under test open, so that
// their exec() returns. Queue one Answer per expected dialog, in order, then
// run the code: a timer on the GUI thread polls
// QApplication::activeModalWidget(), notes what the dialog shows (class,
// title, and for the kit's MyMessageDailog its type, text and button texts) and
// carries out the next answer. An answer that cannot be carried out (no such
// button, a hidden or disabled one, a file answer to another dialog) is kept as
// an error and the dialog is rejected instead, so a test never hangs on it.
//
// Lives on the GUI thread; does not own the dialogs. Non-modal windows are
// left alone. For file choosers, make the code use
// QFileDialog::DontUseNativeDialog and answer with chooseFile().
class ModalDialogAnswerer : public QObject
{
    Q_OBJECT

public:
    struct Answer
    {
        enum Action { PressObjectName, Reject, ChooseFile };
        Action action = Reject;
        QString value; // object name or path

        static Answer pressButton(const QString& objectName)
        {
            return {PressObjectName, objectName};
        }
        static Answer reject() { return {}; }
        // A QFileDialog in directory mode: selects the folder `path` and accepts.
        static Answer chooseFile(const QString& path) { return {ChooseFile, path}; }
        // The buttons of MyMessageDailog.
        static Answer ok() { return pressButton(QStringLiteral("btnOk")); }
        static Answer cancel() { return pressButton(QStringLiteral("btnCancel")); }
    };

    // What one dialog showed and what was done to it.
    struct Seen
    {
        QString className;
        QString windowTitle;
        bool isMessageDialog = false; // a MyMessageDailog
        QString messageText;          // MyMessageDailog only
        // A MyMessageDailog at once: "<type> [<ok>|<cancel, empty when hidden>] <text>".
        QString message;
        QString done;  // "press:<button text>", "reject", "choose:<path>"
        QString error; // why the answer could not be carried out, or empty
    };

    explicit ModalDialogAnswerer(QObject* parent = nullptr);
    ~ModalDialogAnswerer() override;

    void answer(const Answer& next) { answer(QVector<Answer>{next}); }
    void answer(const QVector<Answer>& next);
    // Never answers modal windows of this class (for instance a progress
    // window that the code under test shows while it waits).
    void ignore(const QString& className) { m_ignored.insert(className); }
    int answeredCount() const { return m_seen.size(); }
    // The last dialog answered; a default Seen when there is none.
    Seen last() const { return m_seen.isEmpty() ? Seen() : m_seen.last(); }
    QStringList errors() const;
    // Processes events until `count` dialogs in all were answered. False on timeout.
    bool waitAnswered(int count, int timeoutMs);
    // The same until every queued answer has been given.
    bool waitAllAnswered(int timeoutMs)
    {
        return waitAnswered(answeredCount() + m_pending.size(), timeoutMs);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void poll();
    void handle(QWidget* dialog, const Answer& answer);
    static void describe(QWidget* dialog, Seen& seen);

    QTimer m_timer;
    QVector<Answer> m_pending;
    QVector<Seen> m_seen;
    // The dialog answered last, until it hides: not answered twice.
    QPointer<QWidget> m_current;
    QSet<QString> m_ignored;
};

#endif // MODALDIALOGANSWERER_H
