#ifndef RECOVERPROGRESSDIALOG_H
#define RECOVERPROGRESSDIALOG_H

#include "categorypanel_global.h"

#include <QDialog>

class QLabel;
class QMovie;

// The modal window shown while a recovery runs: an animation and one line of
// state text. Escape does not dismiss it; the page hides it when the engine
// reports the end. The dialog owns its movie, which has no Qt parent so that
// the destructor stops it before it goes.
class CATEGORYPANEL_EXPORT RecoverProgressDialog : public QDialog
{
    Q_OBJECT

public:
    RecoverProgressDialog(const QString& resourceDir, QWidget* parent, Qt::WindowFlags flags);
    ~RecoverProgressDialog() override;

    void setLabelStateText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_pStateLabel;
    QLabel* m_pMovieLabel;
    QMovie* m_pMovie;
};

#endif // RECOVERPROGRESSDIALOG_H
