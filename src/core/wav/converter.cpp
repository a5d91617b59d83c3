#include "core/wav/converter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <vector>

#include "core/common/atomic_file.h"
#include "core/common/file_io.h"
#include "core/common/lang.h"
#include "core/common/number.h"

namespace fw::wav {

namespace fs = std::filesystem;

std::string outputPath(const std::string& source, const std::string& outDir) {
    fs::path name = fs::path(source).filename();
    name.replace_extension("wav");
    return (fs::path(outDir) / name).string();
}

std::string prefixedPath(const std::string& output) {
    const fs::path p(output);
    for (int n = 1; n <= 999; ++n) {
        char prefix[8];
        std::snprintf(prefix, sizeof prefix, "%03d_", n);
        const fs::path candidate = p.parent_path() / (prefix + p.filename().string());
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate.string();
    }
    return {};
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

Message existsQuestion(const std::string& output) {
    std::error_code ec;
    const auto bytes = fs::file_size(output, ec);
    std::string when;
    struct stat st {};
    if (::stat(output.c_str(), &st) == 0) {
        std::tm tm{};
        localtime_r(&st.st_mtime, &tm);
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
        when = buf;
    }
    const std::string prefixed = fs::path(prefixedPath(output)).filename().string();
    const std::string size = ec ? std::string("?") : std::to_string(bytes);
    std::string text = LangText("WavConverterMsgBox", 1) + " " + output + " " + LangText("WavConverterMsgBox", 2) + "\n\n";
    text += LangText("WavConverterMsgBox", 3) + "\t" + size + " " + LangText("WavConverterMsgBox", 4) + "\n";
    text += LangText("WavConverterMsgBox", 5) + "\t" + when + "\n\n";
    text += LangText("WavConverterMsgBox", 6) + "\n" + LangText("WavConverterMsgBox", 7) + " " + prefixed + "\n";
    text += LangText("WavConverterMsgBox", 8) + "\n\n" + LangText("WavConverterMsgBox", 9);
    Message m = Message::fixed(std::move(text), Icon::Question);
    m.buttons = Buttons::YesNoCancel;
    return m;
}

namespace {

bool writeHeader(AtomicFileWriter& out, const std::vector<std::uint8_t>& header) { return out.writeAt(header.data(), header.size(), 0); }

// A plain header that turned out too small for its data: the data moves behind an RF64 header in
// a second temporary file. Rare (the running time said less than 2 GiB), so simple beats clever.
bool rewriteAsRf64(int fromFd, std::size_t fromHeader, const PcmFormat& f, std::uint64_t dataBytes, AtomicFileWriter& out,
                   Progress& progress) {
    if (!out.ok() || !out.write(wavHeader(f, dataBytes, HeaderKind::Rf64).data(), headerSize(f, HeaderKind::Rf64))) return false;
    std::vector<std::uint8_t> buf(4 << 20);
    std::uint64_t copied = 0;
    while (copied < dataBytes) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), dataBytes - copied));
        const ssize_t n = ::pread(fromFd, buf.data(), want, static_cast<off_t>(fromHeader + copied));
        if (n <= 0 || !out.write(buf.data(), static_cast<std::size_t>(n))) return false;
        copied += static_cast<std::uint64_t>(n);
        progress.report(copied, dataBytes);  // past the point of stopping: the data is all there
    }
    if (dataBytes & 1) {
        const std::uint8_t pad = 0;
        if (!out.write(&pad, 1)) return false;
    }
    return true;
}

// Whether a block holds anything but silence (0 for 16-bit samples, 128 for 8-bit ones).
bool audible(const std::uint8_t* p, std::size_t n, int bits) {
    const std::uint8_t quiet = bits == 8 ? 0x80 : 0;
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] != quiet) return true;
    return false;
}

}  // namespace

std::optional<Message> checkOutput(const std::string& output) {
    std::error_code ec;
    const auto st = fs::status(output, ec);
    if (fs::exists(st) && !fs::is_regular_file(st)) {
        Message m = Message::lang("WavConverterMsgBox", 28, Icon::Exclamation);
        m.suffix = " " + output;
        return m;
    }
    return std::nullopt;
}

