// Tracker modules through libopenmpt, rendered with its defaults at 44100 Hz, stereo, 16 bits.
#include <libopenmpt/libopenmpt.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <vector>

#include "core/common/file_io.h"
#include "core/common/text.h"
#include "core/wav/decoder.h"

namespace fw::wav {

namespace {

constexpr int kModuleRate = 44100;

std::string metadata(openmpt_module* mod, const char* key) {
    const char* v = openmpt_module_get_metadata(mod, key);
    std::string s = v ? v : "";
    openmpt_free_string(v);
    return s;
}

// Bytes a ProTracker-style module lacks: its header says how many patterns and sample bytes follow,
// and libopenmpt plays a cut file with silence in place of what is missing, without a word.
std::int64_t modMissingBytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (size < 1084) return 0;
    const std::string sig(reinterpret_cast<const char*>(p) + 1080, 4);
    int channels = 0;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (sig == "M.K." || sig == "M!K!" || sig == "M&K!" || sig == "FLT4" || sig == "4CHN" || sig == "N.T.") channels = 4;
    else if (sig == "FLT8" || sig == "CD81" || sig == "OKTA" || sig == "OCTA") channels = 8;
    else if (digit(sig[0]) && sig.compare(1, 3, "CHN") == 0) channels = sig[0] - '0';
    else if (digit(sig[0]) && digit(sig[1]) && (sig.compare(2, 2, "CH") == 0 || sig.compare(2, 2, "CN") == 0))
        channels = (sig[0] - '0') * 10 + (sig[1] - '0');
    if (channels <= 0) return 0;  // a 15-sample module or another layout: nothing to check by
    int patterns = 0;
    for (int i = 0; i < 128; ++i) patterns = std::max(patterns, p[952 + i] + 1);
    std::int64_t expected = 1084 + std::int64_t{patterns} * 64 * channels * 4;
    for (int i = 0; i < 31; ++i) {
        const std::size_t at = 20 + 30 * static_cast<std::size_t>(i) + 22;
        expected += 2 * ((p[at] << 8) | p[at + 1]);
    }
    return std::max<std::int64_t>(0, expected - static_cast<std::int64_t>(size));
}

class ModuleDecoder final : public Decoder {
public:
    ~ModuleDecoder() override {
        if (m_mod) openmpt_module_destroy(m_mod);
    }

    int open(const void* data, std::size_t size) {
        if (size == 0) return kEmpty;
        int error = 0;
        m_mod = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
                                                   nullptr, &error, nullptr, nullptr);
        if (!m_mod) return kNotAudio;
        // libopenmpt's default dither is random: two conversions of one module would differ in
        // the last bit. Without it the same module always gives the same file.
        openmpt_module_ctl_set_integer(m_mod, "dither", 0);
        m_info.kind = SourceKind::Module;
        m_info.format = PcmFormat{2, kModuleRate, 16, 0};
        m_info.fileSize = static_cast<std::int64_t>(size);
        // Module names are 8-bit text of their day: shown as is when they are UTF-8, Latin-1 else.
        m_info.title = displayText(metadata(m_mod, "title"));
        m_info.codec = metadata(m_mod, "type_long");
        m_info.orders = openmpt_module_get_num_orders(m_mod);
        if (metadata(m_mod, "type") == "mod") {
            if (const std::int64_t missing = modMissingBytes(data, size)) {
                Message w = Message::lang("WavConverterMsgBox", 32, Icon::Information);
                w.suffix = " " + std::to_string(missing);
                m_warnings.push_back(std::move(w));
            }
        }
        const double seconds = openmpt_module_get_duration_seconds(m_mod);
        m_info.seconds = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
        m_info.expectedBytes = static_cast<std::uint64_t>(std::llround(m_info.seconds * kModuleRate)) * 4;
        m_position.total = static_cast<std::uint64_t>(std::llround(m_info.seconds * 1000));
        return 0;
    }

    std::size_t decode(std::uint8_t* out, std::size_t cap) override {
        const std::size_t frames = std::min<std::size_t>(cap / 4, m_samples.size() / 2);
        if (frames == 0) return 0;
        const std::size_t got = openmpt_module_read_interleaved_stereo(m_mod, kModuleRate, frames, m_samples.data());
        for (std::size_t i = 0; i < got * 2; ++i) {
            const auto v = static_cast<std::uint16_t>(m_samples[i]);
            out[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
            out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        m_position.order = openmpt_module_get_current_order(m_mod);
        m_position.row = openmpt_module_get_current_row(m_mod);
        const double at = openmpt_module_get_position_seconds(m_mod);
        if (std::isfinite(at) && at > 0) m_position.done = static_cast<std::uint64_t>(std::llround(at * 1000));
        return got * 4;
    }

private:
    openmpt_module* m_mod = nullptr;
    std::vector<std::int16_t> m_samples = std::vector<std::int16_t>(2 * 8192);
};

// The whole file, when it is no larger than a module can reasonably be.
std::optional<std::string> readModuleFile(const std::string& path, int& why) {
    const int fd = openRegular(path, O_RDONLY);
    if (fd < 0) {
        why = kUnreadable;
        return std::nullopt;
    }
    std::string data;
    std::string buf(1 << 16, '\0');
    bool bad = false;
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            bad = n < 0;
            break;
        }
        if (static_cast<std::int64_t>(data.size()) + n > kMaxModuleBytes) {
            ::close(fd);
            why = kTooLarge;
            return std::nullopt;
        }
        data.append(buf.data(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (bad) {
        why = kUnreadable;
        return std::nullopt;
    }
    return data;
}

}  // namespace

OpenResult openModuleFromMemory(const void* data, std::size_t size) {
    auto d = std::make_unique<ModuleDecoder>();
    if (const int why = d->open(data, size)) return {nullptr, cantPlay(why), why};
    return {std::move(d), {}, 0};
}

OpenResult openModule(const std::string& path) {
    int why = 0;
    auto data = readModuleFile(path, why);
    if (!data) return {nullptr, cantPlay(why), why};
    return openModuleFromMemory(data->data(), data->size());
}

bool looksLikeModule(const std::string& path) {
    const int fd = openRegular(path, O_RDONLY);
    if (fd < 0) return false;
    std::vector<char> head(openmpt_probe_file_header_get_recommended_size());
    const ssize_t n = ::pread(fd, head.data(), head.size(), 0);
    struct stat st {};
    const bool sized = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (n <= 0 || !sized) return false;
    return openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, head.data(), static_cast<std::size_t>(n),
                                     static_cast<std::uint64_t>(st.st_size), openmpt_log_func_silent, nullptr,
                                     openmpt_error_func_ignore, nullptr, nullptr, nullptr) == OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS;
}

}  // namespace fw::wav
