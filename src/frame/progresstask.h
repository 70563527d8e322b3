#pragma once

#include "frame/progressworker.h"

#include <functional>

// A worker whose whole work is one function: for a step too small for a class of its own. The
// run succeeds without a text when the function returns; cancels and errors end as in every
// worker.
class ProgressTask : public ProgressWorker
{
    Q_OBJECT
public:
    using Body = std::function<void(AbsProgress &)>;

    ProgressTask(AbsProgress &progress, LogCategory log, const char *what, Body body,
                 QObject *parent = nullptr);

protected:
    void work() override;

private:
    const Body m_body;
};
