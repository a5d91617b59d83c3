#pragma once
#include <string>
#include <vector>

#include "core/common/message.h"

namespace fw::cli {

using Argv = std::vector<std::string>;

int runBitrate(const Argv& args);
int runCodecs(const Argv& args);
int runResize(const Argv& args);
int runInspect(const Argv& args);
int runCheck(const Argv& args);
int runRepair(const Argv& args);
int runKeyframes(const Argv& args);
int runFourcc(const Argv& args);
int runFps(const Argv& args);
int runSync(const Argv& args);
int runStats(const Argv& args);
int runSplit(const Argv& args);
int runJoin(const Argv& args);
int runIfo(const Argv& args);
int runChapters(const Argv& args);
int runImport(const Argv& args);
int runInverse(const Argv& args);
int runToWav(const Argv& args);
int runSysinfo(const Argv& args);
int runUpdateCheck(const Argv& args);
int runShutdown(const Argv& args);

// Prints a core message's text on standard error and returns the exit code for it.
int failWith(const fw::Message& m, int code = 1);

}  // namespace fw::cli
