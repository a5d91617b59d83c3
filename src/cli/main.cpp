// framewise-cli: every tool of the toolbox for scripts and batches, in text or --json.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "core/common/lang.h"
#include "core/common/paths.h"
#include "fw/version.h"

namespace {

void printHelp() {
    std::printf(
        "framewise-cli %s: the Framewise toolbox on the command line\n"
        "\n"
        "Usage: framewise-cli COMMAND [OPTIONS]\n"
        "\n"
        "Commands:\n"
        "  bitrate   video bitrate that fills the chosen media\n"
        "            [--discs COUNTxSIZE]... | --size MB  [--overburn]\n"
        "            --time H:M:S | --frames N  [--fps RATE]\n"
        "            [--audio-kbps N | --audio-file PATH]  [--codec NAME]  [--vbr]\n"
        "            [--interleave N [--interleave-ms]]  [--profile divx3|divx3fm|divx4|divx5]\n"
        "            [--frame-overhead]  [--resolution WxH]  [--json]\n"
        "  import    running time, frame rate or frame size from an INFO file, a DVD2Avi project or\n"
        "            a first-pass stats file\n"
        "            FILE [--as info|d2v|stats] [--json]\n"
        "  inverse   the largest standard audio bitrate that still fits beside an encoded AVI\n"
        "            FILE [--cd74 N] [--size74 MB] [--cd80 N] [--size80 MB] [--overburn] [--json]\n"
        "  codecs    the codec databases, and what this system has installed\n"
        "            fourcc CODE | audio TAG | list fourcc|audio | installed CATEGORY  [--json]\n"
        "            (TAG: decimal, 85, or hexadecimal, 0x55)\n"
        "            (CATEGORY: video-compressors, audio-compressors, filters, video-capture,\n"
        "            audio-capture, audio-renderers, midi)\n"
        "  resize    a frame size that keeps the aspect ratio\n"
        "            [--source WxH] (--width N | --height N | --width-percent P | --height-percent P)\n"
        "            [--keep-ar AW:AH] [--no-ar] [--mod MWxMH] [--json]\n"
        "  inspect   streams, codecs, bitrates, key frames and tags of AVI and OGM files\n"
        "            FILE|FOLDER... [--recursive] [--json | --csv] [--report OUT] [--save-header OUT [--kb N] [--overwrite]]\n"
        "  check     health of AVI files: cut short, index, frame counts, audio length, frame rate,\n"
        "            packed bitstream, key-frame spacing; exit 0 sound, 1 problems, 2 unreadable\n"
        "            FILE|FOLDER... [--recursive] [--json | --csv]\n"
        "  repair    a new AVI with every whole chunk of a damaged one and a fresh index\n"
        "            FILE --out FIXED.avi [--overwrite] [--json]\n"
        "  keyframes key-frame numbers of an AVI (by its index) or a first-pass stats file;\n"
        "            exit 1 when a cut index leaves the list incomplete\n"
        "            FILE [--format list|qpfile|keyframes-v1 | --json] [--out OUT [--overwrite]]\n"
        "  fourcc    show or change the video FourCC of an AVI file, in place\n"
        "            FILE [--set mp41|mp42|mp43|DIV3|DIV4|DIVX|DX50|XVID] [--json]\n"
        "  fps       show or change the frame rate of an AVI file, in place\n"
        "            FILE [--set 23.970|23.976|24.000|25.000|29.970|30.000] [--json]\n"
        "  sync      make the video end with its CBR audio by a new frame rate, in place\n"
        "            FILE [--apply] [--json]\n"
        "  stats     XviD first-pass statistics: summary, frames, report, rescaling, key frames\n"
        "            FILE [--json] | --frame N | --report OUT [--frames-table] [--overwrite]\n"
        "            | --rescale KB --out OUT [--overwrite] | --keyframe N [--size largest|average|custom:BYTES|keep]\n"
        "  split     cut a file into numbered pieces with an info file and rebuild scripts\n"
        "            FILE (--piece-size BYTES | --preset \"1024 KB\" | --size-mb N | --pieces N)\n"
        "            [--script] [--keep-ext] [--delete-source] [--out DIR] [--json]\n"
        "  join      join the pieces an info file (NAME.000) describes\n"
        "            INFO_FILE [--overwrite] [--json]\n"
        "  ifo       title sets, streams, program chains and chapters of a DVD\n"
        "            [PATH: an IFO file, a VIDEO_TS folder or a folder holding one; none: the first disc] [--json]\n"
        "  chapters  chapter lists from an INFO file or a DVD, in four layouts, or as key frames\n"
        "            (--info FILE | --dvd PATH [--title-set T --chain P])\n"
        "            (--format ogg|scenarist|maestro|cce --out BASE [--overwrite] | --sync-stats STATS)\n"
        "  towav     decode compressed audio (MP3, Ogg Vorbis, AC-3, ...) or a tracker module to WAV\n"
        "            FILE [--out DIR] [--overwrite | --prefix] [--json]\n"
        "  sysinfo   drives, network, up-time, boot mode, operating system, folders and memory\n"
        "            [--json]\n"
        "  update-check  whether a newer Framewise has been published, and its change log\n"
        "            [--url URL] [--json]\n"
        "  shutdown  log off, shut down, reboot or power off after a wait or at a time\n"
        "            (--in D:H:M:S | --at \"YYYY-MM-DD HH:MM:SS\") --action logoff|shutdown|reboot|poweroff\n"
        "            [--now] [--dry-run] [--json]   (--now: a wait of zero, at once, is meant)\n"
        "\n"
        "Options:\n"
        "  --help     this text\n"
        "  --version  the program's version\n",
        fw::kVersionText);
}

}  // namespace

