// The INFO file readers (chapters and the resolution calculator's display mode) and the chapter
// writers: any text gives rows, never a crash or a hang.
#include <cstdint>
#include <string_view>

#include "core/dvd/chapters.h"
#include "core/resize/resize_calc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto info = fw::dvd::CheckInfo(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)fw::dvd::chapterText(fw::dvd::ChapterFormat::Ogg, info.rows);
    (void)fw::dvd::chapterText(fw::dvd::ChapterFormat::Scenarist, info.rows);
    (void)fw::resize::infoDisplayMode(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
