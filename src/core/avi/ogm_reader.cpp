// The OGM reader: reads the packets of the header pages at the start of an Ogg file and fills the
// inspector's fields from the OGM stream headers (and native Vorbis identification headers) up to
// the first comment header, whose tags it reads.
extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <set>

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

double runningTime(const std::string& path, InspectorResult& r) {
    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) != 0) {
        r.warnings.push_back("The running time could not be read: the file's streams are not readable.");
        return 0;
    }
    double seconds = 0;
    if (ctx->duration <= 0) avformat_find_stream_info(ctx, nullptr);
    if (ctx->duration > 0) seconds = double(ctx->duration) / AV_TIME_BASE;
    else r.warnings.push_back("The running time could not be read.");
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
        // As with AVI tags: nothing in a file may drive the terminal or end a C string early.
        putComment(r, displayText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size())));
    }
}

// Packets of the header pages in file order. A page may carry several packets (libvorbis and
// ffmpeg put the comment and setup headers in one page) and a packet may go on over the next
// pages of its stream; both are put together here, each packet bounded in size.
struct OggPacket {
    std::uint32_t serial = 0;
    std::vector<std::uint8_t> data;
};

class OggPackets {
public:
    OggPackets(const FileSource& src, InspectorResult& r) : m_src(src), m_r(r) {}

    std::optional<OggPacket> next() {
        while (m_ready.empty())
            if (!readPage()) return std::nullopt;
        OggPacket p = std::move(m_ready.front());
        m_ready.pop_front();
        return p;
    }

private:
    // A comment header with cover art can be megabytes; the texts before it are what we show.
    static constexpr std::size_t kMaxPacket = 1 << 20;
    static constexpr std::size_t kMaxHeld = 4 << 20;

    bool readPage() {
        if (m_pages >= kMaxHeaderPages) return false;
        auto header = m_src.read(m_pos, 27);
        if (!header) return false;  // the end of the file
        if (std::string(header->begin(), header->begin() + 4) != "OggS") {
            m_r.warnings.push_back("A header page does not start with \"OggS\": the walk stops there.");
            return false;
        }
        const std::uint8_t flags = (*header)[5];
        const std::uint32_t serial = std::uint32_t((*header)[14]) | std::uint32_t((*header)[15]) << 8 |
                                     std::uint32_t((*header)[16]) << 16 | std::uint32_t((*header)[17]) << 24;
        const std::size_t segments = (*header)[26];
        auto lacing = m_src.read(m_pos + 27, segments);
        if (!lacing) return false;
        std::size_t total = 0;
        for (auto l : *lacing) total += l;
        const std::int64_t dataPos = m_pos + 27 + static_cast<std::int64_t>(segments);
        const auto data = m_src.readUpTo(dataPos, total);
        if (data.size() < total) return false;  // a page cut by the end of the file

        auto& part = m_partial[serial];
        // A continued packet whose start we never saw is skipped up to its end.
        bool skipping = (flags & 0x01) != 0 && !part.open;
        auto close = [&] {
            m_held -= part.data.size();
            part = {};
        };
        if ((flags & 0x01) == 0) close();
        std::size_t off = 0;
        for (auto l : *lacing) {
            const std::size_t take = l;
            // Each packet is bounded, and so are all unfinished ones together: every page may
            // open a packet of a new stream.
            if (!skipping && part.data.size() < kMaxPacket && m_held < kMaxHeld) {
                const std::size_t keep = std::min({take, kMaxPacket - part.data.size(), kMaxHeld - m_held});
                part.data.insert(part.data.end(), data.begin() + static_cast<std::ptrdiff_t>(off),
                                 data.begin() + static_cast<std::ptrdiff_t>(off + keep));
                m_held += keep;
            }
            off += l;
            part.open = true;
            if (l < 255) {
                if (!skipping) {
                    std::vector<std::uint8_t> packet;
                    packet.swap(part.data);
                    m_held -= packet.size();
                    m_ready.push_back({serial, std::move(packet)});
                }
                close();
                skipping = false;
            }
        }
        m_pos = dataPos + static_cast<std::int64_t>(total);
        ++m_pages;
        return true;
    }

    struct Partial {
        std::vector<std::uint8_t> data;
        bool open = false;
    };
    const FileSource& m_src;
    InspectorResult& m_r;
    std::int64_t m_pos = 0;
    int m_pages = 0;
    std::map<std::uint32_t, Partial> m_partial;
    std::size_t m_held = 0;  // bytes of unfinished packets
    std::deque<OggPacket> m_ready;
};

