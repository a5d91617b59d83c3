#pragma once
// FFmpeg writes its own diagnostics to standard error; the user's terminal is ours. What matters
// reaches the user as a result's warnings or messages instead.
namespace fw::platform {

// Silences the decoder libraries' log, once per process. FRAMEWISE_MEDIA_LOG=1 keeps it, for
// looking into a file that a library reads differently from us.
void quietMediaLibraries();

}  // namespace fw::platform
