#include "guistallprobe.h"

#include <QFile>

#include <algorithm>
#include <ctime>

namespace {

// Milliseconds the calling thread has waited on a run queue (Linux's
// schedstat, second field in nanoseconds); 0 where the system does not say,
// which leaves the stall equal to the wall gap.
double runQueueWaitMs()
{
    QFile stat(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = stat.readLine(128).simplified().split(' ');
    return fields.size() >= 2 ? fields.at(1).toDouble() / 1e6 : 0;
}

} // namespace

GuiStall GuiStall::Worst()
{
    return GuiStall{1e300, 1e300, 1e300};
}

void GuiStall::KeepLeast(const GuiStall& other)
{
    wallMs = std::min(wallMs, other.wallMs);
    stallMs = std::min(stallMs, other.stallMs);
    cpuMs = std::min(cpuMs, other.cpuMs);
}

GuiStallProbe::GuiStallProbe()
{
    m_clock.start();
    m_lastWall = 0;
    m_lastWait = runQueueWaitMs();
    m_lastCpu = ThreadCpuMs();
    m_heartbeat.setInterval(5);
    m_heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_heartbeat, &QTimer::timeout, [this] { Beat(); });
    m_heartbeat.start();
}

GuiStall GuiStallProbe::Result()
{
    Beat();
    return m_longest;
}

double GuiStallProbe::ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void GuiStallProbe::Beat()
{
    const double wall = m_clock.nsecsElapsed() / 1e6;
    const double wait = runQueueWaitMs();
    const double cpu = ThreadCpuMs();
    const double gap = wall - m_lastWall;
    m_longest.wallMs = std::max(m_longest.wallMs, gap);
    m_longest.stallMs = std::max(m_longest.stallMs, gap - (wait - m_lastWait));
    m_longest.cpuMs = std::max(m_longest.cpuMs, cpu - m_lastCpu);
    m_lastWall = wall;
    m_lastWait = wait;
    m_lastCpu = cpu;
}
