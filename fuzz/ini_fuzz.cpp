// INI and language file parsing: any bytes give a value or the default, never a crash.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/common/ini.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    static const char* sections[] = {"Preferences", "Menu", "BitcalcSettings", "bitcalcsettings", ""};
    static const char* keys[] = {"Language", "4", "Compression", "", "1322"};
    for (const char* s : sections)
        for (const char* k : keys) {
            std::string v = fw::readIniData(text, s, k, "0");
            if (v.size() > 4 * fw::kIniValueMax) __builtin_trap();
        }
    return 0;
}
