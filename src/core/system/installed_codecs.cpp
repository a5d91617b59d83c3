#include "core/system/installed_codecs.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <string_view>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
}

#include "core/common/file_io.h"
#include "core/common/text.h"

namespace fw::system {

namespace fs = std::filesystem;

namespace {

struct Named {
    CodecCategory c;
    const char* name;
};
constexpr Named kNames[] = {
    {CodecCategory::VideoCompressors, "video-compressors"}, {CodecCategory::AudioCompressors, "audio-compressors"},
    {CodecCategory::Filters, "filters"},                   {CodecCategory::VideoCapture, "video-capture"},
    {CodecCategory::AudioCapture, "audio-capture"},         {CodecCategory::AudioRenderers, "audio-renderers"},
    {CodecCategory::MidiRenderers, "midi"},
};

std::string firstLine(const std::string& s) { return trim(s.substr(0, s.find('\n'))); }

std::string_view blanksOff(std::string_view s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// The whole number a field starts with after blanks, as atoi reads it, but 0 past an int.
int leadingInt(std::string_view s) {
    s = blanksOff(s);
    if (s.size() > 1 && s.front() == '+' && s[1] != '-') s.remove_prefix(1);
    int v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() ? v : 0;
}

// Each line of a kernel text, without its line break.
template <class F>
void eachLine(std::string_view text, F&& f) {
    for (std::size_t at = 0; at < text.size();) {
        const auto nl = text.find('\n', at);
        f(text.substr(at, nl == std::string_view::npos ? nl : nl - at));
        if (nl == std::string_view::npos) break;
        at = nl + 1;
    }
}

CategoryList encoders(AVMediaType type) {
    CategoryList l;
    void* it = nullptr;
    while (const AVCodec* c = av_codec_iterate(&it))
        if (c->type == type && av_codec_is_encoder(c))
            l.names.push_back(std::string(c->name) + (c->long_name ? std::string(" - ") + c->long_name : std::string()));
    return l;
}

CategoryList filters() {
    CategoryList l;
    void* it = nullptr;
    while (const AVFilter* f = av_filter_iterate(&it))
        l.names.push_back(std::string(f->name) + (f->description ? std::string(" - ") + f->description : std::string()));
    return l;
}

// /sys/class/video4linux/videoN/name, devices in number order.
CategoryList videoCapture(const DeviceRoots& r) {
    CategoryList l;
    std::error_code ec;
    const fs::path dir = fs::path(r.sys) / "class/video4linux";
    if (!fs::is_directory(dir, ec)) {
        l.ok = fs::exists(fs::path(r.sys) / "class", ec);  // no capture devices is an empty list
        return l;
    }
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        const std::string node = e.path().filename().string();
        if (node.rfind("video", 0) != 0) continue;
        // A device's second node (index 1: its metadata) is the same camera again.
        const std::string index = firstLine(readKernelText((e.path() / "index").string(), 64));
        if (!index.empty() && index != "0") continue;
        found.emplace_back(node, firstLine(readKernelText((e.path() / "name").string(), 4096)));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.size() != b.first.size() ? a.first.size() < b.first.size() : a.first < b.first;
    });
    for (const auto& [node, name] : found) l.names.push_back(name.empty() ? "/dev/" + node : name + " (/dev/" + node + ")");
    return l;
}

CategoryList alsaPcm(const DeviceRoots& r, const char* direction) {
    std::error_code ec;
    // No /proc at all: nothing can be said. No ALSA in it: no sound devices, an empty list.
    if (!fs::is_directory(r.proc, ec)) return {false, {}};
    return {true, parseAlsaPcm(readKernelText((fs::path(r.proc) / "asound/pcm").string()), direction)};
}

CategoryList midiPorts(const DeviceRoots& r) {
    std::error_code ec;
    if (!fs::is_directory(r.proc, ec)) return {false, {}};
    return {true, parseSeqClients(readKernelText((fs::path(r.proc) / "asound/seq/clients").string()))};
}

}  // namespace

