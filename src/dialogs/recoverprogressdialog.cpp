#include "dialogs/recoverprogressdialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMovie>

RecoverProgressDialog::RecoverProgressDialog(const QString& resourceDir, QWidget* parent,
                                             Qt::WindowFlags flags)
    : QDialog(parent, flags), m_pStateLabel(nullptr), m_pMovieLabel(nullptr),
      m_pMovie(new QMovie(resourceDir + QStringLiteral("bkgif.gif"), QByteArray()))
{
    resize(300, 90);
    setModal(true);

    m_pMovieLabel = new QLabel(this);
    m_pMovieLabel->setObjectName(QStringLiteral("labelMovie"));
    m_pStateLabel = new QLabel(this);
    m_pStateLabel->setObjectName(QStringLiteral("labelState"));

    // An unreadable file leaves the label empty; the dialog works without it.
    m_pMovieLabel->setMovie(m_pMovie);
    m_pMovie->start();
    m_pMovieLabel->move(10, 10);
    m_pMovieLabel->show();

    m_pStateLabel->setFixedSize(200, 20);
    m_pStateLabel->setText(tr("Recovering the data, please wait..."));
    m_pStateLabel->move(100, 40);
    m_pStateLabel->show();
}

RecoverProgressDialog::~RecoverProgressDialog()
{
    m_pMovie->stop();
    m_pMovieLabel->setMovie(nullptr);
    delete m_pMovie;
}

void RecoverProgressDialog::setLabelStateText(const QString& text)
{
    m_pStateLabel->setText(text);
}

void RecoverProgressDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void RecoverProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
}
