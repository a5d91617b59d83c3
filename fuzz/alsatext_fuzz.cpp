// ALSA's texts behind the installed-codecs lists (/proc/asound/pcm and seq/clients): any text
// gives a list, never a crash.
#include <cstdint>
#include <string>

#include "core/system/installed_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* direction : {"playback", "capture"}) (void)fw::system::parseAlsaPcm(text, direction);
    (void)fw::system::parseSeqClients(text);
    return 0;
}
