// The OGM reader: walks the header pages at the start of an Ogg file, one packet per page, and
// fills the inspector's fields from the OGM stream headers and the first comment header.
extern "C" {
#include <libavformat/avformat.h>
}

#include <cmath>

#include "core/avi/avi_internal.h"
#include "core/common/binary_reader.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::avi {

namespace {

constexpr int kMaxOgmAudio = 6;
// The header pages come first; a walk that has not met the comment header by then never will.
constexpr int kMaxHeaderPages = 4096;

double runningTime(const std::string& path) {
    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) != 0) return 0;
    double seconds = 0;
    if (ctx->duration <= 0) avformat_find_stream_info(ctx, nullptr);
    if (ctx->duration > 0) seconds = double(ctx->duration) / AV_TIME_BASE;
    avformat_close_input(&ctx);
    return seconds;
}

// Tag table fields of the comment names, and the caption a field takes when a comment fills it.
struct CommentTag {
    const char* name;
    int field;
    const char* caption;
};
constexpr CommentTag kCommentTags[] = {
    {"TITLE", 0, nullptr},        {"ALBUM", 0, nullptr},          {"PERFORMER", 1, "Performer"},
    {"COPYRIGHT", 2, nullptr},    {"COMMENT", 3, nullptr},        {"DESCRIPTION", 4, "Description"},
    {"DATE", 6, nullptr},         {"GENRE", 8, nullptr},          {"AUTHOR", 9, "Author"},
    {"ORGANISATION", 11, "Organiz."}, {"CONTACT", 13, "Contact"}, {"LOCATION", 21, nullptr},
    {"COMMISSIONER", 22, nullptr}, {"LANGUAGE", 24, nullptr},     {"KEYWORDS", 25, nullptr},
    {"TRACKNUMBER", 26, "Track"}, {"URL", 30, nullptr},           {"ISRC", 33, nullptr},
};

void putComment(InspectorResult& r, const std::string& text) {
    auto eq = text.find('=');
    if (eq == std::string::npos) return;
    const std::string name = text.substr(0, eq);
    const std::string value = text.substr(eq + 1);
    for (const auto& t : kCommentTags) {
        if (!iequals(name, t.name)) continue;
        auto& field = r.tags[static_cast<std::size_t>(t.field)];
        if (t.field == 0) field = value + "/" + field;
        else field = value;
        if (t.caption) r.tagCaptions[static_cast<std::size_t>(t.field)] = t.caption;
        r.hasInfo = true;
        return;
    }
}

// The comments of a packet: the vendor string, the count, then length-prefixed "NAME=value" texts,
// every length bounded by the packet.
void readComments(InspectorResult& r, std::span<const std::uint8_t> packet) {
    BinaryReader rd(packet);
    if (!rd.seek(7)) return;
    auto vendor = rd.u32le();
    if (!vendor || !rd.skip(*vendor) || !rd.skip(4)) return;
    while (!rd.atEnd()) {
        auto len = rd.u32le();
        if (!len) break;
        auto text = rd.bytesUpTo(*len);
        putComment(r, std::string(text.begin(), text.end()));
    }
}

}  // namespace

