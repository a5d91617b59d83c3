// The header walk of an AVI file: each record's position follows from the sizes read before it,
// in a fixed order, on the canonical layout. Every read is checked against the end of the file;
// a read that falls outside it ends the walk with a warning and keeps what was read.
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

// Text of chunk data as the grid shows it: bytes up to the first NUL, control characters as blanks.
std::string chunkText(const std::vector<std::uint8_t>& bytes) {
    std::string s;
    for (auto b : bytes) {
        if (b == 0) break;
        s.push_back(b < 0x20 ? ' ' : static_cast<char>(b));
    }
    return s;
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
    info.chunks.push_back({c.id, c.size, chunkText(data)});
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
        auto c = chunkAt(q, "INFO tags");
        if (!c) break;
        std::int64_t size = std::max<std::int32_t>(c->size, 0);
        size = std::min(size, end - (q + 8));
        auto data = src.readUpTo(q + 8, static_cast<std::size_t>(std::min<std::int64_t>(size, kMaxChunkText)));
        std::string text = chunkText(data);
        info.chunks.push_back({c->id, c->size, text});
        for (int i = 0; i < kTagCount; ++i)
            if (c->id == kInfoTagIds[static_cast<std::size_t>(i)]) result.tags[static_cast<std::size_t>(i)] = text;
        if (size % 2 == 1) ++size;  // sub-chunks are word aligned
        q += 8 + size;
    }
}

void Walk::preloadCheck(std::int64_t m) {
    int streams = std::min<int>(info.streamCount, 7);
    const std::int32_t avg = info.streamFormats[0] ? info.streamFormats[0]->nAvgBytesPerSec : 0;
    for (int k = 0; k <= streams - 2; ++k) {
        auto b = src.read(m + 4, DataChunkHeader::kSize);
        if (!b) break;
        auto c = DataChunkHeader::parse(*b);
        if (ifind(c->type, "wb") != std::string::npos) {
            int n = std::atoi(c->stream.c_str());
            if (n >= 1 && n <= kShownStreams && avg > 0) {
                double preload = double(c->size) / avg;
                info.preloadMs[static_cast<std::size_t>(n - 1)] = roundHalfEven(preload * 1000, 0);
                result.fields[static_cast<std::size_t>(26 + 6 * (n - 1))].text =
                    numberText(roundHalfEven(preload * 1000, 0)) + " ms - " + numberText(roundHalfEven(preload, 3)) + " sec";
            }
        } else if (info.streamCount > 1 && k < kShownStreams) {
            result.fields[static_cast<std::size_t>(26 + 6 * k)].text = "No audio preload";
        }
        std::int64_t size = std::max<std::int32_t>(c->size, 0);
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
    info.riffSize = src.i32(kRiffSizePos).value_or(0);
    if (double(info.riffSize) - double(info.fileLength) < 1) {
        info.truncated = false;
        result.fields[20].text = LangText("AviDetector", 4);
    } else {
        info.truncated = true;
        info.missingMB = roundHalfEven(roundHalfEven((double(info.riffSize) - double(info.fileLength)) / 1048576, 2), 0);
        result.fields[20].text = LangText("AviDetector", 3) + numberText(info.missingMB) + " MB";
        result.fields[20].colour = kYellow;
    }
    result.fields[58].text = numberText(roundHalfEven(info.riffSize / 1048576.0, 2));
    result.fields[59].text = numberText(roundHalfEven(double(info.fileLength) / 1048576.0, 2));

    auto hdrl = src.i32(kHdrlSizePos);
    auto avihBytes = src.read(kAvihPos, MainHeader::kSize);
    if (!hdrl || !avihBytes) {
        warn("The file ends before the main header.");
        return true;
    }
    info.hdrlSize = *hdrl;
    info.avih = *MainHeader::parse(*avihBytes);
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
    return true;
}

void Walk::walkStreams() {
    const std::int64_t s0 = kFirstStrlBase + std::int64_t(info.avih.cb);
    info.listPos[0] = s0;
    info.lists[0] = listAt(s0, "first stream list");
    if (!info.lists[0]) return;
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
    // OpenDML: the list after the last stream list.
    const std::size_t last = static_cast<std::size_t>(std::max<std::int16_t>(info.streamCount, 0));
    if (last < info.lists.size() && info.lists[last] && info.lists[last]->type == "odml") {
        if (auto frames = src.i32(info.listPos[last] + 20)) {
            info.openDml = true;
            info.odmlTotalFrames = *frames;
        }
    }
}

void Walk::walkAfterHeader() {
    std::int64_t hpos = 20 + std::int64_t(info.hdrlSize);
    auto c = chunkAt(hpos, "data after the header list");
    if (!c) return;
    const std::string id = toLower(c->id);
    if (id == "junk") {
        listChunk(*c, hpos);
        hpos += std::int64_t(c->size) + 16;
    } else if (id == "list") {
        auto l = listAt(hpos, "list after the header list");
        if (l && toLower(l->type) == "info") {
            info.infoPresent = true;
            readInfoList(hpos + 4);
        }
        hpos += std::int64_t(c->size) + 8;
    }
    auto next = src.fourcc(hpos);
    if (next && toLower(*next) == "junk") {
        if (auto j = chunkAt(hpos, "JUNK chunk")) {
            listChunk(*j, hpos);
            hpos += std::int64_t(j->size) + 16;
        }
    }
    next = src.fourcc(hpos);
    if (next && toLower(*next) == "movi") {
        info.moviTypePos = hpos;
        info.moviSize = src.i32(hpos - 4).value_or(0);
        preloadCheck(hpos);
        if (info.hasIndex) info.indexPos = hpos + std::int64_t(info.moviSize);
    }
}

}  // namespace fw::avi
