#pragma once

// Answers the program's progress in place of the progress window: records
// every step and cancels at the step asked for.

#include "platform/progress.h"

#include <QList>
#include <QString>
#include <functional>

namespace kq::test {

class ScriptedProgress : public kq::platform::ProgressBackend
{
public:
    struct Step
    {
        QString label;
        qint64 done = 0;
        qint64 total = 0;
    };

    ScriptedProgress() { kq::platform::Progress::setBackend(this); }
    ~ScriptedProgress() override { kq::platform::Progress::setBackend(nullptr); }

    bool progress(const QString &label, qint64 done, qint64 total) override
    {
        steps.append({label, done, total});
        if (onStep)
            onStep();
        return cancelAt < 0 || steps.size() < cancelAt;
    }

    QList<Step> steps;
    // The step (counting from 1) that answers Cancel; -1 never.
    int cancelAt = -1;
    // Runs at every step (a test looks at the screens meanwhile).
    std::function<void()> onStep;
};

} // namespace kq::test
