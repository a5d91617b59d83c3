// The header walk of an AVI file: each record's position follows from the sizes read before it,
// in a fixed order, on the canonical layout. Every read is checked against the end of the file;
// a read that falls outside it ends the walk with a warning and keeps what was read.
#include <cctype>
#include <cmath>

#include "core/avi/avi_internal.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::avi {

const std::array<const char*, kTagCount> kInfoTagIds = {
    "INAM", "IART", "ICOP", "ICMT", "ISBJ", "ISFT", "ICRD", "IPRD", "IGNR", "IWRI", "IPRO", "IEDT", "IRTD", "ISTD",
    "ISGN", "ISTR", "IMUS", "IENG", "ICDS", "IPDS", "IDST", "IARL", "ICMS", "ICNT", "ILNG", "IKEY", "IPRT", "IFRM",
    "ITCH", "IDIT", "IWEB", "IMED", "ISRF", "ISRC", "ICRP", "ISHP", "IDIM", "ILGT", "IDPI", "IPLY"};

const std::array<const char*, 6> kFlagNames = {"AVIF_ISINTERLEAVED", "AVIF_HASINDEX",       "AVIF_MUSTUSEINDEX",
                                               "AVIF_COPYRIGHTED",   "AVIF_WASCAPTUREFILE", "AVIF_TRUSTCKTYPE"};

