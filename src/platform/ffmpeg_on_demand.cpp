// FFmpeg's libraries, loaded when a tool first needs them rather than when the program starts.
// libavcodec and libavfilter pull in some 170 shared libraries (every codec FFmpeg was built
// with); loading them costs about 40 ms of each start, ten times what the rest of the program
// needs, and most commands (stats, split, join, check, import, the calculators) never decode a
// thing. So the executables do not link FFmpeg: each FFmpeg function the program calls is defined
// here, with the prototype from FFmpeg's own headers (a mismatch does not compile), and forwards
// to the real one, found in the libraries opened on the first call.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

#define FW_STR2(x) #x
#define FW_STR(x) FW_STR2(x)

struct Libraries {
    std::array<void*, 5> handles{};
    Libraries() {
        // In dependency order; the sonames of the headers this program was built against.
        static const char* const kNames[] = {
            "libavutil.so." FW_STR(LIBAVUTIL_VERSION_MAJOR),         "libswresample.so." FW_STR(LIBSWRESAMPLE_VERSION_MAJOR),
            "libavcodec.so." FW_STR(LIBAVCODEC_VERSION_MAJOR),       "libavformat.so." FW_STR(LIBAVFORMAT_VERSION_MAJOR),
            "libavfilter.so." FW_STR(LIBAVFILTER_VERSION_MAJOR)};
        for (std::size_t i = 0; i < handles.size(); ++i) {
            handles[i] = ::dlopen(kNames[i], RTLD_NOW | RTLD_LOCAL);
            if (!handles[i]) {
                // The package depends on these libraries: only a broken installation gets here.
                std::fprintf(stderr, "framewise: FFmpeg's %s cannot be loaded: %s\n", kNames[i], ::dlerror());
                std::_Exit(127);
            }
        }
        // FFmpeg writes its own diagnostics to standard error; the user's terminal is ours, and
        // what matters reaches the user as a result's warnings. FRAMEWISE_MEDIA_LOG=1 keeps them,
        // for looking into a file that FFmpeg reads differently from us.
        const char* keep = std::getenv("FRAMEWISE_MEDIA_LOG");
        if (!(keep && std::strcmp(keep, "1") == 0))
            if (auto* level = reinterpret_cast<void (*)(int)>(::dlsym(handles[0], "av_log_set_level"))) level(AV_LOG_QUIET);
    }
};

void* symbol(const char* name) {
    static const Libraries libs;  // opened once, by whichever thread asks first
    for (void* h : libs.handles)
        if (void* s = ::dlsym(h, name)) return s;
    std::fprintf(stderr, "framewise: FFmpeg has no function %s\n", name);
    std::_Exit(127);
}

}  // namespace

