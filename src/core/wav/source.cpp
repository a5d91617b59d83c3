#include <libopenmpt/libopenmpt.h>
#include <libopenmpt/libopenmpt_version.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <filesystem>

#include "core/common/lang.h"
#include "core/wav/decoder.h"

namespace fw::wav {

Message cantPlay(int reasonKey) {
    Message m = Message::fixed("Error: Can't play the file", Icon::Exclamation);
    m.suffix = "\n" + LangText("WavConverterMsgBox", reasonKey);
    return m;
}

OpenResult openSource(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return {nullptr, cantPlay(kMissing), kMissing};
    // A module header is distinctive, and FFmpeg would otherwise take some modules for streams.
    const bool module = looksLikeModule(path);
    OpenResult first = module ? openModule(path) : openStream(path);
    if (first.decoder) return first;
    // An empty, unreadable or oversized file gets the same answer from the other reader.
    if (first.reason == kUnreadable || first.reason == kEmpty || first.reason == kTooLarge || first.reason == kMissing) return first;
    OpenResult second = module ? openStream(path) : openModule(path);
    if (second.decoder) return second;
    // Only a stream that FFmpeg found but could not decode says more than "not a format we read".
    if (module || first.reason != kNotAudio) return first;
    return second;
}

LibraryState runningLibraries() {
    LibraryState s;
    s.avformat = avformat_version();
    s.avcodec = avcodec_version();
    s.swresample = swresample_version();
    s.openmpt = openmpt_get_library_version();
    for (AVCodecID id : {AV_CODEC_ID_MP2, AV_CODEC_ID_MP3, AV_CODEC_ID_VORBIS, AV_CODEC_ID_AC3})
        if (!avcodec_find_decoder(id)) s.decodersPresent = false;
    if (!av_find_input_format("mp3") || !av_find_input_format("ogg")) s.decodersPresent = false;
    const char* extensions = openmpt_get_supported_extensions();
    const std::string ext = extensions ? extensions : "";
    openmpt_free_string(extensions);
    for (const char* e : {"mod", "xm", "s3m", "it", "mtm", "umx", "mo3"})
        if ((";" + ext + ";").find(std::string(";") + e + ";") == std::string::npos) s.decodersPresent = false;
    // Initialised: a decoder can be set up, which is what every conversion will need.
    if (const AVCodec* mp3 = avcodec_find_decoder(AV_CODEC_ID_MP3)) {
        AVCodecContext* c = avcodec_alloc_context3(mp3);
        s.initialised = c && avcodec_open2(c, mp3, nullptr) == 0;
        avcodec_free_context(&c);
    }
    return s;
}

LibraryState builtLibraries() {
    LibraryState s;
    s.avformat = LIBAVFORMAT_VERSION_INT;
    s.avcodec = LIBAVCODEC_VERSION_INT;
    s.swresample = LIBSWRESAMPLE_VERSION_INT;
    s.openmpt = OPENMPT_API_VERSION;
    return s;
}

std::optional<Message> checkLibraries(const LibraryState& running, const LibraryState& built) {
    auto fatal = [](int key) { return Message::lang("WavConverterMsgBox", key, Icon::Critical, LangText("FormCaptions", 14)); };
    if (!running.decodersPresent) return fatal(10);
    // FFmpeg's major version is its ABI: another major is another library. libopenmpt keeps its
    // ABI across 0.x minor versions, so its minor version is a floor too.
    auto ffmpegOk = [](unsigned run, unsigned need) { return (run >> 16) == (need >> 16) && run >= need; };
    auto openmptOk = [](unsigned run, unsigned need) { return (run >> 24) == (need >> 24) && (run >> 16) >= (need >> 16); };
    if (!ffmpegOk(running.avformat, built.avformat) || !ffmpegOk(running.avcodec, built.avcodec) ||
        !ffmpegOk(running.swresample, built.swresample) || !openmptOk(running.openmpt, built.openmpt))
        return fatal(11);
    if (!running.initialised) return fatal(12);
    return std::nullopt;
}

}  // namespace fw::wav
