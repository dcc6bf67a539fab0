#include "faketaskscript.h"

#include "fakegetter.h"

#include <utility>

FakeTaskScript::Step& FakeTaskScript::Step::prepending(FakeGetter* target,
                                                       const QVector<MMobile::IMDCommon*>& items)
{
    return running([target, items] { target->prepend(items); });
}

FakeTaskScript::Step& FakeTaskScript::report(int status, int percent, const char* label)
{
    Step step;
    step.status = status;
    step.percent = percent;
    if (label)
        step.label = QByteArray(label);
    m_steps.push_back(std::move(step));
    return m_steps.back();
}
