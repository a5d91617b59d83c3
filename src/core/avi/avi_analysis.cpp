// The analysis after the walk: codec names, the numbered field texts and their colours, the
// duration, bitrates, audio sizes and the index figures.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstring>

#include "core/avi/avi_internal.h"
#include "core/codecdb/codec_db.h"
#include "core/common/file_io.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "core/resize/resize_calc.h"

namespace fw::avi {

bool isUncompressed(const std::string& fourcc) {
    // BI_RGB: a zero compression field, the code of every uncompressed bitmap.
    return fourcc == "DIB " || fourcc == std::string(4, '\0');
}

std::string videoCodecName(const std::string& fourcc) {
    if (isUncompressed(fourcc)) return LangText("AviDetector", 30);
    auto row = fw::codecdb::check_video(fourcc);
    return row ? row->codec() : printableCode(fourcc);
}

std::optional<std::string> audioCodecName(int formatTag) {
    auto row = fw::codecdb::check_audio(std::to_string(formatTag));
    if (!row) return std::nullopt;
    return row->codec();
}

std::string aspectText(std::int32_t w, std::int32_t h) {
    const std::int32_t g = fw::resize::MCD(w, h);
    if (g == 0 || h == 0) return "";
    return numberText(double(w) / g) + "/" + numberText(double(h) / g) + " <=>" +
           numberText(roundHalfEven(double(w) / h, 2)) + ":1";
}

std::string formatDurationText(double duration) {
    const double h = std::floor(duration / 3600);
    const double m = std::floor((duration - h * 3600) / 60);
    const double s = roundHalfEven(duration - h * 3600 - m * 60, 3);
    return numberText(h) + "h" + " " + numberText(m) + "'" + " " + numberText(s) + "\"";
}

bool decoderInstalled(const std::string& fourccLower) {
    std::string code = fourccLower;
    if (isUncompressed(code) || code == "dib ") return avcodec_find_decoder(AV_CODEC_ID_RAWVIDEO) != nullptr;
    if (code == "dx50" || code == "div3" || code == "div4") code = "divx";
    if (code.size() != 4) return false;
    const unsigned tag = static_cast<unsigned char>(code[0]) | static_cast<unsigned char>(code[1]) << 8 |
                         static_cast<unsigned char>(code[2]) << 16 | unsigned(static_cast<unsigned char>(code[3])) << 24;
    const AVCodecTag* const tables[] = {avformat_get_riff_video_tags(), nullptr};
    // The tag tables match without regard to letter case, as codec lists always have.
    AVCodecID id = av_codec_get_id(tables, tag);
    if (id == AV_CODEC_ID_NONE) {
        const unsigned upper = static_cast<unsigned>(std::toupper(code[0] & 0xFF)) | static_cast<unsigned>(std::toupper(code[1] & 0xFF)) << 8 |
                               static_cast<unsigned>(std::toupper(code[2] & 0xFF)) << 16 | static_cast<unsigned>(std::toupper(code[3] & 0xFF)) << 24;
        id = av_codec_get_id(tables, upper);
    }
    return id != AV_CODEC_ID_NONE && avcodec_find_decoder(id) != nullptr;
}

std::string bitrateText(double kbps, bool rounded) { return numberText(rounded ? roundHalfEven(kbps, 3) : kbps); }

void setDecoderField(InspectorResult& r, const std::string& fourcc) {
    r.decoderInstalled = decoderInstalled(toLower(fourcc));
    r.fields[13].text = LangText("AviDetector", r.decoderInstalled ? 41 : 42);
    r.fields[13].colour = r.decoderInstalled ? kLightBlue : kYellow;
}

namespace {

// Bytes of a further stream worked out from its headers, for a file without a readable index.
// Header figures are 32-bit fields a damaged file can fill with anything: products are taken in
// floating point and held to what a file could possibly hold.
std::int64_t boundedBytes(double bytes) { return std::max<std::int64_t>(toInt64Saturated(bytes), 0); }

// Bytes of a further stream worked out from its headers, for a file without a readable index.
std::int64_t headerStreamBytes(const StreamHeader& sh, const WaveFormat& sf) {
    const double length = std::uint32_t(sh.dwLength);
    // A sample size counts dwLength in samples of that many bytes (1 for byte-counted MP3;
    // the block align for PCM, which ffmpeg and mencoder count in blocks).
    if (sh.dwSampleSize != 0) return boundedBytes(length * std::uint32_t(sh.dwSampleSize));
    // Variable-bitrate MPEG audio: frames times the frame size of the layer-3 extension. ffmpeg
    // writes the samples per frame there (1152 or 576, equal to the block align), not bytes.
    const bool samplesNotBytes = sf.nBlockSize == sf.nBlockAlign && (sf.nBlockSize == 1152 || sf.nBlockSize == 576);
    if (sf.wFormatTag == 0x55 && sf.nBlockSize > 0 && !samplesNotBytes) return boundedBytes(double(sf.nBlockSize) * length);
    // Otherwise the running time the header gives, at the average rate.
    if (sh.dwRate <= 0 || sf.nAvgBytesPerSec <= 0) return 0;
    const double seconds = length * std::uint32_t(sh.dwScale) / double(sh.dwRate);
    return boundedBytes(seconds * sf.nAvgBytesPerSec);
}

}  // namespace

double headerSeconds(const StreamHeader& sh) {
    if (sh.dwRate <= 0) return 0;
    return double(std::uint32_t(sh.dwLength)) * std::uint32_t(sh.dwScale) / double(sh.dwRate);
}

bool constantBitrate(const StreamHeader& sh, const WaveFormat& sf, std::optional<std::int64_t> indexBytes) {
    if (sh.dwSampleSize != 0) return true;
    // AC-3 and DTS have no variable-bitrate mode; ffmpeg still writes them frame-counted.
    if (sf.wFormatTag == 0x2000 || sf.wFormatTag == 0x2001) return true;
    // Frame-counted MP3 at a constant rate: its bytes at the average rate last as long as its
    // frames do. Real VBR streams carry no average (ffmpeg) or one that is not the bytes' rate.
    const double seconds = headerSeconds(sh);
    if (!indexBytes || sf.nAvgBytesPerSec <= 0 || seconds <= 0) return false;
    return std::fabs(double(*indexBytes) / sf.nAvgBytesPerSec - seconds) <= 0.005 * seconds;
}

InspectorResult inspectAvi(const std::string& path, Progress progress, bool roundBitrate) {
    InspectorResult r;
    r.path = path;
    for (std::size_t i = 0; i < kTagCount; ++i) r.tagCaptions[i] = kInfoTagIds[i];
    FileSource src(path);
    if (!src.isOpen()) {
        r.messages.push_back(Message::lang("AviDetectorMsgBox", 6, Icon::Critical));
        return r;
    }
    AviFileInfo& info = r.info;
    info.fileName = path;
    r.fields[0].text = path;
    Walk walk{src, info, r};
    if (!walk.run()) {
        for (auto& f : r.fields) f = {};
        return r;
    }
    r.ok = true;
    r.hasInfo = info.infoPresent;
    // A file cut before its main header has nothing more to show than its completeness and size.
    if (!info.mainHeaderRead) return r;

    const MainHeader& h = info.avih;
    const std::string compression = info.videoFormat ? info.videoFormat->biCompression : std::string();
    const std::string handler = info.videoHeader ? info.videoHeader->fccHandler : std::string();
    r.codecName = info.videoFormat ? videoCodecName(compression) : std::string();
    r.fields[1].text = r.codecName;
    r.fields[2].text = printableCode(handler) + " / " + printableCode(compression);
    r.fields[3].text = aspectText(h.dwWidth, h.dwHeight);
    r.fields[4].text = std::to_string(h.dwMicroSecPerFrame);
    r.fps = h.dwMicroSecPerFrame > 0 ? 1000000.0 / h.dwMicroSecPerFrame : 0;
    r.fields[5].text = numberText(roundHalfEven(r.fps, 3)) + " fps";
    r.fields[6].text = std::to_string(h.dwWidth) + " pixels";
    r.fields[7].text = std::to_string(h.dwHeight) + " pixels";
    if (info.videoFormat) r.bitDepth = info.videoFormat->biBitCount;
    r.fields[8].text = std::to_string(r.bitDepth.value_or(0)) + " bits";
    r.fields[10].text = std::to_string(info.totalFrames);
    r.fields[11].text = std::to_string(h.dwStreams);
    info.duration = r.fps > 0 ? double(info.totalFrames) / r.fps : 0;
    r.fields[12].text = formatDurationText(info.duration);
    setDecoderField(r, compression);
    r.audioTabs = h.dwStreams > 3 ? (h.dwStreams >= 5 ? 3 : 2) : 1;

    // The index gives each stream's real bytes, which the stream sizes and the header bitrate use.
    const bool indexed = readIndexes(src, info, walk, progress);
    // A stream's average bytes per second: its header's, or, where the header has none (ffmpeg's
    // VBR MP3), its index bytes over its running time.
    auto averageBytes = [&](int i) -> double {
        const auto& sh = info.streamHeaders[static_cast<std::size_t>(i)];
        const auto& sf = info.streamFormats[static_cast<std::size_t>(i)];
        if (!sf) return 0;
        if (sf->nAvgBytesPerSec > 0 || !sh) return std::max<std::int32_t>(sf->nAvgBytesPerSec, 0);
        const double seconds = headerSeconds(*sh);
        const std::size_t s = static_cast<std::size_t>(i + 1);
        if (!indexed || s >= info.streamTotals.size() || seconds <= 0) return 0;
        return double(info.streamTotals[s].bytes) / seconds;
    };
    // The preload: each first chunk's size over the first audio stream's average rate.
    for (const auto& c : info.preloadChunks) {
        const double avg = info.streamCount > 1 ? averageBytes(0) : 0;
        if (c.audio) {
            if (c.stream >= 1 && c.stream <= kShownStreams && avg > 0) {
                const double preload = double(c.size) / avg;
                info.preloadMs[static_cast<std::size_t>(c.stream - 1)] = roundHalfEven(preload * 1000, 0);
                r.fields[static_cast<std::size_t>(26 + 6 * (c.stream - 1))].text =
                    numberText(roundHalfEven(preload * 1000, 0)) + " ms - " + numberText(roundHalfEven(preload, 3)) + " sec";
            }
        } else if (info.streamCount > 1 && c.k < kShownStreams) {
            r.fields[static_cast<std::size_t>(26 + 6 * c.k)].text = "No audio preload";
        }
    }

    for (int i = 0; i + 1 < std::min<int>(info.streamCount, kMaxStreams); ++i) {
        const auto& sh = info.streamHeaders[static_cast<std::size_t>(i)];
        const auto& sf = info.streamFormats[static_cast<std::size_t>(i)];
        if (!sh || !sf) break;
        const bool fromIndex = indexed && static_cast<std::size_t>(i + 1) < info.streamTotals.size();
        const std::int64_t bytes = fromIndex ? info.streamTotals[static_cast<std::size_t>(i + 1)].bytes : headerStreamBytes(*sh, *sf);
        info.otherStreamBytes = addSaturated(info.otherStreamBytes, bytes);
        AudioSummary a;
        a.stream = i + 1;
        a.type = sh->fccType == "auds" ? "audio" : sh->fccType == "txts" ? "text" : printableCode(sh->fccType);
        a.sizeBytes = bytes;
        a.sizeSource = fromIndex ? "index" : "header";
        if (i >= kShownStreams) {
            a.analysed = false;
        } else {
            const std::size_t b = static_cast<std::size_t>(6 * i);
            if (sh->fccType == "txts") {
                for (std::size_t f = 21; f <= 26; ++f) r.fields[f + b] = {"", std::nullopt, true};
                r.fields[21 + b].text = LangText("AviDetector", 31);
            } else {
                a.cbr = constantBitrate(*sh, *sf, fromIndex ? std::optional<std::int64_t>(bytes) : std::nullopt);
                a.formatTag = static_cast<std::uint16_t>(sf->wFormatTag);
                std::string text = a.cbr ? "CBR - " : "VBR - ";
                // The tag is looked up as signed decimal text, as the table stores it.
                if (auto name = audioCodecName(sf->wFormatTag)) {
                    a.codec = *name;
                    text += *name;
                }
                r.fields[21 + b] = {text, a.cbr ? kDarkGreen : kDarkRed, false};
                a.kbps = roundHalfEven(averageBytes(i) / 1000.0 * 8, 1);
                r.fields[22 + b].text = numberText(a.kbps);
                a.channels = sf->nChannels;
                r.fields[23 + b].text = std::to_string(sf->nChannels);
                a.sampleRate = sf->nSamplesPerSec;
                r.fields[24 + b].text = std::to_string(sf->nSamplesPerSec);
                a.sizeMB = roundHalfEven(double(bytes) / 1048576, 2);
                r.fields[25 + b].text = numberText(a.sizeMB);
                if (!std::isnan(info.preloadMs[static_cast<std::size_t>(i)])) a.preloadMs = info.preloadMs[static_cast<std::size_t>(i)];
            }
        }
        r.audio.push_back(a);
    }

    // ffmpeg adds its MP3 packets to the dmlh count; the line gives the video's own frames.
    r.fields[57].text = info.openDml ? "Avi2 - OpenDML (" + std::to_string(info.totalFrames) + " frames)"
                                     : "Old Avi 1.0 (Vfw 1.1e) format";
    r.fields[60].text = numberText(roundHalfEven(double(info.moviTotal) / 1048576.0, 2));
    const double k = (iequals(compression, "XVID") || iequals(compression, "DIVX") || iequals(compression, "DX50")) ? 1000 : 1024;
    info.videoBitrate = info.duration > 0 ? (double(info.moviTotal) - double(info.otherStreamBytes)) / info.duration / k * 8 : 0;
    r.fields[9].text = bitrateText(info.videoBitrate, roundBitrate);
    if (info.videoFormat && r.fps > 0) {
        const auto& vf = *info.videoFormat;
        // A negative height is a top-down bitmap of that many rows.
        const double rows = std::fabs(double(vf.biHeight));
        const double frameBits = double(vf.biBitCount) * vf.biWidth * rows;
        const double pixels = double(vf.biWidth) * rows;
        const double c = frameBits != 0 ? 100 - (info.videoBitrate * 100 / frameBits) * 1000 / r.fps : 0;
        const double p = pixels != 0 ? info.videoBitrate * 1000 / r.fps / pixels : 0;
        r.fields[61].text = "Comp: " + numberText(roundHalfEven(c, 4)) + " % - bits per pixel: " + numberText(roundHalfEven(p, 3));
    }
    r.chunks = info.chunks;
    if (indexed) {
        info.videoBitrate = info.duration > 0 ? double(info.videoBytes) / info.duration / 1000 * 8 : 0;
        r.fields[9].text = bitrateText(info.videoBitrate, roundBitrate);
        r.overheadLabel = "Overhead = " + numberText(roundHalfEven(info.overheadBytes / 1048576.0, 3)) + " MB. = " +
                          numberText(roundHalfEven(info.fileLength > 0 ? double(info.overheadBytes) / info.fileLength * 100 : 0, 3)) +
                          " %";
        r.fields[62].text = std::to_string(info.keyFrames);
        const double share = info.totalFrames != 0 ? double(info.keyFrames * 100) / double(info.totalFrames) : 0;
        r.fields[63].text = numberText(roundHalfEven(share, 2)) + " %";
    } else {
        r.fields[62].text = "N/D";
    }
    return r;
}

bool looksLikeOgm(const std::string& path) {
    // The file's first bytes say what it is; the name only when it has none to say.
    if (auto head = readRange(path, 0, 12); head && head->size() >= 4) {
        if (head->compare(0, 4, "OggS") == 0) return true;
        if (head->compare(0, 4, "RIFF") == 0) return false;
    }
    auto slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return ifind(name, "ogm") != std::string::npos || ifind(name, "ogg") != std::string::npos;
}

InspectorResult inspect(const std::string& path, Progress progress, bool roundBitrate) {
    return looksLikeOgm(path) ? inspectOgm(path, std::move(progress)) : inspectAvi(path, std::move(progress), roundBitrate);
}

}  // namespace fw::avi
