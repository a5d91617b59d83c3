#pragma once
// Decoded samples to a WAV file: the output's name, what to do when it exists, and the writing
// itself, which goes through a temporary file so a failure never leaves a broken file behind.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "core/common/message.h"
#include "core/common/progress.h"
#include "core/wav/decoder.h"
#include "core/wav/wav_header.h"

namespace fw::wav {

// The source's name with its whole extension replaced by "wav", in outDir ("tune.xm" gives
// "tune.wav", "track" gives "track.wav").
std::string outputPath(const std::string& source, const std::string& outDir);
// "001_" in front of the file name; when that is taken too, "002_" and so on, so answering No never
// overwrites either. Empty when all 999 are taken.
std::string prefixedPath(const std::string& output);
// The question asked when the output exists: its lines and the existing file's details.
Message existsQuestion(const std::string& output);
// True when both names reach the same file (the output would overwrite the source).
bool sameFile(const std::string& a, const std::string& b);
// A message when the output name is taken by something no file can be written over (a folder).
std::optional<Message> checkOutput(const std::string& output);

struct ConvertResult {
    bool ok = false;       // complete, header patched
    bool stopped = false;  // the Stop button: the file is kept, with sizes 0 in its header
    std::string output;
    PcmFormat format;
    HeaderKind header = HeaderKind::Plain;
    std::uint64_t dataBytes = 0;
    std::uint64_t frames = 0;
    std::string status;  // the window's status line
    Messages messages;   // a failure, or where the file went when its name was taken meanwhile
    Messages warnings;   // what the user should know about a file that was written
};

// Largest block taken from the decoder at a time.
inline constexpr std::size_t kBlockBytes = 256 * 1024;

struct ConvertOptions {
    // A stop keeps the file with sizes 0, unless this is set by then: the window closing mid-way
    // gives the part written so far its sizes.
    const std::atomic<bool>* sizesOnStop = nullptr;
    // Tests lower it to reach the RF64 paths without writing 4 GiB.
    std::uint64_t riffLimit = kRiffLimit;
};

// Decodes everything into output. A running time that predicts more than half the RIFF limit
// reserves room for an RF64 header; a file that outgrows a plain header all the same is rewritten
// as RF64 at the end.
ConvertResult convert(Decoder& decoder, const std::string& output, Progress progress = {}, const ConvertOptions& options = {});

// "Size: 882000 bytes" for a stream, "Duration: 2:30" for a module.
std::string sizeLabel(const SourceInfo& info);
std::string timeLabel(double seconds);
// "Position: 441000" for a stream, "Position: 3:17" (order:row) for a module.
std::string positionLabel(const SourceInfo& info, const DecodePosition& pos);
// "Playing MOD music \title\ [12 orders]".
std::string moduleCaption(const SourceInfo& info);

}  // namespace fw::wav
