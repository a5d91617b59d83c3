#pragma once
// The AVI and OGM inspector: the header walk of an AVI file (or the header pages of an OGM file)
// into AviFileInfo, then the analysis that names codecs, works out durations, bitrates, audio
// sizes, preload, key frames and overhead, and composes every text the window shows.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/avi/avi_records.h"
#include "core/common/message.h"
#include "core/common/progress.h"

namespace fw::avi {

inline constexpr int kFieldCount = 64;
inline constexpr int kListSlots = 24;
inline constexpr int kStreamSlots = 21;
inline constexpr int kMaxStreams = kStreamSlots + 1;
inline constexpr int kShownStreams = 6;  // further streams with fields of their own
inline constexpr int kTagCount = 40;

// Colours as 0x00BBGGRR.
inline constexpr std::uint32_t kDarkGreen = 32768;
inline constexpr std::uint32_t kDarkRed = 192;
inline constexpr std::uint32_t kLightBlue = 15390143;
inline constexpr std::uint32_t kYellow = 65535;

struct ChunkRow {
    std::string id;
    std::int64_t size = 0;
    std::string content;
};

// What one stream's index entries add up to.
struct StreamTotals {
    std::int64_t entries = 0;
    std::int64_t emptyEntries = 0;  // chunks of no bytes: dropped frames that players skip
    std::int64_t bytes = 0;
    std::int64_t keyFrames = 0;
};

enum class IndexKind { None, Idx1, OpenDml };

// What the walk reads, and what the analysis derives from it.
struct AviFileInfo {
    std::string fileName;
    std::int64_t fileLength = 0;
    std::int64_t riffSize = 0;   // the first RIFF's size, read unsigned (legacy files reach 4 GB)
    int riffParts = 0;           // the first RIFF and the RIFF AVIX parts of an OpenDML file
    std::int64_t riffEnd = 0;    // where the last RIFF part ends, by the sizes the file declares
    bool truncated = false;
    double missingMB = 0;
    std::int32_t hdrlSize = 0;
    bool mainHeaderRead = false;
    MainHeader avih;
    std::int16_t streamCount = 0;
    std::array<std::optional<ListHeader>, kListSlots> lists;
    std::array<std::int64_t, kListSlots> listPos{};
    std::optional<StreamHeader> videoHeader;
    std::optional<BitmapFormat> videoFormat;
    std::array<std::optional<StreamHeader>, kStreamSlots> streamHeaders;
    std::array<std::optional<WaveFormat>, kStreamSlots> streamFormats;
    bool openDml = false;
    std::int32_t odmlTotalFrames = 0;
    bool infoPresent = false;
    bool hasIndex = false;
    std::optional<std::int64_t> moviTypePos;
    std::int64_t moviSize = 0;  // read unsigned: a legacy file's movi can pass 2 GB
    std::int64_t moviTotal = 0;  // every movi list of every RIFF part
    std::optional<std::int64_t> indexPos;
    std::array<std::optional<std::int64_t>, kMaxStreams> superIndexPos;  // each stream's indx chunk
    std::vector<ChunkRow> chunks;

