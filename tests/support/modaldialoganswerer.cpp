#include "modaldialoganswerer.h"

#include "gathererhandover.h"
#include "mymessagedailog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

namespace {

bool usable(QAbstractButton* button, QWidget* dialog)
{
    return button->isVisibleTo(dialog) && button->isEnabled();
}

// The code under test only asks for folders.
void chooseFolder(QFileDialog* files, const QString& path)
{
    if (!files)
        return;
    files->setDirectory(QFileInfo(path).absoluteFilePath());
    // A name left in the field would be taken as a subfolder of the chosen one.
    if (auto* nameField = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        nameField->clear();
    // Public through QDialog, protected in QFileDialog.
    static_cast<QDialog*>(files)->accept();
}

void rejectDialog(QWidget* dialog)
{
    if (auto* d = qobject_cast<QDialog*>(dialog))
        d->reject();
    else
        dialog->close();
}

} // namespace

ModalDialogAnswerer::ModalDialogAnswerer(QObject* parent) : QObject(parent)
{
    // The file choosers it answers run Qt's file info thread.
    HideFileInfoGathererHandOvers();
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalDialogAnswerer::poll);
}

ModalDialogAnswerer::~ModalDialogAnswerer()
{
    if (m_current)
        m_current->removeEventFilter(this);
}

void ModalDialogAnswerer::answer(const QVector<Answer>& next)
{
    m_pending += next;
    if (!m_pending.isEmpty())
        m_timer.start();
}

QStringList ModalDialogAnswerer::errors() const
{
    QStringList result;
    for (const Seen& s : m_seen) {
        if (!s.error.isEmpty())
            result.append(s.error);
    }
    return result;
}

bool ModalDialogAnswerer::waitAnswered(int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (m_seen.size() < count) {
        if (timer.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(1);
    }
    return true;
}

bool ModalDialogAnswerer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_current && event->type() == QEvent::Hide) {
        m_current->removeEventFilter(this);
        m_current.clear();
    }
    return QObject::eventFilter(watched, event);
}

void ModalDialogAnswerer::poll()
{
    if (m_pending.isEmpty()) {
        m_timer.stop();
        return;
    }
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || !dialog->isVisible() || dialog == m_current ||
        m_ignored.contains(QString::fromLatin1(dialog->metaObject()->className())))
        return;
    const Answer next = m_pending.takeFirst();
    if (m_pending.isEmpty())
        m_timer.stop();
    if (m_current)
        m_current->removeEventFilter(this);
    m_current = dialog;
    dialog->installEventFilter(this);
    handle(dialog, next);
}

void ModalDialogAnswerer::handle(QWidget* dialog, const Answer& answer)
{
    Seen seen;
    describe(dialog, seen);

    QAbstractButton* target = nullptr;
    switch (answer.action) {
    case Answer::PressObjectName: {
        target = dialog->findChild<QAbstractButton*>(answer.value);
        if (!target)
            seen.error = QStringLiteral("no button \"%1\" in %2").arg(answer.value, seen.className);
        else if (!usable(target, dialog))
            seen.error = QStringLiteral("button \"%1\" in %2 is hidden or disabled")
                             .arg(answer.value, seen.className);
        break;
    }
    case Answer::Reject:
        seen.done = QStringLiteral("reject");
        break;
    case Answer::ChooseFile:
        if (!qobject_cast<QFileDialog*>(dialog))
            seen.error = QStringLiteral("%1 is not a file dialog").arg(seen.className);
        else
            seen.done = QStringLiteral("choose:%1").arg(answer.value);
        break;
    }

    Answer act = answer;
    if (!seen.error.isEmpty()) {
        act = Answer::reject();
        seen.done = QStringLiteral("reject");
    } else if (target) {
        seen.done =
            QStringLiteral("press:%1").arg(QString(target->text()).remove(QLatin1Char('&')));
    }
    // Recorded before acting: the dialog's owner may react to the press at once.
    m_seen.append(seen);

    // Acted on from the event loop, not inside this timer's slot: Qt does not
    // fire a timer again while its slot runs, so a dialog that the press opens
    // (a nested exec()) could never be answered otherwise.
    QPointer<QWidget> guardedDialog(dialog);
    QPointer<QAbstractButton> guardedTarget(target);
    QTimer::singleShot(0, this, [guardedDialog, guardedTarget, act] {
        if (!guardedDialog)
            return;
        if (act.action == Answer::ChooseFile) {
            chooseFolder(qobject_cast<QFileDialog*>(guardedDialog.data()), act.value);
        } else if (act.action == Answer::Reject) {
            rejectDialog(guardedDialog.data());
        } else if (guardedTarget) {
            guardedTarget->click();
        }
    });
}

void ModalDialogAnswerer::describe(QWidget* dialog, Seen& seen)
{
    seen.className = QString::fromLatin1(dialog->metaObject()->className());
    seen.windowTitle = dialog->windowTitle();
    if (auto* message = qobject_cast<MyMessageDailog*>(dialog)) {
        seen.isMessageDialog = true;
        seen.messageText = message->messageText();
        seen.message =
            QStringLiteral("%1 [%2|%3] %4")
                .arg(static_cast<int>(message->messageType()))
                .arg(message->okButtonText(),
                     message->isCancelButtonHidden() ? QString() : message->cancelButtonText(),
                     seen.messageText);
    }
}
