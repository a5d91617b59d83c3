// What a join reads from a set it is given: the info record and the rebuild script's name line.
// Any bytes are refused or give a record that writes back to itself and a name that stays in the
// set's folder.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/splitter/splitter.h"

namespace {
bool plainName(const std::string& s) {
    return s.find('/') == std::string::npos && s.find('\0') == std::string::npos;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fw::splitter;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto r = parseInfoRecord(text)) {
        if (r->count < 1 || r->count > 1000000 || r->pieceSize < 1 || !plainName(r->extension)) __builtin_trap();
        if (!r->suffix.empty() && r->suffix != "." + r->extension) __builtin_trap();
        const auto again = parseInfoRecord(infoRecord(r->extension, r->suffix.empty() ? "" : "000", r->count, r->pieceSize));
        if (!again || again->extension != r->extension || again->suffix != r->suffix || again->count != r->count ||
            again->pieceSize != r->pieceSize)
            __builtin_trap();
    }
    for (const char* stem : {"clip.", "long m~1.", ""})
        if (const auto name = nameInRebuildScript(text, stem))
            if (name->empty() || !plainName(*name) || *name == "." || *name == "..") __builtin_trap();
    return 0;
}