    double duration = 0;
    std::int64_t totalFrames = 0;  // dwTotalFrames, or an OpenDML file's count over every RIFF part
    double videoBitrate = 0;
    std::int64_t otherStreamBytes = 0;
    bool indexRead = false;
    IndexKind indexKind = IndexKind::None;
    std::vector<StreamTotals> streamTotals;  // by stream number, from the index
    std::int64_t keyFrames = 0, videoBytes = 0, otherBytes = 0, overheadBytes = 0;
    // The data chunks at the start of movi, in file order, for the preload check.
    struct PreloadChunk {
        int k = 0;          // which of the first chunks
        bool audio = false; // a "wb" chunk
        int stream = 0;     // its two-digit stream number
        std::int64_t size = 0;
    };
    std::vector<PreloadChunk> preloadChunks;
    std::vector<double> preloadMs;  // per further stream, NaN when none
};

struct FieldView {
    std::string text;
    std::optional<std::uint32_t> colour;  // background
    bool hidden = false;
};

struct AudioSummary {
    int stream = 0;  // 1-based further-stream number
    std::string type;  // "audio", "text" or the stream type read
    int formatTag = 0;
    std::string codec;
    bool cbr = false;
    double kbps = 0;
    int channels = 0;
    int sampleRate = 0;
    double sizeMB = 0;
    std::int64_t sizeBytes = 0;
    // "index": the stream's index entries; "pages": the data pages of an Ogg stream; "header":
    // worked out from the headers.
    std::string sizeSource;
    std::optional<double> preloadMs;
    bool analysed = true;    // false: beyond the streams the window has fields for
};

struct InspectorResult {
    bool ok = false;        // false: nothing could be shown (not an AVI/Ogg file, unreadable)
    bool isOgm = false;
    std::string path;
    std::array<FieldView, kFieldCount> fields;
    std::string overheadLabel;  // caption 41
    int audioTabs = 1;          // 1: streams 1-2; 2: also 3-4; 3: also 5-6
    std::vector<ChunkRow> chunks;
    std::array<std::string, kTagCount> tags;
    std::array<std::string, kTagCount> tagCaptions;  // the INFO ids, some renamed by OGM comments
    bool hasInfo = false;
    Messages messages;
    std::vector<std::string> warnings;
    std::vector<AudioSummary> audio;
    AviFileInfo info;
    double fps = 0;
    std::optional<int> bitDepth;  // field 8
    bool decoderInstalled = false;
    std::string codecName;
    std::array<bool, 6> flags{};  // interleaved, has index, must use index, copyrighted, capture, trust type
    std::int64_t oggFrames = 0;
};

// The INFO ids of the tag table, in field order.
extern const std::array<const char*, kTagCount> kInfoTagIds;
// The main-header flags, in the order of fields 14 to 19.
extern const std::array<const char*, 6> kFlagNames;

// Walks an AVI file and analyses it; `roundBitrate` is the window's rounding check box.
InspectorResult inspectAvi(const std::string& path, Progress progress = {}, bool roundBitrate = true);
InspectorResult inspectOgm(const std::string& path, Progress progress = {});
// The walk and, when asked, the index of a file, without the analysis: what the header patchers
// and the inverse calculator need. Nothing when the file is not an AVI.
std::optional<AviFileInfo> scanAvi(const std::string& path, bool withIndex);
// One entry of an AVI's index, as the index says it: the stream number, whether it is a video
// frame and a key frame, its size, and where its data begins (the absolute file position just
// after the chunk's 8-byte header).
struct IndexEntryView {
    int stream = 0;
    bool video = false;
    bool key = false;
    std::uint32_t size = 0;
    std::int64_t dataPos = 0;
};
using IndexVisitor = std::function<void(const IndexEntryView&)>;
// Visits every entry of the index the inspector reads (the OpenDML indexes when the file has
// them, else idx1), in index order; "rec " entries are left out. Which index it was, or None.
IndexKind visitIndex(const std::string& path, const IndexVisitor& visit, Progress progress = {});

// Whether the OGM reader takes the file: its first bytes "OggS" (or "RIFF" for the AVI reader);
// a file too short to tell goes by its name ("ogm" or "ogg" in it, any case).
bool looksLikeOgm(const std::string& path);
InspectorResult inspect(const std::string& path, Progress progress = {}, bool roundBitrate = true);

// Field 9 as the rounding check box wants it.
std::string bitrateText(double kbps, bool rounded);

// Field captions as the window and the report show them; text streams and OGM renames included.
std::string fieldCaption(int field);

// The plain-text report, and its appending to a file (created when missing).
std::string buildReport(const InspectorResult& r, const std::string& dateText, const std::string& timeText);
bool appendReport(const std::string& path, const std::string& text);

// The header size the save-header window proposes: the hdrl list size plus 33 bytes.
std::int64_t proposedHeaderSize(const InspectorResult& r);
// Copies the first `bytes` bytes of src (fewer when it is shorter) into dst, through a
// temporary file and a rename.
bool saveHeader(const std::string& src, const std::string& dst, std::int64_t bytes, std::string* error = nullptr);

// Whether FFmpeg can decode a video FourCC (the lower-case code; DivX variants as "divx").
bool decoderInstalled(const std::string& fourccLower);

// h "h" m "'" s '"', as field 12 shows a duration.
std::string formatDurationText(double seconds);

}  // namespace fw::avi
