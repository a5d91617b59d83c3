// Captions, the plain-text report and the header export of the inspector.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/avi/avi_internal.h"
#include "core/common/atomic_file.h"
#include "core/common/file_io.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "fw/version.h"

namespace fw::avi {

std::string fieldCaption(int field) {
    switch (field) {
        case 0: return LangText("AviDetector", 51);
        case 1: return LangText("AviDetector", 5);
        case 2: return LangText("AviDetector", 6);
        case 3: return LangText("AviDetector", 7);
        case 4: return LangText("AviDetector", 8);
        case 5: return LangText("AviDetector", 10);
        case 6: return LangText("AviDetector", 11);
        case 7: return LangText("AviDetector", 12);
        case 8: return LangText("AviDetector", 13);
        case 9: return LangText("AviDetector", 14);
        case 10: return LangText("AviDetector", 15);
        case 11: return LangText("AviDetector", 16);
        case 12: return LangText("AviDetector", 17);
        case 13: return LangText("AviDetector", 44);
        case 20: return LangText("AviDetector", 45);
        case 57: return LangText("AviDetector", 46);
        case 58: return LangText("AviDetector", 9);
        case 59: return LangText("AviDetector", 43);
        case 60: return LangText("AviDetector", 47);
        case 61: return LangText("AviDetector", 48);
        case 62: return LangText("AviDetector", 49);
        case 63: return LangText("AviDetector", 50);
        default: break;
    }
    if (field >= 14 && field <= 19) return kFlagNames[static_cast<std::size_t>(field - 14)];
    if (field >= 21 && field <= 56) {
        switch ((field - 21) % 6) {
            case 0: return LangText("AviDetector", 18);
            case 1: return LangText("AviDetector", 19);
            case 2: return LangText("AviDetector", 20);
            case 3: return LangText("AviDetector", 21);
            case 4: return LangText("AviDetector", 23);
            default: return LangText("AviDetector", 24);
        }
    }
    return {};
}

std::string buildReport(const InspectorResult& r, const std::string& dateText, const std::string& timeText) {
    std::string out;
    auto line = [&](const std::string& s = {}) { out += s + "\n"; };
    auto pair = [&](int field) { line(fieldCaption(field) + "\t\t" + r.fields[static_cast<std::size_t>(field)].text); };
    line(LangText("AviDetector", 32) + " " + r.fields[0].text);
    line(LangText("AviDetector", 33) + " " + kVersionText);
    line(LangText("AviDetector", 34) + " " + dateText + " " + LangText("AviDetector", 35) + " " + timeText);
    line();
    line("\t\t" + LangText("AviDetector", 36));
    line();
    for (int f = 1; f <= 13; ++f) pair(f);
    pair(62);
    pair(63);
    line("\t\t" + r.fields[61].text);
    const int further = std::min<int>(std::max<int>(r.info.streamCount - 1, static_cast<int>(r.audio.size())), kShownStreams);
    for (int j = 1; j <= further; ++j) {
        const bool text = j - 1 < static_cast<int>(r.audio.size()) && r.audio[static_cast<std::size_t>(j - 1)].type == "text";
        line();
        line();
        line("\t\t" + LangText("AviDetector", text ? 38 : 37) + " " + std::to_string(j));
        line();
        line();
        const int base = 21 + 6 * (j - 1);
        if (text) line(r.fields[static_cast<std::size_t>(base)].text);
        else
            for (int f = base; f < base + 6; ++f) pair(f);
    }
    // Streams beyond the six the window has fields for are named, not left out without a word.
    if (static_cast<int>(r.audio.size()) > kShownStreams) {
        line();
        line(LangText("AviDetector", 56) + " " + std::to_string(kShownStreams + 1) + " - " + std::to_string(r.audio.size()));
    }
    line();
    line();
    line("# Flags:");
    line();
    line();
    for (int f = 14; f <= 19; ++f) pair(f);
    line();
    line();
    line(LangText("AviDetector", 39));
    line("ckid\tckSize\tckContent");
    for (const auto& c : r.chunks) line(c.id + "\t" + std::to_string(c.size) + "\t" + c.content);
    line(LangText("AviDetector", 40));
    line();
    line();
    line("\t\t" + r.fields[57].text);
    line(LangText("AviDetector", 9) + "\t\t" + r.fields[58].text);
    line(LangText("AviDetector", 43) + "\t\t" + r.fields[59].text);
    pair(60);
    line(r.overheadLabel);
    if (r.hasInfo) {
        line("# INFO");
        for (std::size_t i = 0; i < kTagCount; ++i)
            if (!r.tags[i].empty()) line(r.tagCaptions[i] + "\t\t" + r.tags[i]);
    }
    line(" ___  __        __         ___  __   ___ ");
    line("|__  |__)  /\\  |\\/| |  | |  |  /__` |__  ");
    line("|    |  \\ /~~\\ |  | |/\\| |  |  .__/ |___ ");
    return out;
}

bool appendReport(const std::string& path, const std::string& text) {
    // The earlier reports and the new one go to a temporary file that replaces the old only when
    // all is written: a full disk leaves the file as it was, and no empty file where none was.
    AtomicFileWriter out(path);
    if (!out.ok()) return false;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        const int in = openRegular(path, O_RDONLY);
        if (in < 0) return false;
        std::string buf(1 << 20, '\0');
        bool good = true;
        for (;;) {
            const ssize_t n = ::read(in, buf.data(), buf.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) good = false;
            if (n <= 0) break;
            if (!out.write(buf.data(), static_cast<std::size_t>(n))) {
                good = false;
                break;
            }
        }
        ::close(in);
        if (!good) return false;
    }
    return out.write(text.data(), text.size()) && out.commit();
}

std::int64_t proposedHeaderSize(const InspectorResult& r) { return std::int64_t(r.info.hdrlSize) + 33; }

bool saveHeader(const std::string& src, const std::string& dst, std::int64_t bytes, std::string* error) {
    errno = 0;
    if (!copyFileAtomically(src, dst, std::max<std::int64_t>(bytes, 0))) {
        const int why = errno;  // the failing call's, kept by the clean-up after it
        if (error) *error = "cannot copy " + src + " to " + dst + (why ? std::string(" (") + std::strerror(why) + ")" : "");
        return false;
    }
    return true;
}

}  // namespace fw::avi
