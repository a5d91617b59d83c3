// The IFO reader and every accessor: any bytes give a model, never a crash.
#include <cstdint>
#include <string>
#include <vector>

#include "core/dvd/chapters.h"
#include "core/dvd/ifo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> warnings;
    auto r = fw::dvd::readIfo("VTS_01_0.IFO", std::vector<std::uint8_t>(data, data + size), warnings);
    for (std::uint32_t n = 0; n < r.audioCount; ++n) (void)fw::dvd::clsDVD::languageName(r.audio[n].language);
    return 0;
}
