#pragma once
// While a StopOnSignals lives, an interrupt, a terminate or a hang-up asks the running work to
// stop as its window's Stop button would: the work takes its temporary files away and a file the
// user had is never replaced by a part. The work sees it through the Progress it polls.
#include <functional>

#include "core/common/progress.h"

namespace fw::cli {

class StopOnSignals {
public:
    StopOnSignals();
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    static bool requested();
    // A progress that goes on until a signal comes, passing the figures to inner first.
    static Progress progress(Progress inner = {});
};

}  // namespace fw::cli