#define FW_FORWARD(ret, name, params, args)                                                   \
    extern "C" ret name params {                                                              \
        static const auto real = reinterpret_cast<ret(*) params>(symbol(#name));              \
        return real args;                                                                     \
    }

// libavutil
FW_FORWARD(int, av_channel_layout_compare, (const AVChannelLayout* chl, const AVChannelLayout* chl1), (chl, chl1))
FW_FORWARD(int, av_channel_layout_copy, (AVChannelLayout* dst, const AVChannelLayout* src), (dst, src))
FW_FORWARD(void, av_channel_layout_default, (AVChannelLayout* ch_layout, int nb_channels), (ch_layout, nb_channels))
FW_FORWARD(void, av_channel_layout_uninit, (AVChannelLayout* channel_layout), (channel_layout))
FW_FORWARD(AVFrame*, av_frame_alloc, (void), ())
FW_FORWARD(void, av_frame_free, (AVFrame** frame), (frame))
FW_FORWARD(void, av_frame_unref, (AVFrame* frame), (frame))
FW_FORWARD(void, av_free, (void* ptr), (ptr))
FW_FORWARD(void, av_freep, (void* ptr), (ptr))
FW_FORWARD(void, av_log_set_level, (int level), (level))
FW_FORWARD(void*, av_malloc, (size_t size), (size))
FW_FORWARD(void, av_max_alloc, (size_t max), (max))
// libavcodec
FW_FORWARD(int, av_codec_is_encoder, (const AVCodec* codec), (codec))
FW_FORWARD(const AVCodec*, av_codec_iterate, (void** opaque), (opaque))
FW_FORWARD(AVPacket*, av_packet_alloc, (void), ())
FW_FORWARD(void, av_packet_free, (AVPacket** pkt), (pkt))
FW_FORWARD(void, av_packet_unref, (AVPacket* pkt), (pkt))
FW_FORWARD(AVCodecContext*, avcodec_alloc_context3, (const AVCodec* codec), (codec))
FW_FORWARD(const AVCodec*, avcodec_find_decoder, (enum AVCodecID id), (id))
FW_FORWARD(void, avcodec_free_context, (AVCodecContext** avctx), (avctx))
FW_FORWARD(const char*, avcodec_get_name, (enum AVCodecID id), (id))
FW_FORWARD(int, avcodec_open2, (AVCodecContext* avctx, const AVCodec* codec, AVDictionary** options), (avctx, codec, options))
FW_FORWARD(int, avcodec_parameters_to_context, (AVCodecContext* codec, const AVCodecParameters* par), (codec, par))
FW_FORWARD(int, avcodec_receive_frame, (AVCodecContext* avctx, AVFrame* frame), (avctx, frame))
FW_FORWARD(int, avcodec_send_packet, (AVCodecContext* avctx, const AVPacket* avpkt), (avctx, avpkt))
FW_FORWARD(unsigned, avcodec_version, (void), ())
// libavformat
FW_FORWARD(enum AVCodecID, av_codec_get_id, (const struct AVCodecTag* const* tags, unsigned int tag), (tags, tag))
FW_FORWARD(int, av_find_best_stream,
           (AVFormatContext* ic, enum AVMediaType type, int wanted_stream_nb, int related_stream, const AVCodec** decoder_ret, int flags),
           (ic, type, wanted_stream_nb, related_stream, decoder_ret, flags))
FW_FORWARD(const AVInputFormat*, av_find_input_format, (const char* short_name), (short_name))
FW_FORWARD(int, av_read_frame, (AVFormatContext* s, AVPacket* pkt), (s, pkt))
FW_FORWARD(AVFormatContext*, avformat_alloc_context, (void), ())
FW_FORWARD(void, avformat_close_input, (AVFormatContext** s), (s))
FW_FORWARD(int, avformat_find_stream_info, (AVFormatContext* ic, AVDictionary** options), (ic, options))
FW_FORWARD(const struct AVCodecTag*, avformat_get_riff_video_tags, (void), ())
FW_FORWARD(int, avformat_open_input, (AVFormatContext** ps, const char* url, const AVInputFormat* fmt, AVDictionary** options),
           (ps, url, fmt, options))
FW_FORWARD(unsigned, avformat_version, (void), ())
FW_FORWARD(AVIOContext*, avio_alloc_context,
           (unsigned char* buffer, int buffer_size, int write_flag, void* opaque, int (*read_packet)(void* opaque, uint8_t* buf, int buf_size),
            int (*write_packet)(void* opaque, uint8_t* buf, int buf_size), int64_t (*seek)(void* opaque, int64_t offset, int whence)),
           (buffer, buffer_size, write_flag, opaque, read_packet, write_packet, seek))
FW_FORWARD(void, avio_context_free, (AVIOContext** s), (s))
FW_FORWARD(int64_t, avio_seek, (AVIOContext* s, int64_t offset, int whence), (s, offset, whence))
// libavfilter
FW_FORWARD(const AVFilter*, av_filter_iterate, (void** opaque), (opaque))
// libswresample
FW_FORWARD(unsigned, swresample_version, (void), ())
FW_FORWARD(int, swr_alloc_set_opts2,
           (struct SwrContext** ps, AVChannelLayout* out_ch_layout, enum AVSampleFormat out_sample_fmt, int out_sample_rate,
            AVChannelLayout* in_ch_layout, enum AVSampleFormat in_sample_fmt, int in_sample_rate, int log_offset, void* log_ctx),
           (ps, out_ch_layout, out_sample_fmt, out_sample_rate, in_ch_layout, in_sample_fmt, in_sample_rate, log_offset, log_ctx))
FW_FORWARD(int, swr_convert, (struct SwrContext* s, uint8_t** out, int out_count, const uint8_t** in, int in_count), (s, out, out_count, in, in_count))
FW_FORWARD(void, swr_free, (struct SwrContext** s), (s))
FW_FORWARD(int, swr_get_out_samples, (struct SwrContext* s, int in_samples), (s, in_samples))
FW_FORWARD(int, swr_init, (struct SwrContext* s), (s))
