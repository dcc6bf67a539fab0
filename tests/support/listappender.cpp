#include "listappender.h"

#include "log4qt/logger.h"

#include <QStringList>
#include <mutex>

#include <log4cxx/appenderskeleton.h>
#include <log4cxx/logger.h>
#include <log4cxx/spi/loggingevent.h>

#include <memory>

// The log4cxx object macros expect to expand inside namespace log4cxx.
namespace log4cxx {
namespace {

QString fromLogString(const LogString& text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

class CollectingAppender : public log4cxx::AppenderSkeleton
{
public:
    DECLARE_LOG4CXX_OBJECT(CollectingAppender)
    BEGIN_LOG4CXX_CAST_MAP()
    LOG4CXX_CAST_ENTRY(CollectingAppender)
    LOG4CXX_CAST_ENTRY_CHAIN(AppenderSkeleton)
    END_LOG4CXX_CAST_MAP()

    void close() override {}
    bool requiresLayout() const override { return false; }

    QList<Log4Qt::ListAppender::Line> lines() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.clear();
    }

protected:
    void append(const spi::LoggingEventPtr& event, helpers::Pool&) override
    {
        Log4Qt::ListAppender::Line line{fromLogString(event->getLoggerName()),
                                        fromLogString(event->getLevel()->toString()),
                                        fromLogString(event->getMessage())};
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.append(line);
    }

private:
    mutable std::mutex m_mutex;
    QList<Log4Qt::ListAppender::Line> m_lines;
};

IMPLEMENT_LOG4CXX_OBJECT(CollectingAppender)

} // namespace
} // namespace log4cxx

namespace Log4Qt {

using log4cxx::CollectingAppender;

struct ListAppender::Private
{
    log4cxx::LoggerPtr target;
    std::shared_ptr<CollectingAppender> appender;
};

namespace {

log4cxx::LoggerPtr loggerFor(const QString& name)
{
    // The adapter's first logger applies its default configuration; an
    // appender attached before that would be dropped with log4cxx's own.
    Logger::rootLogger();
    if (name.isEmpty())
        return log4cxx::Logger::getRootLogger();
    const QByteArray utf8 = name.toUtf8();
    return log4cxx::Logger::getLogger(
        log4cxx::LogString(utf8.constData(), std::size_t(utf8.size())));
}

} // namespace

ListAppender::ListAppender(const QString& loggerName)
    : d(new Private{loggerFor(loggerName), std::make_shared<CollectingAppender>()})
{
    d->target->addAppender(d->appender);
}

ListAppender::~ListAppender()
{
    d->target->removeAppender(d->appender);
    delete d;
}

QList<ListAppender::Line> ListAppender::lines() const
{
    return d->appender->lines();
}

QStringList ListAppender::messages() const
{
    QStringList result;
    const QList<Line> all = lines();
    for (const Line& line : all)
        result << line.message;
    return result;
}

void ListAppender::clear()
{
    d->appender->clear();
}

} // namespace Log4Qt
