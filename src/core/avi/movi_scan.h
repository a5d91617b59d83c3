#pragma once
// The movi list read chunk by chunk, without trusting any index: what the health check counts
// and what the index repair keeps. After damage (a header that is no chunk header) the walk
// looks ahead for the next plausible chunk, so one bad spot does not cost the rest of the file.
#include <cstdint>
#include <functional>

#include "core/avi/avi_layout.h"
#include "core/common/progress.h"

namespace fw::avi {

struct MoviChunk {
    int stream = 0;
    char kind[2] = {};          // "dc", "db", "wb", "tx", "pc"
    std::int64_t pos = 0;       // the chunk header
    std::uint32_t size = 0;
    bool padMissing = false;    // an odd size without the pad byte RIFF asks for
    bool video() const { return kind[0] == 'd' && (kind[1] == 'c' || kind[1] == 'b'); }
};

struct MoviScan {
    bool ok = false;  // false: stopped
    std::int64_t chunks = 0;
    std::int64_t videoChunks = 0;
    std::int64_t damagedRegions = 0;
    std::int64_t skippedBytes = 0;
    std::int64_t firstDamage = -1;
    std::int64_t padsMissing = 0;
    bool cutShort = false;       // the last chunk runs past the end of the file
    std::int64_t dataEnd = 0;    // the end of the last whole chunk
};

// Calls onChunk for every whole chunk of the movi list, in file order (a "rec " list's chunks
// included); onChunk returns false to stop.
MoviScan scanMovi(const FileSource& src, const AviLayout& layout, const std::function<bool(const MoviChunk&)>& onChunk,
                  Progress progress = {});

// The VOP coding type of an MPEG-4 part 2 frame (0 I, 1 P, 2 B, 3 S), or -1 when the bytes hold
// no VOP start code; for MS MPEG-4 (DivX 3) the picture type of its first two bits.
int mpeg4FrameType(const std::uint8_t* data, std::size_t len);
bool isMsMpeg4(const std::string& compression);

// MPEG-4 part 2 frames in stream order. Reads the time resolution from the video object layer
// header (in the first frame), which tells where each VOP header's "coded" flag lies: a packed
// bitstream (DivX 5, XviD with B-frames) follows each P+B pair with a VOP that codes nothing,
// whose type bits may say I, but which is no key frame.
class Mpeg4Frames {
public:
    static constexpr int kNotCoded = 4;
    // As mpeg4FrameType, or kNotCoded.
    int frameType(const std::uint8_t* data, std::size_t len);

private:
    int m_timeBits = 0;  // 0: no layer header seen yet
};
// MPEG-4 part 2 (XviD, DivX 4 and later, ffmpeg's FMP4): its frames carry VOP headers.
bool isMpeg4Asp(const std::string& compression);
// H.264 in Annex B form, as ffmpeg and mencoder write it into AVI: 1 when the frame's first slice
// is an IDR slice, 0 when it is another slice, -1 when the bytes hold none.
bool isH264(const std::string& compression);
int h264FrameKey(const std::uint8_t* data, std::size_t len);

}  // namespace fw::avi
