#pragma once
// Shared between the walk and the analysis; not part of the inspector's interface.
#include "core/avi/file_source.h"
#include "core/avi/inspector.h"

namespace fw::avi {

struct Walk {
    FileSource& src;
    AviFileInfo& info;
    InspectorResult& result;

    // False when the file is refused (not an AVI, too many streams): nothing more is shown.
    bool run();
    void walkStreams();
    void walkAfterHeader();
    void walkRiffParts();
    std::optional<std::int64_t> findSuperIndex(std::int64_t listPos, std::int64_t listSize);
    void listChunk(const ChunkHeader& c, std::int64_t pos);
    std::optional<ChunkHeader> chunkAt(std::int64_t pos, const char* what);
    std::optional<ListHeader> listAt(std::int64_t pos, const char* what);
    void readInfoList(std::int64_t p);
    void preloadCheck(std::int64_t m);
    void warn(const std::string& what);

    // Tags of every INFO list of the file: real files carry a few dozen, and a file of thousands of
    // empty ones would only cost memory.
    static constexpr int kMaxInfoTags = 1024;
    int infoTags = 0;
};

// Adds the index up per stream: the OpenDML indexes when the streams have them, else idx1 when
// the header announces it. Nothing is read from a truncated file. True when an index was read.
bool readIndexes(FileSource& src, AviFileInfo& info, Walk& walk, Progress& progress, const IndexVisitor* visit = nullptr);

// Codec names from the codec database: the video FourCC's row, or the code itself.
// Seconds of a stream by its header: dwLength units of dwScale / dwRate seconds, however the writer
// counted (bytes, blocks, frames).
double headerSeconds(const StreamHeader& sh);
// Whether an audio stream's bitrate is constant: a sample size says so; AC-3 and DTS always are; a
// frame-counted stream is when its index bytes at its average rate last its header's time.
bool constantBitrate(const StreamHeader& sh, const WaveFormat& sf, std::optional<std::int64_t> indexBytes);

// A zero compression field (BI_RGB) or "DIB ": uncompressed frames.
bool isUncompressed(const std::string& fourcc);
std::string videoCodecName(const std::string& fourcc);
std::optional<std::string> audioCodecName(int formatTag);

// The aspect-ratio text of field 3: "4/3 <=>1.33:1".
std::string aspectText(std::int32_t w, std::int32_t h);

// Field 13: whether a decoder for the FourCC is installed, with its colour.
void setDecoderField(InspectorResult& r, const std::string& fourcc);

}  // namespace fw::avi