// /proc/asound/pcm: "00-00: ALC892 Analog : ALC892 Analog : playback 1 : capture 1".
std::vector<std::string> parseAlsaPcm(const std::string& text, const char* direction) {
    std::vector<std::string> names;
    eachLine(text, [&](std::string_view line) {
        // The fields after the two names say what the device does; a name may hold the words too.
        std::vector<std::string_view> fields;
        for (std::size_t start = 0;;) {
            const auto sep = line.find(" : ", start);
            fields.push_back(blanksOff(line.substr(start, sep == std::string_view::npos ? sep : sep - start)));
            if (sep == std::string_view::npos) break;
            start = sep + 3;
        }
        if (fields.size() < 3) return;
        bool does = false;
        for (std::size_t i = 2; i < fields.size(); ++i) does = does || fields[i].substr(0, std::strlen(direction)) == direction;
        const auto colon = fields[0].find(':');
        if (!does || colon == std::string_view::npos) return;
        const std::string_view id = blanksOff(fields[0].substr(0, colon));
        const auto dash = id.find('-');
        if (dash == std::string_view::npos) return;
        // "hw:0,0" is the name ALSA's own tools take.
        names.push_back(std::string(blanksOff(fields[0].substr(colon + 1))) + " (hw:" +
                        std::to_string(leadingInt(id.substr(0, dash))) + "," + std::to_string(leadingInt(id.substr(dash + 1))) + ")");
    });
    return names;
}

// /proc/asound/seq/clients: "Client  14 : "Midi Through" [Kernel]" then "  Port   0 : "Midi Through Port-0" (RWe-)".
std::vector<std::string> parseSeqClients(const std::string& text) {
    std::vector<std::string> names;
    int client = -1;
    eachLine(text, [&](std::string_view line) {
        const std::string_view t = blanksOff(line);
        if (t.substr(0, 6) == "Client") {
            client = leadingInt(t.substr(6));
            // The system's own timer and announce clients are no MIDI ports.
            if (client == 0) client = -1;
        } else if (t.substr(0, 4) == "Port" && client >= 0) {
            // "(RWe-)": W, the port takes events: something MIDI can be played to.
            const auto flags = t.rfind('(');
            if (flags == std::string_view::npos || t.find('W', flags) == std::string_view::npos) return;
            const auto a = line.find('"');
            const auto b = a == std::string_view::npos ? a : line.find('"', a + 1);
            const std::string_view name = b == std::string_view::npos ? std::string_view() : line.substr(a + 1, b - a - 1);
            names.push_back(std::string(name) + " (" + std::to_string(client) + ":" + std::to_string(leadingInt(t.substr(4))) + ")");
        }
    });
    return names;
}

const std::vector<CodecCategory>& refreshOrder() {
    static const std::vector<CodecCategory> order = {CodecCategory::VideoCapture,   CodecCategory::VideoCompressors,
                                                     CodecCategory::AudioCapture,   CodecCategory::AudioCompressors,
                                                     CodecCategory::AudioRenderers, CodecCategory::MidiRenderers,
                                                     CodecCategory::Filters};
    return order;
}

const char* categoryName(CodecCategory c) {
    for (const auto& n : kNames)
        if (n.c == c) return n.name;
    return "";
}

bool categoryFromName(const std::string& name, CodecCategory& out) {
    for (const auto& n : kNames)
        if (name == n.name) {
            out = n.c;
            return true;
        }
    return false;
}

CategoryList listCategory(CodecCategory c, const DeviceRoots& roots) {
    switch (c) {
        case CodecCategory::VideoCompressors: return encoders(AVMEDIA_TYPE_VIDEO);
        case CodecCategory::AudioCompressors: return encoders(AVMEDIA_TYPE_AUDIO);
        case CodecCategory::Filters: return filters();
        case CodecCategory::VideoCapture: return videoCapture(roots);
        case CodecCategory::AudioCapture: return alsaPcm(roots, "capture");
        case CodecCategory::AudioRenderers: return alsaPcm(roots, "playback");
        case CodecCategory::MidiRenderers: return midiPorts(roots);
    }
    return {};
}

}  // namespace fw::system
