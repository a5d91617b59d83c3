#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/avi/inspector.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::cli {

using fw::avi::InspectorResult;

namespace {

void writeJson(Json& j, const InspectorResult& r) {
    const auto& info = r.info;
    j.beginObject().field("file", r.path);
    if (!r.ok) {
        j.field("error", r.messages.empty() ? std::string("cannot be read") : r.messages.front().resolve());
        j.endObject();
        return;
    }
    j.field("format", r.isOgm ? "OGM" : "AVI")
        .field("complete", !info.truncated)
        .field("missing_mb", info.missingMB)
        .field("width", info.avih.dwWidth)
        .field("height", info.avih.dwHeight)
        .field("microsec_per_frame", info.avih.dwMicroSecPerFrame)
        .field("fps", roundHalfEven(r.fps, 3))
        .field("total_frames", static_cast<long long>(r.isOgm ? r.oggFrames : info.totalFrames))
        .field("streams", static_cast<int>(info.avih.dwStreams))
        .field("duration_s", info.duration);
    j.key("video").beginObject();
    if (!r.isOgm) j.field("handler", info.videoHeader ? printableCode(info.videoHeader->fccHandler) : "");
    j.field("compression", r.isOgm ? r.fields[2].text : (info.videoFormat ? printableCode(info.videoFormat->biCompression) : ""))
        .field("codec", r.codecName);
    j.key("bit_depth");
    if (r.bitDepth) j.value(*r.bitDepth);
    else j.null();
    j.field("bitrate_kbps", roundHalfEven(info.videoBitrate, 3)).field("decoder_installed", r.decoderInstalled);
    if (info.indexRead && !info.streamTotals.empty())
        j.field("index_entries", static_cast<long long>(info.streamTotals[0].entries))
            .field("empty_entries", static_cast<long long>(info.streamTotals[0].emptyEntries));
    else j.key("index_entries").null().key("empty_entries").null();
    j.endObject();
    j.key("audio").beginArray();
    for (const auto& a : r.audio) {
        j.beginObject().field("stream", a.stream).field("type", a.type).field("analysed", a.analysed);
        if (a.analysed) {
            j.field("format_tag", a.formatTag).field("codec", a.codec).field("cbr", a.cbr).field("kbps", a.kbps)
                .field("channels", a.channels).field("sample_rate", a.sampleRate).field("size_mb", a.sizeMB);
            if (!a.sizeSource.empty())
                j.field("size_bytes", static_cast<long long>(a.sizeBytes)).field("size_source", a.sizeSource);
            j.key("preload_ms");
            if (a.preloadMs) j.value(*a.preloadMs);
            else j.null();
        }
        j.endObject();
    }
    j.endArray();
    j.key("flags").beginObject();
    for (std::size_t i = 0; i < 6; ++i) j.field(toLower(fw::avi::kFlagNames[i] + 5), r.flags[i]);
    j.endObject();
    j.field("opendml", info.openDml).field("opendml_frames", info.odmlTotalFrames)
        .field("movi_mb", roundHalfEven(double(info.moviTotal) / 1048576.0, 2));
    j.key("key_frames");
    if (info.indexRead) j.value(static_cast<long long>(info.keyFrames));
    else j.null();
    j.key("key_frame_percent");
    if (info.indexRead && info.totalFrames) j.value(roundHalfEven(double(info.keyFrames * 100) / double(info.totalFrames), 2));
    else j.null();
    j.field("index", info.indexKind == fw::avi::IndexKind::OpenDml ? "opendml" : info.indexKind == fw::avi::IndexKind::Idx1 ? "idx1" : "none");
    j.key("overhead_bytes");
    if (info.indexRead) j.value(static_cast<long long>(info.overheadBytes));
    else j.null();
    j.key("info").beginObject();
    for (std::size_t i = 0; i < fw::avi::kTagCount; ++i)
        if (!r.tags[i].empty()) j.field(r.tagCaptions[i], r.tags[i]);
    j.endObject();
    j.key("chunks").beginArray();
    for (const auto& c : r.chunks) j.beginObject().field("id", c.id).field("size", static_cast<long long>(c.size)).field("content", c.content).endObject();
    j.endArray();
    j.stringArray("warnings", r.warnings);
    j.key("fields").beginObject();
    for (std::size_t i = 0; i < fw::avi::kFieldCount; ++i)
        if (!r.fields[i].text.empty()) j.field(std::to_string(i), r.fields[i].text);
    j.endObject().endObject();
}

const std::vector<std::string> kCsvColumns = {
    "file", "format", "complete", "missing_mb", "width", "height", "fps", "total_frames", "duration_s", "compression", "codec",
    "video_kbps", "audio_streams", "audio_codec", "audio_kbps", "audio_cbr", "channels", "sample_rate", "key_frames", "index",
    "opendml", "size_mb", "error"};

std::vector<std::string> csvOf(const InspectorResult& r) {
    const auto& info = r.info;
    if (!r.ok) {
        std::vector<std::string> row(kCsvColumns.size());
        row.front() = r.path;
        row.back() = r.messages.empty() ? std::string("cannot be read") : r.messages.front().resolve();
        return row;
    }
    auto num = [](double v, int places) { return numberText(roundHalfEven(v, places)); };
    const fw::avi::AudioSummary* a = nullptr;
    int audioStreams = 0;
    for (const auto& s : r.audio)
        if (s.type == "audio") {
            ++audioStreams;
            if (!a && s.analysed) a = &s;
        }
    const std::string compression = r.isOgm ? r.fields[2].text : (info.videoFormat ? printableCode(info.videoFormat->biCompression) : "");
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(r.path, ec);
    return {r.path,
            r.isOgm ? "OGM" : "AVI",
            info.truncated ? "false" : "true",
            num(info.missingMB, 2),
            std::to_string(info.avih.dwWidth),
            std::to_string(info.avih.dwHeight),
            num(r.fps, 3),
            std::to_string(r.isOgm ? r.oggFrames : info.totalFrames),
            num(info.duration, 3),
            compression,
            r.codecName,
            num(info.videoBitrate, 3),
            std::to_string(audioStreams),
            a ? a->codec : "",
            a ? num(a->kbps, 3) : "",
            a ? (a->cbr ? "true" : "false") : "",
            a ? std::to_string(a->channels) : "",
            a ? std::to_string(a->sampleRate) : "",
            info.indexRead ? std::to_string(info.keyFrames) : "",
            info.indexKind == fw::avi::IndexKind::OpenDml ? "opendml" : info.indexKind == fw::avi::IndexKind::Idx1 ? "idx1" : "none",
            info.openDml ? "true" : "false",
            ec ? "" : num(double(bytes) / 1048576.0, 2),
            ""};
}

}  // namespace

