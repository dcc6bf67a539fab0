#ifndef FAILURENOTICE_H
#define FAILURENOTICE_H

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QToolButton;

// The host's notice of something that went wrong, a band across the bottom
// of the window above the status bar: what failed
// and why in plain words, and the one thing the user can do next as a
// button (choose another folder, unlock the backup, open another backup).
// It stays until the user dismisses it or the next notice replaces it, so a
// failure is not lost while the status line moves on. Owned by the window;
// the action is a function the window gives it.
class FailureNotice : public QWidget
{
    Q_OBJECT

public:
    explicit FailureNotice(QWidget* parent = nullptr);

    // Shows `text`; with an empty `actionText` there is no button.
    void Show(const QString& text, const QString& actionText = QString(),
              std::function<void()> action = nullptr);
    void Clear();
    // What is shown; empty while hidden.
    QString Text() const;
    QString ActionText() const;
    // Presses the action button (what a user's click does).
    void TriggerAction();

private:
    QLabel* m_pText;
    QPushButton* m_pAction;
    QToolButton* m_pDismiss;
    std::function<void()> m_action;
};

#endif // FAILURENOTICE_H
