#ifndef LOG4QT_LISTAPPENDER_H
#define LOG4QT_LISTAPPENDER_H

#include "log4qt/log4qt_global.h"

#include <QList>
#include <QString>

namespace Log4Qt {

// Collects the lines written to one logger and its descendants while it
// exists (tests, and hosts that show recent lines in a window). Thread-safe:
// lines may be written from any thread.
class LOG4QT_EXPORT ListAppender
{
public:
    struct Line
    {
        QString logger;
        QString level; // "DEBUG", "INFO", "WARN", "ERROR", "FATAL"
        QString message;
    };

    // An empty name captures the root logger, so every logger.
    explicit ListAppender(const QString& loggerName = QString());
    ~ListAppender();
    Q_DISABLE_COPY(ListAppender)

    QList<Line> lines() const;
    QStringList messages() const;
    void clear();

private:
    struct Private;
    Private* d;
};

} // namespace Log4Qt

#endif // LOG4QT_LISTAPPENDER_H
