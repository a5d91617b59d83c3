#pragma once
// Where the records of an AVI file lie, for the tools that change or rebuild it: the main header,
// each stream header, the OpenDML header, the movi list and the old index. A second, lighter walk
// than the inspector's: it keeps positions, not texts.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/avi/file_source.h"

namespace fw::avi {

struct StreamLayout {
    std::string type;         // "vids", "auds", "txts"...
    std::string handler;      // fccHandler
    std::string compression;  // the video's biCompression
    std::int64_t strhPos = -1;  // the strh chunk's data
    std::uint32_t scale = 0, rate = 0, length = 0, sampleSize = 0;
    std::uint32_t avgBytes = 0;  // an audio stream's nAvgBytesPerSec
    std::uint16_t blockAlign = 0;
    std::uint16_t channels = 0;     // an audio stream's nChannels
    std::uint32_t sampleRate = 0;   // and nSamplesPerSec
    bool formatWhole = false;       // its strf chunk holds a whole WAVEFORMAT within the list
};

struct AviLayout {
    std::int64_t fileLength = 0;
    std::int64_t riffEnd = 0;  // as the first RIFF's size says
    std::int64_t avihPos = -1;  // the avih chunk's data
    std::uint32_t usPerFrame = 0, flags = 0, totalFrames = 0;
    std::int64_t dmlhPos = -1;  // the dmlh chunk's data
    std::vector<StreamLayout> streams;
    std::int64_t moviListPos = -1;  // "LIST"
    std::int64_t moviDataPos = -1;  // just after "movi"
    std::int64_t moviEnd = 0;       // as the list's size says (may lie past the end of the file)
    std::int64_t idx1Pos = -1;      // "idx1"
    std::int64_t idx1Size = 0;
    bool openDml = false;           // RIFF AVIX parts or indx indexes
    // The movi lists of the RIFF AVIX parts of an OpenDML file: where each one's data begins and
    // where its list ends, as its size says.
    struct Range {
        std::int64_t dataPos = 0, end = 0;
    };
    std::vector<Range> moreMovi;
    std::int64_t lastRiffEnd = 0;   // where the last RIFF part ends, as its size says
    int videoStream = -1;           // the first "vids" stream
};

// Nothing, with why, when the file is no AVI this walk can follow.
std::optional<AviLayout> readLayout(const FileSource& src, std::string* why = nullptr);

// A data chunk id such as "00dc" or "01wb": its stream number, or -1.
int chunkStream(const char* id);

}  // namespace fw::avi
