#ifndef GUISTALLPROBE_H
#define GUISTALLPROBE_H

// A GUI-stall probe for the benchmarks: a 5 ms heartbeat timer on the calling
// (GUI) thread notes the longest time between two beats while the probe
// lives. Three figures, each the longest over all gaps:
// - wallMs: the gap in wall time;
// - stallMs: the gap less the time the thread waited for a core (the kernel's
//   run-queue delay of the thread), i.e. what the thread itself spent busy or
//   blocked: the figure the targets are judged by;
// - cpuMs: the thread's CPU time between two beats.
// The probe owns its timer; it must live and die on the thread it measures.
//
//   const GuiStall stall = GuiStallProbe::Measure([&] { runTheEventLoopUntilDone(); });

#include <QElapsedTimer>
#include <QTimer>

struct GuiStall
{
    double wallMs = 0;
    double stallMs = 0;
    double cpuMs = 0;

    // The stall that is no stall yet: the start of a best-of-rounds figure.
    static GuiStall Worst();
    // Keeps the least of each figure: the best of several rounds.
    void KeepLeast(const GuiStall& other);
};

class GuiStallProbe
{
public:
    GuiStallProbe();
    GuiStallProbe(const GuiStallProbe&) = delete;
    GuiStallProbe& operator=(const GuiStallProbe&) = delete;

    // The longest gaps so far, including the one up to now.
    GuiStall Result();

    template <class Work> static GuiStall Measure(Work work)
    {
        GuiStallProbe probe;
        work();
        return probe.Result();
    }

    // CPU milliseconds of the calling thread.
    static double ThreadCpuMs();

private:
    void Beat();

    QTimer m_heartbeat;
    QElapsedTimer m_clock;
    double m_lastWall = 0;
    double m_lastWait = 0;
    double m_lastCpu = 0;
    GuiStall m_longest;
};

#endif // GUISTALLPROBE_H
