#include "core/avi/avi_repair.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/avi/avi_layout.h"
#include "core/avi/inspector.h"
#include "core/avi/movi_scan.h"
#include "core/common/atomic_file.h"
#include "core/common/file_io.h"
#include "core/common/lang.h"

namespace fw::avi {

namespace {

constexpr std::uint32_t kKeyFrameFlag = 0x10;  // AVIIF_KEYFRAME

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Message failure(int key) { return Message::lang("AviRepair", key, Icon::Critical); }

// The new file could not be written: with the system's reason (a missing folder, no permission,
// a full disk), which the failing call left in errno.
Message writeFailure(int err) {
    Message m = failure(3);
    if (err != 0) m.suffix = std::string(" (") + std::strerror(err) + ")";
    return m;
}

}  // namespace

std::string keySourceText(KeySource k) {
    switch (k) {
        case KeySource::VideoData: return LangText("AviRepair", 10);
        case KeySource::OldIndex: return LangText("AviRepair", 11);
        case KeySource::EveryFrame: return LangText("AviRepair", 12);
        case KeySource::Mixed: return LangText("AviRepair", 13);
    }
    return {};
}

RepairResult repairAvi(const std::string& source, const std::string& output, Progress progress) {
    RepairResult res;
    errno = 0;
    std::error_code ec;
    if (std::filesystem::equivalent(source, output, ec)) {
        res.messages.push_back(failure(5));
        return res;
    }
    FileSource src(source);
    std::string why;
    auto layout = std::filesystem::exists(source, ec) ? readLayout(src, &why) : std::nullopt;
    if (!layout) {
        if (why.empty()) why = LangText("AviHealth", 34);
        Message m = failure(1);
        m.suffix = " " + why;
        res.messages.push_back(m);
        return res;
    }
    const AviLayout& l = *layout;
    if (l.openDml) {
        res.messages.push_back(failure(2));
        return res;
    }
    // What the old index knew about key frames, where it can still be read: each video frame it
    // lists, by its data position, and whether it was marked. A cut index says nothing about the
    // frames after its end.
    // Bounded: 46 hours of video at 25 frames a second, 32 MB; a hostile index cannot fill the
    // memory. Each entry is its data position shifted left, the key flag in the low bit.
    constexpr std::size_t kMaxOldEntries = 4u << 20;
    std::vector<std::int64_t> oldKeys;
    if (l.idx1Pos >= 0) {
        visitIndex(source, [&](const IndexEntryView& e) {
            if (e.video && e.dataPos >= 0 && oldKeys.size() < kMaxOldEntries) oldKeys.push_back(e.dataPos * 2 + (e.key ? 1 : 0));
        });
        std::sort(oldKeys.begin(), oldKeys.end());
    }
    auto oldKey = [&](std::int64_t dataPos) -> int {  // 1 key, 0 not, -1 not listed
        const auto it = std::lower_bound(oldKeys.begin(), oldKeys.end(), dataPos * 2);
        return it != oldKeys.end() && *it / 2 == dataPos ? static_cast<int>(*it & 1) : -1;
    };

    AtomicFileWriter out(output);
    // Everything before the movi data as it is: RIFF, the header lists, "LIST size movi".
    bool ok = out.ok();
    {
        std::int64_t at = 0;
        const int in = openRegular(source, O_RDONLY);
        ok = ok && in >= 0;
        while (ok && at < l.moviDataPos) {
            const std::int64_t n = copyChunk(in, &at, out.fd(), static_cast<std::size_t>(l.moviDataPos - at));
            ok = n > 0;
        }
        if (in >= 0) ::close(in);
    }
    // The new index goes to a spool file: its size is the number of chunks kept, which a damaged
    // or hostile file could make large. It is a nameless file on the output's own disk (so a full
    // disk is the one the message names, and nothing can be left behind), else one in /tmp. Written
    // in 64 KB blocks through writeAll: stdio would drop a failed last block at the rewind.
    const std::string outDir = std::filesystem::path(output).parent_path().empty() ? "." : std::filesystem::path(output).parent_path().string();
    int spoolFd = ::open(outDir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> fallback(nullptr, std::fclose);
    if (spoolFd < 0) {
        fallback.reset(std::tmpfile());
        spoolFd = fallback ? ::fileno(fallback.get()) : -1;
    }
    struct CloseSpool {
        int fd;
        bool owned;
        ~CloseSpool() {
            if (owned && fd >= 0) ::close(fd);
        }
    } closeSpool{spoolFd, !fallback};
    ok = ok && spoolFd >= 0;
    std::vector<std::uint8_t> spoolBuf;
    std::int64_t spooled = 0;
    auto flushSpool = [&] {
        ok = ok && writeAll(spoolFd, spoolBuf.data(), spoolBuf.size());
        spooled += static_cast<std::int64_t>(spoolBuf.size());
        spoolBuf.clear();
    };
    const int in = openRegular(source, O_RDONLY);
    ok = ok && in >= 0;

    std::int64_t outPos = l.moviDataPos;  // the new file's length so far
    std::int64_t runStart = -1, runEnd = -1;  // contiguous source bytes still to copy
    // Copied in steps of 32 MB, each sent on to the disk as the next is copied: the commit's fsync
    // then waits for the last step only, not for the whole file.
    constexpr std::int64_t kStep = 32 << 20;
    std::int64_t outWritten = l.moviDataPos, sentOn = 0;
    auto flush = [&] {
        std::int64_t at = runStart;
        while (ok && at < runEnd) {
            const std::int64_t n = copyChunk(in, &at, out.fd(), static_cast<std::size_t>(std::min(runEnd - at, kStep)));
            ok = n > 0;
            outWritten += std::max<std::int64_t>(n, 0);
            if (outWritten - sentOn >= kStep) {
                startWriteback(out.fd(), sentOn, outWritten - sentOn);
                sentOn = outWritten;
            }
        }
        runStart = runEnd = -1;
    };
    std::vector<std::int64_t> kept(l.streams.size(), 0), keptBytes(l.streams.size(), 0);
    const std::string compression = l.videoStream >= 0 ? l.streams[static_cast<std::size_t>(l.videoStream)].compression : "";
    const bool msMpeg4 = isMsMpeg4(compression);
    const bool asp = isMpeg4Asp(compression);
    const bool h264 = isH264(compression);
    bool fromData = false, fromIndex = false, guessed = false;
    Mpeg4Frames vops;
    auto scan = scanMovi(
        src, l,
        [&](const MoviChunk& c) {
            if (!ok) return false;
            const std::int64_t whole = 8 + std::int64_t(c.size) + ((c.size & 1) && !c.padMissing ? 1 : 0);
            if (runEnd == c.pos) {
                runEnd += whole;
            } else {
                flush();
                runStart = c.pos;
                runEnd = c.pos + whole;
            }
            const std::int64_t entryPos = outPos;
            outPos += whole;
            if (c.padMissing) {
                // The pad byte RIFF asks for is written here, so the new file is well formed.
                flush();
                const std::uint8_t zero = 0;
                ok = ok && writeAll(out.fd(), &zero, 1);
                ++outPos;
            }
            bool key = true;
            if (c.video() && c.stream == l.videoStream) {
                if (c.size == 0) {
                    key = false;  // a dropped frame
                } else {
                    // The frame type from the bitstream: 0 a key frame, more than 0 another,
                    // -1 when the codec or the bytes do not say. An H.264 key frame's slice
                    // may follow several hundred bytes of parameter sets and encoder notes.
                    int type = -1;
                    if (msMpeg4 || asp) {
                        const auto head = src.readUpTo(c.pos + 8, std::min<std::uint32_t>(c.size, 512));
                        type = msMpeg4 ? (head.empty() ? -1 : head[0] >> 6) : vops.frameType(head.data(), head.size());
                    } else if (h264) {
                        const auto head = src.readUpTo(c.pos + 8, std::min<std::uint32_t>(c.size, 4096));
                        const int idr = h264FrameKey(head.data(), head.size());
                        type = idr < 0 ? -1 : idr == 1 ? 0 : 1;
                    }
                    if (type >= 0) {
                        key = type == 0;
                        fromData = true;
                    } else if (const int old = oldKey(c.pos + 8); old >= 0) {
                        key = old == 1;
                        fromIndex = true;
                    } else {
                        key = true;
                        guessed = true;
                    }
                }
                if (key) ++res.keyFrames;
                ++res.framesKept;
            }
            std::uint8_t e[16];
            const char id[5] = {static_cast<char>('0' + c.stream / 10), static_cast<char>('0' + c.stream % 10), c.kind[0], c.kind[1], 0};
            std::memcpy(e, id, 4);
            put32(e + 4, key ? kKeyFrameFlag : 0);
            put32(e + 8, static_cast<std::uint32_t>(entryPos - (l.moviDataPos - 4)));  // from the "movi" field
            put32(e + 12, c.size);
            spoolBuf.insert(spoolBuf.end(), e, e + 16);
            if (spoolBuf.size() >= (64u << 10)) flushSpool();
            if (c.stream >= 0 && c.stream < static_cast<int>(kept.size())) {
                ++kept[static_cast<std::size_t>(c.stream)];
                keptBytes[static_cast<std::size_t>(c.stream)] += c.size;
            }
            ++res.chunksKept;
            return ok;
        },
        progress);
    flush();
    if (in >= 0) ::close(in);
    res.damagedRegions = scan.damagedRegions;
    res.skippedBytes = scan.skippedBytes;
    res.cutShort = scan.cutShort;
    if (!scan.ok && ok) {
        res.stopped = true;
        return res;  // the temporary file goes with `out`
    }
    if (!ok) {
        res.messages.push_back(writeFailure(errno));
        return res;
    }
    if (res.framesKept == 0) {
        res.messages.push_back(failure(4));
        return res;
    }

    // The new index after movi, from the spool.
    const std::int64_t moviOutEnd = outPos;
    if (moviOutEnd + 8 + res.chunksKept * 16 > 0xFFFFFFFFll) {
        res.messages.push_back(failure(6));  // past what one RIFF's 32-bit size can hold
        return res;
    }
    std::uint8_t idxHeader[8] = {'i', 'd', 'x', '1'};
    put32(idxHeader + 4, static_cast<std::uint32_t>(res.chunksKept * 16));
    flushSpool();
    ok = ok && spooled == res.chunksKept * 16 && writeAll(out.fd(), idxHeader, 8);
    // No bigger than the index: most repaired files are small, and a zeroed megabyte each time
    // was most of the work for them.
    std::vector<char> buf(static_cast<std::size_t>(std::clamp<std::int64_t>(spooled, 16, 1 << 20)));
    std::int64_t copied = 0;
    while (ok && copied < spooled) {
        const ssize_t n = ::pread(spoolFd, buf.data(), static_cast<std::size_t>(std::min<std::int64_t>(spooled - copied, std::int64_t(buf.size()))), copied);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0 && writeAll(out.fd(), buf.data(), static_cast<std::size_t>(n));
        copied += n > 0 ? n : 0;
    }
    const std::int64_t total = moviOutEnd + 8 + res.chunksKept * 16;

    // The header's sizes and counts, as the new file has them.
    auto patch = [&](std::int64_t pos, std::uint32_t v) {
        std::uint8_t b[4];
        put32(b, v);
        ok = ok && pos >= 0 && out.writeAt(b, 4, pos);
    };
    patch(4, static_cast<std::uint32_t>(total - 8));
    patch(l.moviListPos + 4, static_cast<std::uint32_t>(moviOutEnd - (l.moviListPos + 8)));
    patch(l.avihPos + 12, l.flags | 0x10u);  // AVIF_HASINDEX
    patch(l.avihPos + 16, static_cast<std::uint32_t>(res.framesKept));
    if (l.dmlhPos >= 0) patch(l.dmlhPos, static_cast<std::uint32_t>(res.framesKept));
    for (std::size_t s = 0; s < l.streams.size(); ++s) {
        const auto& st = l.streams[s];
        if (st.strhPos < 0) continue;
        // A stream counted in samples (constant-bitrate audio) has its bytes over the sample size;
        // every other stream one unit per chunk.
        const std::int64_t length = st.sampleSize > 0 && st.type != "vids" ? keptBytes[s] / st.sampleSize : kept[s];
        patch(st.strhPos + 32, static_cast<std::uint32_t>(length));
    }
    if (!ok || !out.commit()) {
        res.messages.push_back(writeFailure(errno));
        return res;
    }
    const auto& v = l.streams[static_cast<std::size_t>(std::max(l.videoStream, 0))];
    res.seconds = v.rate ? double(res.framesKept) * v.scale / v.rate : 0;
    res.bytesWritten = total;
    res.keys = (fromData + fromIndex + guessed) > 1 ? KeySource::Mixed
               : fromIndex                           ? KeySource::OldIndex
               : guessed                             ? KeySource::EveryFrame
                                                     : KeySource::VideoData;
    res.ok = true;
    return res;
}

}  // namespace fw::avi
