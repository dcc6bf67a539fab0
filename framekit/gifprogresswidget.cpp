#include "gifprogresswidget.h"

#include <QFileInfo>
#include <QLabel>
#include <QMovie>
#include <QVBoxLayout>

GifProgressWidget::GifProgressWidget(QWidget* parent, bool showPercent) : QWidget(parent)
{
    setObjectName(QStringLiteral("GifProgressWidget"));

    m_movieLabel = new QLabel(this);
    m_movieLabel->setObjectName(QStringLiteral("lblMovie"));
    m_movieLabel->setAlignment(Qt::AlignCenter);

    m_percentLabel = new QLabel(this);
    m_percentLabel->setObjectName(QStringLiteral("lblPercent"));
    m_percentLabel->setAlignment(Qt::AlignCenter);
    m_percentLabel->setVisible(showPercent);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_movieLabel, 1);
    layout->addWidget(m_percentLabel);

    SetPercent(0);
}

GifProgressWidget::~GifProgressWidget()
{
    if (m_movie)
        m_movie->stop();
}

void GifProgressWidget::SetMoivePath(const QString& path)
{
    m_path = path;
    if (m_movie) {
        m_movie->stop();
        m_movieLabel->clear();
        delete m_movie;
        m_movie = nullptr;
    }
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;

    auto* movie = new QMovie(path, QByteArray(), this);
    if (!movie->isValid()) {
        delete movie;
        return;
    }
    m_movie = movie;
    m_movieLabel->setMovie(m_movie);
    m_movie->jumpToFrame(0);
}

void GifProgressWidget::StartMovie()
{
    if (m_movie && m_movie->state() != QMovie::Running)
        m_movie->start();
}

void GifProgressWidget::StopMovie()
{
    if (m_movie)
        m_movie->stop();
}

void GifProgressWidget::SetPercent(unsigned int percent)
{
    m_percent = qMin(percent, 100u);
    m_percentLabel->setText(QStringLiteral("%1%").arg(m_percent));
}

unsigned int GifProgressWidget::percent() const
{
    return m_percent;
}

QString GifProgressWidget::moviePath() const
{
    return m_path;
}

bool GifProgressWidget::hasMovie() const
{
    return m_movie != nullptr;
}

bool GifProgressWidget::isMovieRunning() const
{
    return m_movie && m_movie->state() == QMovie::Running;
}