int runInspect(const Argv& argv) {
    Args a(argv, {"report", "save-header", "kb"}, {"json", "csv", "recursive", "overwrite"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().empty())
        return fail("usage: inspect FILE|FOLDER... [--recursive] [--json | --csv] [--report OUT] [--save-header OUT [--kb N] [--overwrite]]", 2);
    if (a.has("json") && a.has("csv")) return fail("--json and --csv exclude each other", 2);
    std::vector<std::string> folderErrors;
    const auto files = expandFiles(a.positionals(), a.has("recursive"), {".avi", ".divx", ".ogm", ".ogg"}, &folderErrors);
    for (const auto& e : folderErrors) fail(e);
    const bool many = files.size() != 1 || a.positionals().size() != 1 || std::filesystem::is_directory(a.positionals()[0]);
    if (a.has("save-header") && files.size() != 1) return fail("--save-header takes exactly one input file", 2);
    if (a.has("kb") && !a.has("save-header")) return fail("--kb goes with --save-header", 2);
    if (a.has("overwrite") && !a.has("save-header")) return fail("--overwrite goes with --save-header (a report is added to)", 2);
    // A report is added to (it collects many files' pages); a header copy replaces.
    if (auto out = a.get("report"))
        if (auto refusal = outputRefusal(*out, files, true)) return fail(*refusal);
    if (auto out = a.get("save-header"))
        if (auto refusal = outputRefusal(*out, files, a.has("overwrite"))) return fail(*refusal);
    // Everything the options say is checked before anything is printed or written.
    std::optional<std::int64_t> headerBytes;
    if (auto kb = a.get("kb")) {
        auto v = parseNumber(*kb);
        if (!v || !(*v > 0) || *v * 1024 > 9.0e15) return failWith(Message::lang("SaveHeaderMsgBox", 1));
        headerBytes = static_cast<std::int64_t>(std::llround(*v * 1024));
    }

    std::string date, time;
    dateAndTime(date, time);
    int status = folderErrors.empty() ? 0 : 1;
    Json j;
    if (many && a.has("json")) j.beginArray();
    if (a.has("csv")) std::fputs(csvRow(kCsvColumns).c_str(), stdout);
    for (const auto& f : files) {
        InspectorResult r = fw::avi::inspect(f);
        if (a.has("save-header") && r.ok && r.isOgm)
            return fail(f + ": the header export copies the headers of an AVI file, and this is an OGM file", 2);
        if (!r.ok) {
            status = 1;
            for (const auto& m : r.messages) std::fprintf(stderr, "framewise-cli: %s: %s\n", f.c_str(), m.resolve().c_str());
            if (r.messages.empty()) std::fprintf(stderr, "framewise-cli: %s: cannot be read\n", f.c_str());
        }
        for (const auto& w : r.warnings) std::fprintf(stderr, "framewise-cli: %s: %s\n", f.c_str(), w.c_str());
        if (a.has("json")) writeJson(j, r);
        if (a.has("csv")) std::fputs(csvRow(csvOf(r)).c_str(), stdout);
        std::string report = r.ok ? fw::avi::buildReport(r, date, time) : std::string();
        if (!a.has("json") && !a.has("csv") && r.ok) std::fwrite(report.data(), 1, report.size(), stdout);
        errno = 0;
        if (auto out = a.get("report"); out && r.ok && !fw::avi::appendReport(*out, report)) {
            status = 1;
            const int why = errno;
            fail("cannot write the report " + *out + (why ? std::string(" (") + std::strerror(why) + ")" : ""));
        }
        if (auto out = a.get("save-header"); out && r.ok) {
            std::string err;
            if (!fw::avi::saveHeader(f, *out, headerBytes.value_or(fw::avi::proposedHeaderSize(r)), &err)) return fail(err);
        }
    }
    if (many && a.has("json")) j.endArray();
    if (a.has("json")) std::printf("%s\n", j.str().c_str());
    return status;
}

}  // namespace fw::cli