namespace fw::cli {
int failWith(const fw::Message& m, int code) {
    std::fprintf(stderr, "framewise-cli: %s\n", m.resolve().c_str());
    return code;
}
}  // namespace fw::cli

int main(int argc, char** argv) {
    // The user's locale, as the GUI has it: nothing in the core depends on it, and the tests run
    // under a comma locale to keep it so.
    std::setlocale(LC_ALL, "");
    fw::cli::guardTerminalOutput();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "usage: framewise-cli COMMAND [ARGUMENTS] [--json]; framewise-cli --help lists the commands\n");
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printHelp();
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("%s\n", fw::kVersionText);
        return 0;
    }
    fw::initPaths();
    fw::ensureUserSettings();
    fw::loadPreferences();

    std::string cmd = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const auto& r : rest)
        if (r == "--help") {
            printHelp();
            return 0;
        }
    if (cmd == "bitrate") return fw::cli::runBitrate(rest);
    if (cmd == "codecs") return fw::cli::runCodecs(rest);
    if (cmd == "resize") return fw::cli::runResize(rest);
    if (cmd == "inspect") return fw::cli::runInspect(rest);
    if (cmd == "check") return fw::cli::runCheck(rest);
    if (cmd == "repair") return fw::cli::runRepair(rest);
    if (cmd == "keyframes") return fw::cli::runKeyframes(rest);
    if (cmd == "fourcc") return fw::cli::runFourcc(rest);
    if (cmd == "fps") return fw::cli::runFps(rest);
    if (cmd == "sync") return fw::cli::runSync(rest);
    if (cmd == "stats") return fw::cli::runStats(rest);
    if (cmd == "split") return fw::cli::runSplit(rest);
    if (cmd == "join") return fw::cli::runJoin(rest);
    if (cmd == "ifo") return fw::cli::runIfo(rest);
    if (cmd == "chapters") return fw::cli::runChapters(rest);
    if (cmd == "import") return fw::cli::runImport(rest);
    if (cmd == "inverse") return fw::cli::runInverse(rest);
    if (cmd == "towav") return fw::cli::runToWav(rest);
    if (cmd == "sysinfo") return fw::cli::runSysinfo(rest);
    if (cmd == "update-check") return fw::cli::runUpdateCheck(rest);
    if (cmd == "shutdown") return fw::cli::runShutdown(rest);
    std::fprintf(stderr, "framewise-cli: unknown command %s (see --help)\n", cmd.c_str());
    return 2;
}
