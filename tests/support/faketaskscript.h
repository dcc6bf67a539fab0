#ifndef FAKETASKSCRIPT_H
#define FAKETASKSCRIPT_H

#include "contracts/mmobiletypes.h"

#include <QByteArray>
#include <QVector>

#include <functional>
#include <optional>
#include <vector>

class FakeGetter;

namespace MMobile {
class IMDCommon;
}

// The reports a FakeTask plays, one Step per callback, in order. A value type:
// a data source copies it into each task it starts, so one script serves every
// retry. Build it with report() and the Step modifiers:
//
//   FakeTaskScript s;
//   s.report(MMobile::TASK_BEGIN, 0, "1");
//   s.report(MMobile::TASK_DATA, 40, "0").prepending(getter, {a, b});
//   s.report(MMobile::TASK_COMPLETE, 100, "0").held();
//
// What a step does, in this order: wait at the gate (held()), run its action
// (growing a getter is one), set the task status to `status`,
// call the callback. A false result stops the task with TASK_STOP.
class FakeTaskScript
{
public:
    struct Step
    {
        int status = MMobile::TASK_PERCENT;
        int percent = 0;
        std::optional<QByteArray> label; // nullopt: the callback gets a null label
        std::optional<int> type;         // nullopt: the task's own category
        bool gate = false;               // block until FakeTask::release()
        std::function<void()> action;    // runs on the task's thread before the report

        Step& withType(int category)
        {
            type = category;
            return *this;
        }
        Step& held()
        {
            gate = true;
            return *this;
        }
        Step& prepending(FakeGetter* target, const QVector<MMobile::IMDCommon*>& items);
        Step& running(std::function<void()> fn)
        {
            action = std::move(fn);
            return *this;
        }
    };

    // `label` null sends a null label. The reference is valid until the next report().
    Step& report(int status, int percent, const char* label = nullptr);

    const std::vector<Step>& steps() const { return m_steps; }

private:
    std::vector<Step> m_steps;
};

#endif // FAKETASKSCRIPT_H
