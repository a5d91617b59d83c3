// Rebuilds data/codecs.sql, the seed of the codec database, from the installed FFmpeg: every video
// FourCC and audio format tag of libavformat's RIFF tables, named by libavcodec's descriptions,
// then the hand-checked rows of the classic codes on top.
//
//   cmake --preset default -DFW_BUILD_TOOLS=ON && cmake --build build --target gen_codec_seed
//   build/bin/gen_codec_seed > data/codecs.sql
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstdio>
#include <map>
#include <string>

#include "classic_codecs.h"

namespace {

// libavformat's tag tables are arrays of {codec id, tag} ended by AV_CODEC_ID_NONE. The layout is
// not public, so every entry read this way is checked against the public lookup before use.
struct TagEntry {
    enum AVCodecID id;
    unsigned int tag;
};

std::string sqlText(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += "''";
        else out += c;
    }
    return out + "'";
}

bool printableFourcc(unsigned tag, std::string& out) {
    out.clear();
    for (int i = 0; i < 4; ++i) {
        char c = static_cast<char>((tag >> (8 * i)) & 0xFF);
        if (c < 0x20 || c > 0x7E) return false;
        out += c;
    }
    return true;
}

std::string describe(enum AVCodecID id) {
    const AVCodecDescriptor* d = avcodec_descriptor_get(id);
    if (!d) return "codec " + std::to_string(static_cast<int>(id));
    return d->long_name ? d->long_name : d->name;
}

std::string ffmpegName(enum AVCodecID id) {
    const AVCodecDescriptor* d = avcodec_descriptor_get(id);
    return d ? d->name : "";
}

std::string whereToFind(enum AVCodecID id) {
    return avcodec_find_decoder(id) ? "FFmpeg (libavcodec), decoder " + ffmpegName(id) : "";
}

}  // namespace

int main() {
    const AVCodecTag* vt = avformat_get_riff_video_tags();
    const AVCodecTag* at = avformat_get_riff_audio_tags();
    const AVCodecTag* const vtables[] = {vt, nullptr};
    const AVCodecTag* const atables[] = {at, nullptr};

    std::map<std::string, std::array<std::string, 6>> video;  // fourcc -> fields
    const auto* ve = reinterpret_cast<const TagEntry*>(vt);
    for (; ve->id != AV_CODEC_ID_NONE; ++ve) {
        if (av_codec_get_id(vtables, ve->tag) == AV_CODEC_ID_NONE) {
            std::fprintf(stderr, "unexpected tag table layout\n");
            return 1;
        }
        std::string code;
        if (!printableFourcc(ve->tag, code) || video.count(code)) continue;
        // The first entry of a tag is the one FFmpeg itself uses.
        enum AVCodecID id = av_codec_get_id(vtables, ve->tag);
        video[code] = {code, describe(id), "", "", "Known to FFmpeg as " + ffmpegName(id) + ".", whereToFind(id)};
    }
    std::map<int, std::array<std::string, 6>> audio;
    const auto* ae = reinterpret_cast<const TagEntry*>(at);
    for (; ae->id != AV_CODEC_ID_NONE; ++ae) {
        if (ae->tag > 0xFFFF || av_codec_get_id(atables, ae->tag) == AV_CODEC_ID_NONE) {
            std::fprintf(stderr, "unexpected tag table layout\n");
            return 1;
        }
        int tag = static_cast<int>(ae->tag);
        if (audio.count(tag)) continue;
        enum AVCodecID id = av_codec_get_id(atables, ae->tag);
        audio[tag] = {std::to_string(tag), describe(id), "", "", "Known to FFmpeg as " + ffmpegName(id) + ".",
                      whereToFind(id)};
    }
    for (const auto& c : fw::seed::kClassicVideo) video[c[0]] = {c[0], c[1], c[2], c[3], c[4], c[5]};
    for (const auto& c : fw::seed::kClassicAudio) audio[std::stoi(c[0])] = {c[0], c[1], c[2], "", c[3], c[4]};

    std::printf("-- Codec database seed, made by tools/codec_seed/gen_codec_seed from %s.\n",
                av_version_info());
    for (const auto& [code, f] : video)
        std::printf("insert into lista_completa values (%s, %s, %s, %s, %s, %s);\n", sqlText(f[0]).c_str(),
                    sqlText(f[1]).c_str(), sqlText(f[2]).c_str(), sqlText(f[3]).c_str(), sqlText(f[4]).c_str(),
                    sqlText(f[5]).c_str());
    for (const auto& [tag, f] : audio)
        std::printf("insert into audio_codec values (%s, %s, %s, %s, %s);\n", sqlText(f[0]).c_str(),
                    sqlText(f[1]).c_str(), sqlText(f[2]).c_str(), sqlText(f[4]).c_str(), sqlText(f[5]).c_str());
    std::fprintf(stderr, "%zu video codes, %zu audio tags\n", video.size(), audio.size());
    return 0;
}
