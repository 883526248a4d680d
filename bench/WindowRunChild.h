#pragma once

#include "Bench.h"
#include "ChildProcess.h"

#include <QString>

// A whole run through the window in a fresh process of the benchmark's own
// (WindowRun::measure): the child's registration, and its start.
namespace WindowRunChild {

// Lets the benchmark start "window-run" children.
void add(Bench &bench);
// Runs `path` of `size` bytes in a child; its report is WindowRun::Figures.
ChildProcess::Outcome run(const QString &path, qint64 size);

} // namespace WindowRunChild
