#ifndef LISTAPPENDER_H
#define LISTAPPENDER_H

#include <QList>
#include <QString>

namespace Log4Qt {

// Test helper: collects the lines written through Log4Qt to one logger and its
// descendants while it exists, by attaching an appender to the log4cxx logger
// of that name (which the adapter writes to). Thread-safe: lines may be
// written from any thread.
class ListAppender
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

#endif // LISTAPPENDER_H
