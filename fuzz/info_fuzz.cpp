// The INFO file reader and the chapter writers: any text gives rows, never a crash or a hang.
#include <cstdint>
#include <string_view>

#include "core/dvd/chapters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto info = fw::dvd::CheckInfo(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)fw::dvd::chapterText(fw::dvd::ChapterFormat::Ogg, info.rows);
    (void)fw::dvd::chapterText(fw::dvd::ChapterFormat::Scenarist, info.rows);
    return 0;
}