ConvertResult convert(Decoder& decoder, const std::string& output, Progress progress, const ConvertOptions& options) {
    ConvertResult res;
    res.output = output;
    res.format = decoder.info().format;
    const auto start = std::chrono::steady_clock::now();
    auto fail = [&](Message m) {
        res.ok = false;
        res.status = LangText("WavConverter", 9);
        m.suffix += "\n" + LangText("WavConverterMsgBox", 21);
        res.messages.push_back(std::move(m));
        return res;
    };
    auto cannotWrite = [] { return Message::lang("WavConverterMsgBox", 22, Icon::Critical); };
    if (auto m = checkOutput(output)) return fail(*m);
    std::error_code ec;
    // Written over with the user's consent; a file that was not there is never replaced, even
    // one that appears while the conversion runs.
    const bool replacing = fs::exists(fs::symlink_status(output, ec));
    auto place = [&](AtomicFileWriter& w) {
        if (replacing) return w.commit();
        if (w.commitNew()) return true;
        if (!w.targetTaken()) return false;
        const std::string other = prefixedPath(output);
        if (other.empty()) return false;
        w.retarget(other);
        if (!w.commitNew()) return false;
        res.output = other;
        Message m = Message::lang("WavConverterMsgBox", 34, Icon::Information);
        m.suffix = " " + other;
        res.messages.push_back(std::move(m));
        return true;
    };

    const PcmFormat& f = res.format;
    // Room for RF64 when the source says it may need it; its JUNK chunk costs 36 bytes otherwise.
    const bool mayGrow = decoder.info().expectedBytes > options.riffLimit / 2;
    res.header = mayGrow ? HeaderKind::Reserved : HeaderKind::Plain;
    const std::size_t headerBytes = headerSize(f, res.header);

    AtomicFileWriter out(output);
    const auto first = unfinishedHeader(f, res.header);
    if (!out.ok() || !out.write(first.data(), first.size())) return fail(cannotWrite());

    std::vector<std::uint8_t> block(kBlockBytes);
    const DecodePosition& pos = decoder.position();
    bool sound = false;
    for (;;) {
        const std::size_t n = decoder.read(block.data(), block.size());
        if (n == 0) break;
        if (!out.write(block.data(), n)) return fail(cannotWrite());
        sound = sound || audible(block.data(), n, f.bits);
        res.dataBytes += n;
        if (!progress.report(pos.done, pos.total)) {
            res.stopped = true;
            res.frames = res.dataBytes / static_cast<std::uint64_t>(f.blockAlign());
            // The part written so far never takes the place of a file the user had.
            if (replacing) {
                res.status = LangText("WavConverter", 14);
                return res;
            }
            // Otherwise it stays, and its header says it is unfinished.
            if (options.sizesOnStop && options.sizesOnStop->load() && !needsRf64(res.dataBytes, headerBytes, options.riffLimit)) {
                const std::uint8_t pad = 0;
                const bool sized = ((res.dataBytes & 1) == 0 || out.write(&pad, 1)) &&
                                   writeHeader(out, wavHeader(f, res.dataBytes, res.header));
                if (!sized) return fail(cannotWrite());
            }
            if (!place(out)) return fail(cannotWrite());
            res.status = LangText("WavConverter", 8);
            return res;
        }
    }
    if (decoder.failure()) return fail(*decoder.failure());
    res.frames = res.dataBytes / static_cast<std::uint64_t>(f.blockAlign());
    res.warnings = decoder.warnings();
    if (res.dataBytes > 0 && !sound) res.warnings.push_back(Message::lang("WavConverterMsgBox", 33, Icon::Information));

    if (res.dataBytes & 1) {
        const std::uint8_t pad = 0;  // RIFF chunks end on an even offset
        if (!out.write(&pad, 1)) return fail(cannotWrite());
    }
    if (needsRf64(res.dataBytes, headerBytes, options.riffLimit)) {
        if (res.header == HeaderKind::Plain) {
            // The first temporary file goes when `out` does; the rewritten one takes its place.
            AtomicFileWriter rf(output);
            if (!rewriteAsRf64(out.fd(), headerBytes, f, res.dataBytes, rf, progress) || !place(rf)) return fail(cannotWrite());
            res.header = HeaderKind::Rf64;
            res.ok = true;
        } else {
            res.header = HeaderKind::Rf64;
        }
    }
    if (!res.ok) {
        if (!writeHeader(out, wavHeader(f, res.dataBytes, res.header)) || !place(out)) return fail(cannotWrite());
        res.ok = true;
    }
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    res.status = LangText("WavConverter", 7) + " " + numberText(roundHalfEven(secs, 2)) + " s";
    return res;
}

std::string timeLabel(double seconds) {
    const std::int64_t s = std::max<std::int64_t>(0, toInt64Saturated(seconds));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(s / 60), static_cast<long long>(s % 60));
    return buf;
}

std::string sizeLabel(const SourceInfo& info) {
    if (info.kind == SourceKind::Module) return LangText("InvCalc", 6) + " " + timeLabel(info.seconds);
    return LangText("InvCalc", 7) + " " + std::to_string(info.expectedBytes) + " bytes";
}

std::string positionLabel(const SourceInfo& info, const DecodePosition& pos) {
    std::string at = info.kind == SourceKind::Module
                         ? std::to_string(std::max(0, pos.order.load())) + ":" + std::to_string(std::max(0, pos.row.load()))
                         : std::to_string(pos.bytes.load());
    return LangText("WavConverter", 1) + " " + at;
}

std::string moduleCaption(const SourceInfo& info) {
    return "Playing MOD music \\" + info.title + "\\ [" + std::to_string(info.orders) + " orders]";
}

}  // namespace fw::wav
