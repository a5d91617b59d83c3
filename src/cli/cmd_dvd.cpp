// ifo and chapters: the DVD reader and the chapter list on the command line.
#include <cstdio>
#include <filesystem>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "core/dvd/chapters.h"
#include "core/dvd/ifo.h"
#include "platform/optical_drives.h"

namespace fw::cli {

using namespace fw::dvd;

namespace {

bool openDvd(clsDVD& dvd, const std::string& path) {
    dvd.setDriveLister(fw::platform::opticalMountPoints);
    dvd.OpenFile(path);
    for (const auto& w : dvd.warnings()) std::fprintf(stderr, "framewise-cli: %s\n", w.c_str());
    if (dvd.NumberIFOread() == 0) {
        // The disc's own words fit an empty drive; a path the user typed wrong deserves its own.
        std::error_code ec;
        if (!path.empty() && !std::filesystem::exists(path, ec)) fail(path + ": does not exist");
        else if (!path.empty()) fail(path + ": no IFO file here (an IFO file, a VIDEO_TS folder or a folder holding one)");
        else fail("Insert DVD and try again.");
        return false;
    }
    return true;
}

}  // namespace

int runIfo(const Argv& argv) {
    Args a(argv, {}, {"json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() > 1) return fail("usage: ifo [PATH] [--json]", 2);
    clsDVD dvd;
    if (!openDvd(dvd, a.positionals().empty() ? "" : a.positionals()[0])) return 1;
    if (a.has("json")) {
        Json j;
        j.beginObject().key("title_sets").beginArray();
        for (int t = 1; t <= dvd.NumberIFOread(); ++t) {
            j.beginObject().field("file", dvd.IFO_FileName(t)).field("video", dvd.IFO_Video(t));
            j.key("audio").beginArray();
            for (int n = 1; n <= dvd.IFO_AudioNumberOfTracks(t); ++n) j.value(dvd.IFO_Audio(t, n));
            j.endArray().key("subpictures").beginArray();
            for (int n = 1; n <= dvd.IFO_SubPicNumberOf(t); ++n) j.value(dvd.IFO_SubPic(t, n));
            j.endArray().key("program_chains").beginArray();
            for (int p = 1; p <= dvd.NumberProgramChains(t); ++p) {
                j.beginObject().field("time", dvd.ProgramChain_PlayBackTime(t, p, 0)).key("chapters").beginArray();
                auto rows = chainRows(dvd, t, p);
                for (int k = 1; k <= dvd.ProgramChain_NumChapters(t, p); ++k)
                    j.beginObject().field("duration", dvd.ProgramChain_PlayBackTime(t, p, k + 1))
                        .field("start", rows[static_cast<std::size_t>(k - 1)].start).endObject();
                j.endArray().endObject();
            }
            j.endArray().endObject();
        }
        j.endArray().endObject();
        std::printf("%s\n", j.str().c_str());
        return 0;
    }
    for (int t = 1; t <= dvd.NumberIFOread(); ++t) {
        std::printf("%s\n  %s\n", dvd.IFO_FileName(t).c_str(), dvd.IFO_Video(t).c_str());
        for (int n = 1; n <= dvd.IFO_AudioNumberOfTracks(t); ++n) std::printf("  %s\n", dvd.IFO_Audio(t, n).c_str());
        for (int n = 1; n <= dvd.IFO_SubPicNumberOf(t); ++n) std::printf("  %s\n", dvd.IFO_SubPic(t, n).c_str());
        for (int p = 1; p <= dvd.NumberProgramChains(t); ++p) {
            std::printf("  Program Chain %d [%s]\n", p, dvd.ProgramChain_PlayBackTime(t, p, 0).c_str());
            for (int k = 1; k <= dvd.ProgramChain_NumChapters(t, p); ++k)
                std::printf("    Chapter %d [%s]\n", k, dvd.ProgramChain_PlayBackTime(t, p, k + 1).c_str());
        }
    }
    return 0;
}

int runChapters(const Argv& argv) {
    Args a(argv, {"info", "dvd", "title-set", "chain", "format", "out", "sync-stats"}, {"json", "overwrite"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.has("info") == a.has("dvd"))
        return fail("usage: chapters (--info FILE | --dvd PATH [--title-set T --chain P]) (--format ogg|scenarist|maestro|cce "
                    "--out BASE [--overwrite] | --sync-stats STATS)", 2);
    std::vector<ChapterRow> rows;
    if (auto info = a.get("info")) {
        InfoFile f;
        if (!CheckInfoFile(*info, f)) return fail("cannot read " + *info);
        rows = f.rows;
    } else {
        clsDVD dvd;
        if (!openDvd(dvd, *a.get("dvd"))) return 1;
        const auto t = parseNumber(a.get("title-set").value_or("1"));
        const auto p = parseNumber(a.get("chain").value_or("1"));
        if (!t || !p || *t < 1 || *t > dvd.NumberIFOread() || *p < 1 || *p > dvd.NumberProgramChains(static_cast<int>(*t)))
            return fail("no such title set or program chain", 1);
        rows = chainRows(dvd, static_cast<int>(*t), static_cast<int>(*p));
    }
    if (auto stats = a.get("sync-stats")) {
        auto r = StatSynch(*stats, rows);
        for (const auto& m : r.messages) std::fprintf(r.ok ? stdout : stderr, "%s\n", m.resolve().c_str());
        if (!r.ok) return 1;
        std::printf("%zu key frames set; backup %s\n", r.changed.size(), r.backup.c_str());
        return 0;
    }
    const std::string format = a.get("format").value_or("");
    ChapterFormat f;
    if (format == "ogg") f = ChapterFormat::Ogg;
    else if (format == "scenarist") f = ChapterFormat::Scenarist;
    else if (format == "maestro") f = ChapterFormat::Maestro;
    else if (format == "cce") f = ChapterFormat::Cce;
    else return fail("--format takes ogg, scenarist, maestro or cce", 2);
    auto out = a.get("out");
    if (!out) return fail("--out BASE is needed", 2);
    std::vector<std::string> inputs;
    if (auto info = a.get("info")) inputs.push_back(*info);
    if (auto refusal = outputRefusal(*out + formatSuffix(f), inputs, a.has("overwrite"))) return fail(*refusal);
    const std::string path = writeChapters(*out, f, rows);
    if (path.empty()) return fail("cannot write " + *out + formatSuffix(f));
    std::printf("%s\n", path.c_str());
    return 0;
}

}  // namespace fw::cli