namespace {

std::string chunkText(const std::vector<std::uint8_t>& bytes) {
    return displayText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Chunk contents shown in the grid are cut here: a JUNK chunk can be megabytes of padding.
constexpr std::size_t kMaxChunkText = 4096;

}  // namespace

void Walk::warn(const std::string& what) {
    if (result.warnings.empty() || result.warnings.back() != what) result.warnings.push_back(what);
}

void Walk::listChunk(const ChunkHeader& c, std::int64_t pos) {
    if (ifind(c.id, "strn") == std::string::npos && ifind(c.id, "junk") == std::string::npos) return;
    std::size_t len = c.size > 0 ? static_cast<std::size_t>(c.size) : 0;
    auto data = src.readUpTo(pos + 8, std::min(len, kMaxChunkText));
    info.chunks.push_back({printableCode(c.id), c.size, chunkText(data)});
}

std::optional<ChunkHeader> Walk::chunkAt(std::int64_t pos, const char* what) {
    auto b = src.read(pos, 8);
    if (!b) {
        warn(std::string("The file ends before the ") + what + ".");
        return std::nullopt;
    }
    return ChunkHeader::parse(*b);
}

std::optional<ListHeader> Walk::listAt(std::int64_t pos, const char* what) {
    auto b = src.read(pos, ListHeader::kSize);
    if (!b) {
        warn(std::string("The file ends before the ") + what + ".");
        return std::nullopt;
    }
    return ListHeader::parse(*b);
}

void Walk::readInfoList(std::int64_t p) {
    auto sizeBytes = src.read(p, 4);
    if (!sizeBytes) return;
    // The list size bounds the loop: sub-chunks are read only up to the end of the list.
    std::int64_t listSize = static_cast<std::int32_t>((*sizeBytes)[0] | (*sizeBytes)[1] << 8 | (*sizeBytes)[2] << 16 |
                                                      std::uint32_t((*sizeBytes)[3]) << 24);
    info.chunks.push_back({"INFO", static_cast<std::int16_t>(listSize & 0xFFFF), ""});
    std::int64_t end = std::min<std::int64_t>(p + 4 + std::max<std::int64_t>(listSize, 0), src.size());
    std::int64_t q = p + 8;
    while (q + 8 <= end) {
        if (infoTags >= kMaxInfoTags) {
            if (infoTags++ == kMaxInfoTags) warn("The file has more than 1024 INFO tags: the rest are not read.");
            break;
        }
        ++infoTags;
        auto c = chunkAt(q, "INFO tags");
        if (!c) break;
        std::int64_t size = std::max<std::int32_t>(c->size, 0);
        size = std::min(size, end - (q + 8));
        auto data = src.readUpTo(q + 8, static_cast<std::size_t>(std::min<std::int64_t>(size, kMaxChunkText)));
        std::string text = chunkText(data);
        info.chunks.push_back({printableCode(c->id), c->size, text});
        for (int i = 0; i < kTagCount; ++i)
            if (c->id == kInfoTagIds[static_cast<std::size_t>(i)]) result.tags[static_cast<std::size_t>(i)] = text;
        if (size % 2 == 1) ++size;  // sub-chunks are word aligned
        q += 8 + size;
    }
}

void Walk::preloadCheck(std::int64_t m) {
    // The chunks are only recorded here: the audio's average rate, which turns their sizes into
    // times, may have to come from the index (ffmpeg writes 0 for VBR MP3).
    const int streams = std::min<int>(info.streamCount, 7);
    for (int k = 0; k <= streams - 2; ++k) {
        auto b = src.read(m + 4, DataChunkHeader::kSize);
        if (!b) break;
        auto c = DataChunkHeader::parse(*b);
        const bool audio = ifind(c->type, "wb") != std::string::npos;
        const int n = audio && std::isdigit(static_cast<unsigned char>(c->stream[0])) && std::isdigit(static_cast<unsigned char>(c->stream[1]))
                          ? std::stoi(c->stream) : 0;
        std::int64_t size = std::max<std::int32_t>(c->size, 0);
        // A chunk that runs past the end of the file says nothing about the preload.
        if (!src.contains(m + 12, size)) {
            warn("A data chunk at the start of the movi list runs past the end of the file.");
            break;
        }
        info.preloadChunks.push_back({k, audio, n, size});
        m += size + 8 + (size % 2);
    }
}

bool Walk::run() {
    auto form = src.fourcc(kFormTypePos);
    if (!form || *form != "AVI ") {
        result.messages.push_back(Message::lang("AviDetectorMsgBox", 1, Icon::Exclamation));
        return false;
    }
    info.fileLength = src.size();
    info.riffSize = src.u32(kRiffSizePos).value_or(0);
    walkRiffParts();
    // The RIFF size of a complete file is its length less 8; an OpenDML file is complete when its
    // last RIFF AVIX part ends where the file does.
    const std::int64_t declared = info.riffEnd - 8;
    if (double(declared) - double(info.fileLength) < 1) {
        info.truncated = false;
        result.fields[20].text = LangText("AviDetector", 4);
    } else {
        info.truncated = true;
        info.missingMB = roundHalfEven(roundHalfEven((double(declared) - double(info.fileLength)) / 1048576, 2), 0);
        result.fields[20].text = LangText("AviDetector", 3) + numberText(info.missingMB) + " MB";
        result.fields[20].colour = kYellow;
    }
    result.fields[58].text = numberText(roundHalfEven(double(declared) / 1048576.0, 2));
    result.fields[59].text = numberText(roundHalfEven(double(info.fileLength) / 1048576.0, 2));

    auto hdrl = src.i32(kHdrlSizePos);
    auto avihBytes = src.read(kAvihPos, MainHeader::kSize);
    if (!hdrl || !avihBytes) {
        warn("The file ends before the main header.");
        return true;
    }
    info.hdrlSize = *hdrl;
    info.avih = *MainHeader::parse(*avihBytes);
    info.mainHeaderRead = true;
    const auto& h = info.avih;
    if (h.dwStreams > kMaxStreams) {
        result.messages.push_back(Message::lang("AviDetectorMsgBox", 4, Icon::Exclamation));
        result.fields[20] = {};
        return false;
    }
    info.streamCount = static_cast<std::int16_t>(std::max(h.dwStreams, 0));
    info.hasIndex = (h.dwFlags & AVIF_HASINDEX) != 0;
    result.flags = {(h.dwFlags & AVIF_ISINTERLEAVED) != 0, (h.dwFlags & AVIF_HASINDEX) != 0,
                    (h.dwFlags & AVIF_MUSTUSEINDEX) != 0,  (h.dwFlags & AVIF_COPYRIGHTED) != 0,
                    (h.dwFlags & AVIF_WASCAPTUREFILE) != 0, (h.dwFlags & AVIF_TRUSTCKTYPE) != 0};
    for (std::size_t i = 0; i < 6; ++i) result.fields[14 + i].text = result.flags[i] ? "Yes" : "No";
    info.preloadMs.assign(kShownStreams, NAN);

    walkStreams();
    walkAfterHeader();
    // The main header counts the frames of the first RIFF only. An OpenDML file counts them all
    // in the video stream's dwLength, and in its dmlh, but ffmpeg adds the MP3 packets to the
    // dmlh count, so the stream header comes first.
    info.totalFrames = h.dwTotalFrames;
    if (info.openDml) {
        const std::int64_t streamLength = info.videoHeader ? std::uint32_t(info.videoHeader->dwLength) : 0;
        info.totalFrames = streamLength > 0 ? streamLength : std::max<std::int32_t>(info.odmlTotalFrames, 0);
    }
    return true;
}

void Walk::walkRiffParts() {
    // The first RIFF, then the RIFF AVIX parts an OpenDML writer adds after it. Each part holds at
    // least its 12-byte header, so the count is bounded by the file; the cap keeps a damaged
    // chain from costing more than a glance.
    constexpr int kMaxParts = 65536;
    std::int64_t pos = 0;
    std::int64_t size = info.riffSize;
    info.riffParts = 1;
    info.riffEnd = 8 + size;
    while (info.riffParts < kMaxParts) {
        const std::int64_t next = pos + 8 + size + (size & 1);
        if (!src.contains(next, 12)) break;
        auto id = src.fourcc(next);
        auto type = src.fourcc(next + 8);
        if (!id || !type || *id != "RIFF" || *type != "AVIX") break;
        pos = next;
        size = src.u32(next + 4).value_or(0);
        info.riffEnd = pos + 8 + size;
        ++info.riffParts;
        // Each part's first chunk is its movi list.
        auto list = src.fourcc(pos + 12);
        auto moviType = src.fourcc(pos + 20);
        if (list && moviType && *list == "LIST" && *moviType == "movi") info.moviTotal += src.u32(pos + 16).value_or(0);
    }
}

// The indx chunk of a stream list, when it has one: OpenDML files index every stream there.
std::optional<std::int64_t> Walk::findSuperIndex(std::int64_t listPos, std::int64_t listSize) {
    constexpr int kMaxChunks = 64;
    const std::int64_t end = std::min(listPos + 8 + listSize, src.size());
    std::int64_t q = listPos + 12;
    for (int n = 0; n < kMaxChunks && q + 8 <= end; ++n) {
        auto id = src.fourcc(q);
        auto size = src.u32(q + 4);
        if (!id || !size) break;
        if (*id == "indx") return q;
        q += 8 + std::int64_t(*size) + (*size & 1);
    }
    return std::nullopt;
}

void Walk::walkStreams() {
    const std::int64_t s0 = kFirstStrlBase + std::int64_t(info.avih.cb);
    info.listPos[0] = s0;
    info.lists[0] = listAt(s0, "first stream list");
    if (!info.lists[0]) return;
    info.superIndexPos[0] = findSuperIndex(s0, info.lists[0]->size);
    auto strh = src.read(s0 + 16, StreamHeader::kSize);
    if (!strh) return warn("The file ends before the video stream header.");
    info.videoHeader = StreamHeader::parse(*strh);
    auto strf = src.read(s0 + 24 + info.videoHeader->cb, BitmapFormat::kSize);
    if (!strf) return warn("The file ends before the video format.");
    info.videoFormat = BitmapFormat::parse(*strf);
    const std::int64_t c1 = s0 + 28 + std::int64_t(info.videoHeader->cb) + info.videoFormat->cb;
    if (auto c = chunkAt(c1, "chunk after the video format")) listChunk(*c, c1);

    info.listPos[1] = s0 + 8 + std::int64_t(info.lists[0]->size);
    info.lists[1] = listAt(info.listPos[1], "second stream list");
    // The count is the clamped one: a negative dwStreams must not wrap into a huge loop.
    for (int i = 0; i + 1 < info.streamCount; ++i) {
        const std::size_t slot = static_cast<std::size_t>(i + 1);
        if (!info.lists[slot]) return;
        const std::int64_t lk = info.listPos[slot];
        info.superIndexPos[slot] = findSuperIndex(lk, info.lists[slot]->size);
        auto sh = src.read(lk + 16, StreamHeader::kSize);
        if (!sh) return warn("The file ends before a stream header.");
        auto& header = info.streamHeaders[static_cast<std::size_t>(i)];
        header = StreamHeader::parse(*sh);
        auto sf = src.read(lk + 20 + header->cb, WaveFormat::kSize);
        if (!sf) return warn("The file ends before a stream format.");
        auto& format = info.streamFormats[static_cast<std::size_t>(i)];
        format = WaveFormat::parse(*sf);
        const std::int64_t next = lk + 20 + std::int64_t(header->cb) + 8 + format->size;
        if (auto c = chunkAt(next, "chunk after a stream format")) listChunk(*c, next);
        info.listPos[slot + 1] = lk + 8 + std::int64_t(info.lists[slot]->size);
        info.lists[slot + 1] = listAt(info.listPos[slot + 1], "next list");
    }
    // OpenDML: the list after the last stream list. Only a LIST of type odml counts: ffmpeg
    // reserves the room with a JUNK chunk whose data begins "odml" in every file under 1 GiB.
    const std::size_t last = static_cast<std::size_t>(std::max<std::int16_t>(info.streamCount, 0));
    if (last < info.lists.size() && info.lists[last] && info.lists[last]->id == "LIST" &&
        info.lists[last]->type == "odml") {
        if (auto frames = src.i32(info.listPos[last] + 20)) {
            info.openDml = true;
            info.odmlTotalFrames = *frames;
        }
    }
}

void Walk::walkAfterHeader() {
    // The top-level chunks of the first RIFF in order, up to the movi list: writers put the
    // header list, an INFO list and JUNK padding there in several orders, or leave some out.
    // The file's end bounds the walk, not the RIFF size: a capture that crashed leaves 0 there.
    constexpr int kMaxTopChunks = 4096;
    const std::int64_t end = src.size();
    std::int64_t pos = 12;
    for (int n = 0; n < kMaxTopChunks && pos + 8 <= end; ++n) {
        auto c = chunkAt(pos, "chunk after the header list");
        if (!c) return;
        const std::int64_t size = std::uint32_t(c->size);
        const std::string id = toLower(c->id);
        if (id == "list") {
            auto type = src.fourcc(pos + 8);
            if (!type) return;
            const std::string t = toLower(*type);
            if (t == "info") {
                info.infoPresent = true;
                readInfoList(pos + 4);
            } else if (t == "movi") {
                const std::int64_t h = pos + 8;
                info.moviTypePos = h;
                info.moviSize = size;
                info.moviTotal += size;
                preloadCheck(h);
                if (info.hasIndex) info.indexPos = h + std::int64_t(info.moviSize);
                return;
            }
        } else if (id == "junk") {
            listChunk(*c, pos);
        }
        pos += 8 + size + (size & 1);
    }
}

}  // namespace fw::avi
