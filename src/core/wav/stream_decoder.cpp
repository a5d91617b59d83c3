// Compressed audio through FFmpeg: demux the best audio stream, decode, convert to interleaved
// 16-bit (8-bit sources stay 8-bit) at the source's own rate and channels.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "core/common/file_io.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/wav/decoder.h"

namespace fw::wav {

namespace {

constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;
constexpr int kMaxRateChange = 16;
constexpr int kMaxErrorsInARow = 1000;
constexpr std::size_t kMaxFfmpegAllocation = 256u << 20;

// The length an MPEG audio frame header of the stream's rate declares; 0 when the bytes are no
// such header (junk after the last frame, a tag) or the frame is free format.
int mpegFrameLength(const std::uint8_t* p, int size, int streamRate) {
    if (size < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return 0;
    const int version = (p[1] >> 3) & 3;  // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
    const int layer = 4 - ((p[1] >> 1) & 3);
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    const int padding = (p[2] >> 1) & 1;
    if (version == 1 || layer == 4 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return 0;
    static constexpr int kRates[3] = {44100, 48000, 32000};
    static constexpr int kKbps[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    const bool mpeg1 = version == 3;
    const int rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    if (rate != streamRate) return 0;
    const int bitrate = kKbps[mpeg1 ? 0 : 1][layer - 1][bitrateIndex] * 1000;
    if (layer == 1) return (12 * bitrate / rate + padding) * 4;
    const int perFrame = (layer == 3 && !mpeg1) ? 72 : 144;
    return perFrame * bitrate / rate + padding;
}

// FFmpeg reads through our descriptor: opened as a regular file only, so a FIFO never blocks.
int readFd(void* opaque, std::uint8_t* buf, int size) {
    const int fd = *static_cast<int*>(opaque);
    for (;;) {
        const ssize_t n = ::read(fd, buf, static_cast<std::size_t>(size));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return AVERROR(errno);
        return n == 0 ? AVERROR_EOF : static_cast<int>(n);
    }
}

std::int64_t seekFd(void* opaque, std::int64_t offset, int whence) {
    const int fd = *static_cast<int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat st {};
        return ::fstat(fd, &st) == 0 ? st.st_size : AVERROR(errno);
    }
    const off_t r = ::lseek(fd, offset, whence & ~AVSEEK_FORCE);
    return r < 0 ? AVERROR(errno) : r;
}

bool sameLayout(const AVChannelLayout& a, const AVChannelLayout& b) { return av_channel_layout_compare(&a, &b) == 0; }

class StreamDecoder final : public Decoder {
public:
    ~StreamDecoder() override {
        swr_free(&m_swr);
        av_channel_layout_uninit(&m_inLayout);
        av_channel_layout_uninit(&m_outLayout);
        av_frame_free(&m_frame);
        av_packet_free(&m_pkt);
        avcodec_free_context(&m_dec);
        avformat_close_input(&m_fmt);
        if (m_io) av_freep(&m_io->buffer);
        avio_context_free(&m_io);
        if (m_fd >= 0) ::close(m_fd);
    }

    // 0, or the reason the source cannot be played (a WavConverterMsgBox key).
    int open(const std::string& path) {
        // FFmpeg trusts some sizes a file declares before it reads what they cover (a WAV's LIST
        // chunk, say): one allocation per block of audio never needs more than this.
        static const bool bounded = [] {
            av_max_alloc(kMaxFfmpegAllocation);
            return true;
        }();
        (void)bounded;
        std::error_code ec;
        m_info.fileSize = static_cast<std::int64_t>(std::filesystem::file_size(path, ec));
        if (ec) return kUnreadable;
        if (m_info.fileSize == 0) return kEmpty;
        m_fd = openRegular(path, O_RDONLY);
        if (m_fd < 0) return kUnreadable;
        constexpr int kIoBuffer = 1 << 16;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBuffer));
        if (!buffer) return kNoDecoder;
        m_io = avio_alloc_context(buffer, kIoBuffer, 0, &m_fd, readFd, nullptr, seekFd);
        if (!m_io) {
            av_free(buffer);
            return kNoDecoder;
        }
        m_fmt = avformat_alloc_context();
        if (!m_fmt) return kNoDecoder;
        m_fmt->pb = m_io;
        // The name still counts for the formats that are told by their extension.
        if (avformat_open_input(&m_fmt, path.c_str(), nullptr, nullptr) < 0) return kNotAudio;
        // FFmpeg can render modules too, but through its own settings; modules go to libopenmpt.
        if (std::strcmp(m_fmt->iformat->name, "libopenmpt") == 0) return kNotAudio;
        if (avformat_find_stream_info(m_fmt, nullptr) < 0) return kNotAudio;
        const AVCodec* codec = nullptr;
        m_stream = av_find_best_stream(m_fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (m_stream < 0 || !codec) return m_stream == AVERROR_DECODER_NOT_FOUND ? kNoDecoder : kNotAudio;
        for (unsigned i = 0; i < m_fmt->nb_streams; ++i)
            if (static_cast<int>(i) != m_stream) m_fmt->streams[i]->discard = AVDISCARD_ALL;
        AVStream* st = m_fmt->streams[m_stream];
        m_dec = avcodec_alloc_context3(codec);
        m_pkt = av_packet_alloc();
        m_frame = av_frame_alloc();
        if (!m_dec || !m_pkt || !m_frame) return kNoDecoder;
        if (avcodec_parameters_to_context(m_dec, st->codecpar) < 0 || avcodec_open2(m_dec, codec, nullptr) < 0) return kNoDecoder;
        const std::string_view fmtName = m_fmt->iformat->name;
        m_rawMpeg = fmtName == "mp3" && (codec->id == AV_CODEC_ID_MP1 || codec->id == AV_CODEC_ID_MP2 || codec->id == AV_CODEC_ID_MP3);
        // Formats whose header states the length of the audio, so a shorter file is a cut one.
        if ((fmtName == "mp3" || fmtName == "flac" || fmtName == "wav") &&
            m_fmt->duration_estimation_method == AVFMT_DURATION_FROM_STREAM && st->duration > 0 &&
            st->duration != AV_NOPTS_VALUE)
            m_declaredSeconds = static_cast<double>(st->duration) * av_q2d(st->time_base);
        // A film's audio header states its length too (in blocks or bytes, as the stream's time
        // base counts them; the demuxer's duration follows what it found), but writers of the day
        // often got it wrong: a shorter stream is worth a warning there, not a refusal. Only a
        // writer that came back to its headers wrote a length: one writing into a pipe, or
        // stopped, leaves placeholders there as in the RIFF size.
        else if (fmtName == "avi" && st->nb_frames > 0 && riffSizeWritten())
            m_statedSeconds = static_cast<double>(st->nb_frames) * av_q2d(st->time_base);
        m_info.kind = SourceKind::Stream;
        m_info.codec = avcodec_get_name(codec->id);
        m_position.total = static_cast<std::uint64_t>(m_info.fileSize);

        // The format is the one the first block comes in, so decode up to it now.
        m_block.reserve(1 << 16);
        if (!refill()) return m_failure ? m_reason : kNoSound;
        if (m_fmt->duration > 0 && m_fmt->duration != AV_NOPTS_VALUE)
            m_info.seconds = static_cast<double>(m_fmt->duration) / AV_TIME_BASE;
        m_info.expectedBytes = static_cast<std::uint64_t>(
            std::max<std::int64_t>(0, toInt64Saturated(m_info.seconds * m_info.format.sampleRate))) *
            static_cast<std::uint64_t>(m_info.format.blockAlign());
        return 0;
    }

    std::size_t decode(std::uint8_t* out, std::size_t cap) override {
        std::size_t given = 0;
        while (given < cap) {
            if (m_blockPos == m_block.size() && !refill()) break;
            const std::size_t n = std::min(cap - given, m_block.size() - m_blockPos);
            std::memcpy(out + given, m_block.data() + m_blockPos, n);
            m_blockPos += n;
            given += n;
        }
        return m_failure ? 0 : given;
    }

private:
    bool fail(int reasonKey, double atSeconds = -1) {
        m_reason = reasonKey;
        Message m = cantPlay(reasonKey);
        if (atSeconds >= 0) m.suffix += " " + numberText(roundHalfEven(atSeconds, 2)) + " s.";
        m_failure = std::move(m);
        m_block.clear();
        m_blockPos = 0;
        return false;
    }

    double decodedSeconds() const {
        return m_info.format.sampleRate > 0 ? static_cast<double>(m_framesOut) / m_info.format.sampleRate : 0;
    }

    // A packet the decoder refuses is skipped, as players skip it: a glitch in a long file or a
    // second file's tag in a joined one must not cost the whole file. What comes before the first
    // sound (header packets some muxers repeat) or after the last (junk, a Lyrics3 tag) is no
    // damage to the audio; a skip between sounds is, and is counted and reported.
    void skipped() {
        if (!m_started) return;
        if (m_pendingSkips++ == 0) m_pendingAt = decodedSeconds();
    }
    void soundAfterSkips() {
        if (m_pendingSkips == 0) return;
        if (m_skips == 0) m_firstSkip = m_pendingAt;
        m_skips += m_pendingSkips;
        m_pendingSkips = 0;
    }

    bool riffSizeWritten() const {
        unsigned char h[8];
        if (::pread(m_fd, h, 8, 0) != 8) return false;
        const std::uint32_t size = h[4] | h[5] << 8 | h[6] << 16 | std::uint32_t(h[7]) << 24;
        return size != 0 && size != 0xFFFFFFFFu;
    }

    // The end is where the stream says it is: a header that promised more audio than came, or a
    // last MPEG frame shorter than its own header says, is a cut file, not a short song.
    bool cutShort() const {
        if (m_lastPacketShort) return true;
        return m_declaredSeconds > 0 && m_declaredSeconds - decodedSeconds() > std::max(0.25, 0.01 * m_declaredSeconds);
    }

    // Decodes until there is output, the end, or a failure.
    bool refill() {
        m_block.clear();
        m_blockPos = 0;
        while (m_block.empty()) {
            if (m_failure || m_ended) return false;
            int r = avcodec_receive_frame(m_dec, m_frame);
            if (r == 0) {
                m_stuck = 0;
                if (m_frame->nb_samples > 0) soundAfterSkips();
                const bool ok = convert(m_frame);
                av_frame_unref(m_frame);
                if (!ok) return false;
                continue;
            }
            // A decoder that only ever answers with errors ends the stream rather than the program.
            if (r == AVERROR_EOF || (r == AVERROR(EAGAIN) && m_draining) || m_stuck > kMaxErrorsInARow) {
                if (m_swr && !drainResampler()) return false;
                m_ended = true;
                if (cutShort()) return fail(kCutShort, decodedSeconds());
                if (m_statedSeconds - decodedSeconds() > std::max(0.25, 0.01 * m_statedSeconds)) {
                    Message w = Message::lang("WavConverterMsgBox", 35, Icon::Exclamation);
                    w.suffix = " " + numberText(roundHalfEven(decodedSeconds(), 2)) + " s / " +
                               numberText(roundHalfEven(m_statedSeconds, 2)) + " s";
                    m_warnings.push_back(std::move(w));
                }
                if (m_skips > 0) {
                    Message w = Message::lang("WavConverterMsgBox", 30, Icon::Information);
                    w.suffix = " " + std::to_string(m_skips) + " (" + LangText("WavConverterMsgBox", 31) + " " +
                               numberText(roundHalfEven(m_firstSkip, 2)) + " s)";
                    m_warnings.push_back(std::move(w));
                }
                return !m_block.empty();
            }
            if (r != AVERROR(EAGAIN)) {
                skipped();
                ++m_stuck;
                continue;
            }
            r = av_read_frame(m_fmt, m_pkt);
            m_position.done = static_cast<std::uint64_t>(std::max<std::int64_t>(0, avio_tell(m_io)));
            if (r < 0) {
                // A read error is the disk's; anything else the demuxer stops at is the stream's end.
                if (r != AVERROR_EOF && m_io->error < 0 && m_io->error != AVERROR_EOF) return fail(kUnreadable);
                avcodec_send_packet(m_dec, nullptr);
                m_draining = true;
                continue;
            }
            if (m_pkt->stream_index != m_stream) {
                av_packet_unref(m_pkt);
                continue;
            }
            if (m_rawMpeg) {
                const int need = mpegFrameLength(m_pkt->data, m_pkt->size, m_info.format.sampleRate > 0 ? m_info.format.sampleRate : m_dec->sample_rate);
                m_lastPacketShort = need > 0 && m_pkt->size < need;
            }
            r = avcodec_send_packet(m_dec, m_pkt);
            av_packet_unref(m_pkt);
            m_stuck = 0;
            if (r < 0 && r != AVERROR(EAGAIN)) skipped();
        }
        return true;
    }

    bool setUpResampler(const AVFrame* f) {
        swr_free(&m_swr);
        av_channel_layout_uninit(&m_inLayout);
        if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&m_inLayout, f->ch_layout.nb_channels);
        else if (av_channel_layout_copy(&m_inLayout, &f->ch_layout) < 0)
            return false;
        m_inRate = f->sample_rate;
        m_inFmt = static_cast<AVSampleFormat>(f->format);
        if (!m_started) {
            // The output keeps the first block's layout and rate for the whole file: a WAV file
            // has one format, and a stream that changes midway is resampled to it.
            if (av_channel_layout_copy(&m_outLayout, &m_inLayout) < 0) return false;
            const bool eightBit = m_inFmt == AV_SAMPLE_FMT_U8 || m_inFmt == AV_SAMPLE_FMT_U8P;
            m_outFmt = eightBit ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
            PcmFormat& pf = m_info.format;
            pf.channels = m_outLayout.nb_channels;
            pf.sampleRate = f->sample_rate;
            pf.bits = eightBit ? 8 : 16;
            const bool speakers = m_outLayout.order == AV_CHANNEL_ORDER_NATIVE && (m_outLayout.u.mask & ~0x3FFFFull) == 0;
            pf.channelMask = pf.channels > 2 && speakers ? m_outLayout.u.mask : 0;
            m_started = true;
        }
        if (swr_alloc_set_opts2(&m_swr, &m_outLayout, m_outFmt, m_info.format.sampleRate, &m_inLayout, m_inFmt, m_inRate, 0,
                                nullptr) < 0 ||
            swr_init(m_swr) < 0)
            return false;
        return true;
    }

    bool convert(const AVFrame* f) {
        if (f->nb_samples <= 0) return true;
        if (f->sample_rate < kMinRate || f->sample_rate > kMaxRate || f->ch_layout.nb_channels <= 0 || f->ch_layout.nb_channels > 64) {
            skipped();
            return true;
        }
        // A stream that changes its rate midway is resampled to the first rate; a change beyond
        // any real one (a damaged header) would turn one block into gigabytes.
        if (m_started && (f->sample_rate > m_info.format.sampleRate * kMaxRateChange ||
                          f->sample_rate * kMaxRateChange < m_info.format.sampleRate)) {
            skipped();
            return true;
        }
        AVChannelLayout layout{};
        if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) av_channel_layout_default(&layout, f->ch_layout.nb_channels);
        else av_channel_layout_copy(&layout, &f->ch_layout);
        const bool changed = !m_swr || f->sample_rate != m_inRate || f->format != m_inFmt || !sameLayout(layout, m_inLayout);
        av_channel_layout_uninit(&layout);
        if (changed) {
            if (m_swr && !drainResampler()) return false;
            if (!setUpResampler(f)) return fail(kDamaged, decodedSeconds());
        }
        const int room = swr_get_out_samples(m_swr, f->nb_samples);
        if (room < 0) return fail(kDamaged, decodedSeconds());
        return appendConverted(const_cast<const std::uint8_t**>(f->extended_data), f->nb_samples, room);
    }