// Codecs of plain Ogg files, told by their first packet; the reader decodes OGM headers only.
const char* otherOggCodec(const std::vector<std::uint8_t>& p) {
    auto starts = [&](std::string_view magic) {
        return p.size() >= magic.size() && std::equal(magic.begin(), magic.end(), p.begin(),
                                                       [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    };
    if (starts("\x80theora")) return "Theora video";
    if (starts("OpusHead")) return "Opus audio";
    if (starts("\x7f" "FLAC")) return "FLAC audio";
    if (starts("Speex   ")) return "Speex audio";
    if (starts("fishead")) return "a skeleton track";
    return nullptr;
}

// What the data pages of each stream hold: packets and bytes, header packets left out. The
// whole file is read once, in large blocks, for figures the headers cannot give: the frames of
// the video and the real size of each audio stream.
struct OggStreamData {
    std::int64_t packets = 0;
    std::int64_t bytes = 0;
    // The packet being read across pages.
    bool open = false;
    bool header = false;
    std::int64_t pending = 0;
};

class OggDataScan {
public:
    // `ogm`: the serials of OGM streams, whose data packets start with a flag byte and up to seven
    // bytes of duration that are not the stream's own data.
    OggDataScan(const FileSource& src, InspectorResult& r, std::set<std::uint32_t> ogm)
        : m_src(src), m_r(r), m_ogm(std::move(ogm)) {}

    // False when the scan was stopped; the figures are then not used.
    bool run(Progress& progress) {
        constexpr std::size_t kBlock = 4 << 20;  // holds any page (at most 65307 bytes) whole
        const std::int64_t size = m_src.size();
        std::int64_t blockPos = 0;
        std::vector<std::uint8_t> block;
        std::int64_t p = 0;
        bool warned = false;
        auto refill = [&] {
            block = m_src.readUpTo(p, kBlock);
            blockPos = p;
            return progress.report(static_cast<std::uint64_t>(p), static_cast<std::uint64_t>(size));
        };
        while (p + 27 <= size) {
            // The window must hold the page header and the largest segment table.
            const std::int64_t windowEnd = blockPos + static_cast<std::int64_t>(block.size());
            if (p < blockPos || (p + 27 + 255 > windowEnd && windowEnd < size))
                if (!refill()) return false;
            const std::size_t at = static_cast<std::size_t>(p - blockPos);
            if (block.size() < at + 27) break;
            const std::uint8_t* h = block.data() + at;
            if (h[0] != 'O' || h[1] != 'g' || h[2] != 'g' || h[3] != 'S') {
                // Damage between pages: go on at the next capture pattern.
                if (!warned) m_r.warnings.push_back("The Ogg pages are damaged in places: sizes and frame counts skip the damage.");
                warned = true;
                const auto next = findCapture(block, at + 1);
                // Not in this window: look again from its last three bytes (a pattern may straddle).
                p = next != std::string::npos ? blockPos + static_cast<std::int64_t>(next)
                                              : std::max(p + 1, blockPos + static_cast<std::int64_t>(block.size()) - 3);
                continue;
            }
            const std::size_t segments = h[26];
            const std::uint32_t serial = std::uint32_t(h[14]) | std::uint32_t(h[15]) << 8 | std::uint32_t(h[16]) << 16 |
                                         std::uint32_t(h[17]) << 24;
            std::size_t body = 0;
            if (block.size() < at + 27 + segments) break;
            for (std::size_t k = 0; k < segments; ++k) body += h[27 + k];
            const std::int64_t pageEnd = p + 27 + static_cast<std::int64_t>(segments + body);
            if (pageEnd > size) break;  // a page cut by the end of the file
            if (pageEnd > blockPos + static_cast<std::int64_t>(block.size())) {
                if (!refill()) return false;
                continue;  // a page is at most 65307 bytes: the new window holds it whole
            }
            const std::uint8_t* data = h + 27 + segments;
            auto& s = m_streams[serial];
            if ((h[5] & 0x01) == 0) s.open = false;  // not a continuation: no packet runs into this page
            std::size_t off = 0;
            for (std::size_t k = 0; k < segments; ++k) {
                const std::size_t l = h[27 + k];
                if (!s.open) {
                    s.open = true;
                    s.pending = 0;
                    // OGM and Vorbis header packets have the low bit of their first byte set.
                    s.header = l == 0 || (data[off] & 0x01) != 0;
                    if (!s.header && m_ogm.count(serial)) {
                        const std::uint8_t flags = data[off];
                        const int lenBytes = ((flags >> 6) & 3) | ((flags << 1) & 4);
                        s.pending = -(1 + lenBytes);
                    }
                }
                s.pending += static_cast<std::int64_t>(l);
                off += l;
                if (l < 255) {
                    if (!s.header) {
                        ++s.packets;
                        s.bytes += std::max<std::int64_t>(s.pending, 0);
                    }
                    s.open = false;
                }
            }
            p = pageEnd;
        }
        progress.report(static_cast<std::uint64_t>(size), static_cast<std::uint64_t>(size));
        return true;
    }

    const OggStreamData* stream(std::uint32_t serial) const {
        auto it = m_streams.find(serial);
        return it == m_streams.end() ? nullptr : &it->second;
    }

private:
    static std::size_t findCapture(const std::vector<std::uint8_t>& b, std::size_t from) {
        for (std::size_t i = from; i + 4 <= b.size(); ++i)
            if (b[i] == 'O' && b[i + 1] == 'g' && b[i + 2] == 'g' && b[i + 3] == 'S') return i;
        return std::string::npos;
    }

    const FileSource& m_src;
    InspectorResult& m_r;
    std::set<std::uint32_t> m_ogm;
    std::map<std::uint32_t, OggStreamData> m_streams;
};

}  // namespace

InspectorResult inspectOgm(const std::string& path, Progress progress) {
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
    const double duration = runningTime(path, r);
    r.info.duration = duration;
    r.fields[59].text = numberText(roundHalfEven(src.size() / 1048576.0, 2));

    OggPackets packets(src, r);
    std::vector<std::uint32_t> serials;  // streams, in the order their first packet came
    std::optional<std::uint32_t> videoSerial;
    std::vector<std::uint32_t> audioSerials;  // of the entries of r.audio
    std::set<std::uint32_t> ogmSerials;       // streams with an OGM stream header
    int audioStreams = 0;
    auto audioSlot = [&](AudioSummary& a) {
        a.stream = audioStreams + 1;
        a.type = "audio";
        a.analysed = audioStreams < kMaxOgmAudio;
        ++audioStreams;
        return static_cast<std::size_t>(6 * (a.stream - 1));
    };
    while (auto pk = packets.next()) {
        const auto& packet = pk->data;
        const bool first = std::find(serials.begin(), serials.end(), pk->serial) == serials.end();
        if (first) serials.push_back(pk->serial);
        BinaryReader rd(packet);
        const std::string type = packet.size() >= 6 ? std::string(packet.begin() + 1, packet.begin() + 6) : std::string();
        if (packet.size() >= 7 && packet[0] == 0x03 && type == "vorbi") {
            // The first comment header ends the walk, as the header pages are over by then.
            readComments(r, packet);
            break;
        }
        if (!first) continue;
        if (packet.size() >= 6 && packet[0] == 0x01 && (type == "video" || type == "audio" || type.rfind("text", 0) == 0))
            ogmSerials.insert(pk->serial);
        if (packet.size() >= 1 && packet[0] == 0x01 && type == "video" && packet.size() >= 53) {
            if (!videoSerial) videoSerial = pk->serial;
            const std::string fourcc(packet.begin() + 9, packet.begin() + 13);
            r.codecName = videoCodecName(fourcc);
            r.fields[1].text = r.codecName;
            r.fields[2].text = printableCode(fourcc);
            setDecoderField(r, fourcc);
            const std::uint32_t timeUnit = *rd.u32leAt(17);
            if (timeUnit != 0) {
                r.fields[4].text = numberText(timeUnit / 10.0);
                r.fps = 10000000.0 / timeUnit;
                r.fields[5].text = numberText(roundHalfEven(r.fps, 3)) + " fps";
            }
            const std::int16_t bits = static_cast<std::int16_t>(*rd.u16leAt(41));
            const std::int16_t width = static_cast<std::int16_t>(*rd.u16leAt(45));
            const std::int16_t height = static_cast<std::int16_t>(*rd.u16leAt(49));
            r.bitDepth = bits;
            r.fields[8].text = std::to_string(bits) + " bits";
            r.fields[6].text = std::to_string(width) + " px";
            r.fields[7].text = std::to_string(height) + " px";
            r.fields[3].text = aspectText(width, height);
            r.info.avih.dwWidth = width;
            r.info.avih.dwHeight = height;
            if (timeUnit != 0) {
                r.oggFrames = toInt64Saturated(10000000.0 / timeUnit * duration);
                r.fields[10].text = std::to_string(r.oggFrames);
                const double uspf = roundHalfEven(timeUnit / 10.0, 0);
                r.fields[12].text = formatDurationText(uspf > 0 ? r.oggFrames / (1000000.0 / uspf) : 0);
                r.info.avih.dwMicroSecPerFrame = static_cast<std::int32_t>(uspf);
                r.info.avih.dwTotalFrames = static_cast<std::int32_t>(std::min<std::int64_t>(r.oggFrames, INT32_MAX));
                r.info.totalFrames = r.oggFrames;
            }
        } else if (packet.size() >= 53 && packet[0] == 0x01 && type == "audio") {
            AudioSummary a;
            const std::size_t b = audioSlot(a);
            // The format tag is written as hexadecimal digits: "55" is 0x55, MPEG layer 3.
            std::string digits;
            for (std::size_t i = 9; i < 13 && packet[i] >= '0' && packet[i] <= '9'; ++i) digits.push_back(static_cast<char>(packet[i]));
            const int tag = digits.empty() ? 0 : static_cast<int>(std::stoul(digits, nullptr, 16));
            a.formatTag = tag;
            if (a.analysed) {
                a.cbr = true;
                if (auto name = audioCodecName(static_cast<std::int16_t>(tag))) a.codec = *name;
                r.fields[21 + b].text = a.codec;
                a.sampleRate = static_cast<int>(*rd.u32leAt(25));
                a.channels = static_cast<std::int16_t>(*rd.u16leAt(45));
                const double avg = static_cast<std::int32_t>(*rd.u32leAt(49));
                a.kbps = roundHalfEven(avg / 1000 * 8, 0);
                a.sizeBytes = toInt64Saturated(avg * duration);
                a.sizeMB = roundHalfEven(avg * duration / 1048576, 2);
                a.sizeSource = "header";
                r.fields[24 + b].text = std::to_string(a.sampleRate);
                r.fields[23 + b].text = std::to_string(a.channels);
                r.fields[22 + b].text = numberText(a.kbps);
                r.fields[25 + b].text = numberText(a.sizeMB);
            }
            r.audio.push_back(a);
            audioSerials.push_back(pk->serial);
        } else if (packet.size() >= 24 && packet[0] == 0x01 && type == "vorbi") {
            // A native Vorbis stream (how OGM muxers and libvorbis store Vorbis audio) starts with
            // its identification header: an audio stream of its own.
            AudioSummary a;
            const std::size_t b = audioSlot(a);
            a.formatTag = 26447;
            if (a.analysed) {
                a.codec = audioCodecName(a.formatTag).value_or("Vorbis");
                a.channels = packet[11];
                a.sampleRate = static_cast<int>(*rd.u32leAt(12));
                const double nominal = static_cast<std::int32_t>(*rd.u32leAt(20));
                a.kbps = roundHalfEven(nominal / 1000, 0);
                a.sizeBytes = toInt64Saturated(nominal / 8 * duration);
                a.sizeMB = roundHalfEven(nominal / 8 * duration / 1048576, 2);
                a.sizeSource = "header";
                r.fields[21 + b].text = a.codec;
                r.fields[22 + b].text = numberText(a.kbps);
                r.fields[23 + b].text = std::to_string(a.channels);
                r.fields[24 + b].text = std::to_string(a.sampleRate);
                r.fields[25 + b].text = numberText(a.sizeMB);
            }
            r.audio.push_back(a);
            audioSerials.push_back(pk->serial);
        } else if (const char* codec = otherOggCodec(packet)) {
            r.warnings.push_back("Stream " + std::to_string(serials.size()) + " is " + codec +
                                 ", not an OGM stream: its figures are not shown.");
        }
    }
    // The data pages give what the headers cannot: the video's own frame count (the running time
    // is the longest stream's, often the audio's) and each audio stream's real size.
    OggDataScan scan(src, r, ogmSerials);
    if (scan.run(progress)) {
        const OggStreamData* video = videoSerial ? scan.stream(*videoSerial) : nullptr;
        if (video && video->packets > 0 && r.fps > 0) {
            r.oggFrames = video->packets;
            r.info.totalFrames = video->packets;
            r.info.avih.dwTotalFrames = static_cast<std::int32_t>(std::min<std::int64_t>(video->packets, INT32_MAX));
            r.info.duration = double(video->packets) / r.fps;
            r.fields[10].text = std::to_string(r.oggFrames);
            const double uspf = roundHalfEven(1000000.0 / r.fps, 0);
            r.fields[12].text = formatDurationText(uspf > 0 ? double(r.oggFrames) / (1000000.0 / uspf) : 0);
        }
        for (std::size_t k = 0; k < r.audio.size() && k < audioSerials.size(); ++k) {
            auto& a = r.audio[k];
            const OggStreamData* d = scan.stream(audioSerials[k]);
            if (!a.analysed || !d) continue;
            a.sizeBytes = d->bytes;
            a.sizeMB = roundHalfEven(double(d->bytes) / 1048576, 2);
            a.sizeSource = "pages";
            r.fields[static_cast<std::size_t>(25 + 6 * (a.stream - 1))].text = numberText(a.sizeMB);
        }
    }
    const int streams = static_cast<int>(serials.size());
    r.info.streamCount = static_cast<std::int16_t>(std::min(streams, 32767));
    r.info.avih.dwStreams = streams;
    r.fields[11].text = std::to_string(streams);
    r.audioTabs = streams > 3 ? (streams >= 5 ? 3 : 2) : 1;
    r.fields[62].text = "N/D";
    return r;
}

}  // namespace fw::avi