InspectorResult inspectOgm(const std::string& path) {
    InspectorResult r;
    r.path = path;
    r.isOgm = true;
    for (std::size_t i = 0; i < kTagCount; ++i) r.tagCaptions[i] = kInfoTagIds[i];
    FileSource src(path);
    if (!src.isOpen()) {
        r.messages.push_back(Message::lang("AviDetectorMsgBox", 6, Icon::Critical));
        return r;
    }
    auto magic = src.fourcc(0);
    if (!magic || *magic != "OggS") {
        Message m = Message::lang("AviDetectorMsgBox", 2, Icon::Information, LangText("FormCaptions", 2));
        r.messages.push_back(m);
        return r;
    }
    r.ok = true;
    r.info.fileName = path;
    r.info.fileLength = src.size();
    r.fields[0].text = path;
    const double duration = runningTime(path);
    r.info.duration = duration;
    r.fields[59].text = numberText(roundHalfEven(src.size() / 1048576.0, 2));

    std::int64_t p = 0;
    int pages = 0;
    int audioStreams = 0;
    std::string lastType;
    while (lastType != "vorbi") {
        if (pages >= kMaxHeaderPages) break;
        auto capture = src.fourcc(p);
        if (!capture) break;  // the end of the file
        if (*capture != "OggS") {
            r.warnings.push_back("A header page does not start with \"OggS\": the walk stops there.");
            break;
        }
        auto segments = src.read(p + 26, 1);
        if (!segments) break;
        // One packet per header page: k lacing values of 255, then one below 255.
        int k = 0;
        std::int64_t total = 0;
        std::optional<std::uint8_t> lace;
        while (true) {
            auto b = src.read(p + 27 + k, 1);
            if (!b) break;
            lace = (*b)[0];
            if (*lace != 255 || k + 1 >= (*segments)[0]) break;
            ++k;
            total += 255;
        }
        if (!lace) break;
        total += *lace;
        const std::int64_t packetPos = p + 28 + k;
        auto packet = src.readUpTo(packetPos, static_cast<std::size_t>(total));
        BinaryReader pk(packet);
        const std::string type = packet.size() >= 6 ? std::string(packet.begin() + 1, packet.begin() + 6) : std::string();
        lastType = type;
        if (type == "video" && packet.size() >= 53) {
            const std::string fourcc(packet.begin() + 9, packet.begin() + 13);
            r.codecName = videoCodecName(fourcc);
            r.fields[1].text = r.codecName;
            r.fields[2].text = fourcc;
            setDecoderField(r, fourcc);
            const std::uint32_t timeUnit = *pk.u32leAt(17);
            if (timeUnit != 0) {
                r.fields[4].text = numberText(timeUnit / 10.0);
                r.fps = 10000000.0 / timeUnit;
                r.fields[5].text = numberText(roundHalfEven(r.fps, 3)) + " fps";
            }
            const std::int16_t bits = static_cast<std::int16_t>(*pk.u16leAt(41));
            const std::int16_t width = static_cast<std::int16_t>(*pk.u16leAt(45));
            const std::int16_t height = static_cast<std::int16_t>(*pk.u16leAt(49));
            r.fields[8].text = std::to_string(bits) + " bits";
            r.fields[6].text = std::to_string(width) + " px";
            r.fields[7].text = std::to_string(height) + " px";
            r.fields[3].text = aspectText(width, height);
            r.info.avih.dwWidth = width;
            r.info.avih.dwHeight = height;
            if (timeUnit != 0) {
                r.oggFrames = static_cast<std::int64_t>(roundHalfEven(10000000.0 / timeUnit * duration, 0));
                r.fields[10].text = std::to_string(r.oggFrames);
                const double uspf = roundHalfEven(timeUnit / 10.0, 0);
                r.fields[12].text = formatDurationText(uspf > 0 ? r.oggFrames / (1000000.0 / uspf) : 0);
                r.info.avih.dwMicroSecPerFrame = static_cast<std::int32_t>(uspf);
                r.info.avih.dwTotalFrames = static_cast<std::int32_t>(std::min<std::int64_t>(r.oggFrames, INT32_MAX));
            }
        } else if (type == "audio" && packet.size() >= 53) {
            if (audioStreams < kMaxOgmAudio) {
                // The format tag is written as hexadecimal digits: "55" is 0x55, MPEG layer 3.
                std::string digits;
                for (int i = 9; i < 13 && packet[static_cast<std::size_t>(i)] >= '0' && packet[static_cast<std::size_t>(i)] <= '9'; ++i)
                    digits.push_back(static_cast<char>(packet[static_cast<std::size_t>(i)]));
                const int tag = digits.empty() ? 0 : static_cast<int>(std::stoul(digits, nullptr, 16));
                const std::size_t b = static_cast<std::size_t>(6 * audioStreams);
                AudioSummary a;
                a.stream = audioStreams + 1;
                a.type = "audio";
                a.formatTag = tag;
                a.cbr = true;
                if (auto name = audioCodecName(static_cast<std::int16_t>(tag))) a.codec = *name;
                r.fields[21 + b].text = a.codec;
                a.sampleRate = static_cast<int>(*pk.u32leAt(25));
                a.channels = static_cast<std::int16_t>(*pk.u16leAt(45));
                const double avg = static_cast<std::int32_t>(*pk.u32leAt(49));
                a.kbps = roundHalfEven(avg / 1000 * 8, 0);
                a.sizeMB = roundHalfEven(avg * duration / 1048576, 2);
                r.fields[24 + b].text = std::to_string(a.sampleRate);
                r.fields[23 + b].text = std::to_string(a.channels);
                r.fields[22 + b].text = numberText(a.kbps);
                r.fields[25 + b].text = numberText(a.sizeMB);
                r.audio.push_back(a);
            }
            ++audioStreams;
        } else if (type == "vorbi" && packet[0] == 0x01 && packet.size() >= 24) {
            // A native Vorbis stream (how OGM muxers store Vorbis audio) starts with its
            // identification header, not a comment header: it is an audio stream, and the walk
            // goes on to the comments.
            lastType.clear();
            if (audioStreams < kMaxOgmAudio) {
                const std::size_t b = static_cast<std::size_t>(6 * audioStreams);
                AudioSummary a;
                a.stream = audioStreams + 1;
                a.type = "audio";
                a.formatTag = 26447;
                a.codec = audioCodecName(a.formatTag).value_or("Vorbis");
                a.channels = packet[11];
                a.sampleRate = static_cast<int>(*pk.u32leAt(12));
                const double nominal = static_cast<std::int32_t>(*pk.u32leAt(20));
                a.kbps = roundHalfEven(nominal / 1000, 0);
                a.sizeMB = roundHalfEven(nominal / 8 * duration / 1048576, 2);
                r.fields[21 + b].text = a.codec;
                r.fields[22 + b].text = numberText(a.kbps);
                r.fields[23 + b].text = std::to_string(a.channels);
                r.fields[24 + b].text = std::to_string(a.sampleRate);
                r.fields[25 + b].text = numberText(a.sizeMB);
                r.audio.push_back(a);
            }
            ++audioStreams;
        } else if (type == "vorbi") {
            readComments(r, packet);
        }
        p = packetPos + total;
        ++pages;
    }
    const int streams = std::max(pages - 1, 0);
    r.info.streamCount = static_cast<std::int16_t>(streams);
    r.info.avih.dwStreams = streams;
    r.fields[11].text = std::to_string(streams);
    r.audioTabs = streams > 3 ? (streams >= 5 ? 3 : 2) : 1;
    r.fields[62].text = "N/D";
    return r;
}

}  // namespace fw::avi