    bool drainResampler() {
        const int room = swr_get_out_samples(m_swr, 0);
        return room <= 0 || appendConverted(nullptr, 0, room);
    }

    bool appendConverted(const std::uint8_t** in, int inSamples, int room) {
        const std::size_t frameBytes = static_cast<std::size_t>(m_info.format.blockAlign());
        const std::size_t at = m_block.size();
        m_block.resize(at + static_cast<std::size_t>(room) * frameBytes);
        std::uint8_t* out = m_block.data() + at;
        const int got = swr_convert(m_swr, &out, room, in, inSamples);
        if (got < 0) return fail(kDamaged, decodedSeconds());
        m_block.resize(at + static_cast<std::size_t>(got) * frameBytes);
        if constexpr (std::endian::native == std::endian::big) {
            if (m_outFmt == AV_SAMPLE_FMT_S16)
                for (std::size_t i = at; i + 1 < m_block.size(); i += 2) std::swap(m_block[i], m_block[i + 1]);
        }
        m_framesOut += static_cast<std::uint64_t>(got);
        return true;
    }

    int m_fd = -1;
    int m_reason = 0;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_fmt = nullptr;
    AVCodecContext* m_dec = nullptr;
    SwrContext* m_swr = nullptr;
    AVPacket* m_pkt = nullptr;
    AVFrame* m_frame = nullptr;
    int m_stream = -1;
    AVChannelLayout m_inLayout{};
    AVChannelLayout m_outLayout{};
    AVSampleFormat m_inFmt = AV_SAMPLE_FMT_NONE;
    AVSampleFormat m_outFmt = AV_SAMPLE_FMT_S16;
    int m_inRate = 0;
    bool m_started = false;
    bool m_draining = false;
    bool m_ended = false;
    bool m_rawMpeg = false;
    bool m_lastPacketShort = false;
    std::uint64_t m_skips = 0;
    std::uint64_t m_pendingSkips = 0;
    double m_pendingAt = 0;
    int m_stuck = 0;
    double m_firstSkip = 0;
    double m_declaredSeconds = 0;
    double m_statedSeconds = 0;
    std::uint64_t m_framesOut = 0;
    std::vector<std::uint8_t> m_block;
    std::size_t m_blockPos = 0;
};

}  // namespace

OpenResult openStream(const std::string& path) {
    auto d = std::make_unique<StreamDecoder>();
    if (const int why = d->open(path)) return {nullptr, d->failure() ? *d->failure() : cantPlay(why), why};
    return {std::move(d), {}, 0};
}

}  // namespace fw::wav
