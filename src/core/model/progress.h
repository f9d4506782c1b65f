#pragma once

#include <QtGlobal>

#include <functional>

namespace vexil {

// How far a long operation has come, `done` of `total` in any unit. The one who shows it may
// throw Abandon from it to stop the operation; whatever the operation built is then dropped.
using Progress = std::function<void(qint64 done, qint64 total)>;

inline void ReportProgress(const Progress& progress, qint64 done, qint64 total)
{
    if (progress)
        progress(done, total);
}

} // namespace vexil
