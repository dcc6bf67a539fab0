#ifndef GIFPROGRESSWIDGET_H
#define GIFPROGRESSWIDGET_H

#include "framekit_global.h"

#include <QWidget>

class QLabel;
class QMovie;

// An animation (a GIF played by a QMovie) with a percentage below it. The
// widget owns its movie; a path that is missing or not an animation leaves the
// picture empty and the start and stop calls do nothing.
class FRAMEKIT_EXPORT GifProgressWidget : public QWidget
{
    Q_OBJECT

public:
    // `showPercent` false hides the percentage text.
    explicit GifProgressWidget(QWidget* parent = nullptr, bool showPercent = true);
    ~GifProgressWidget() override;

    // Replaces the movie (stopped; its first frame shows).
    void SetMoivePath(const QString& path);
    // Starts the movie; one that already runs goes on where it is.
    void StartMovie();
    void StopMovie();
    // Values above 100 are shown as 100; the text reads "<n>%".
    void SetPercent(unsigned int percent);

    unsigned int percent() const;
    QString moviePath() const;
    bool hasMovie() const;
    bool isMovieRunning() const;

private:
    QLabel* m_movieLabel = nullptr;
    QLabel* m_percentLabel = nullptr;
    QMovie* m_movie = nullptr;
    QString m_path;
    unsigned int m_percent = 0;
};

#endif // GIFPROGRESSWIDGET_H
