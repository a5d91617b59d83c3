#include <gtest/gtest.h>

#include <filesystem>

#include "core/common/lang.h"
#include "core/system/installed_codecs.h"
#include "core/system/shutdown.h"
#include "core/system/system_report.h"
#include "core/system/update_check.h"
#include "support/temp_home.h"

namespace {

using namespace fw::system;
namespace fs = std::filesystem;

TEST(UpdateCheck, VersionsCompareBySums) {
    const struct {
        const char* remote;
        Comparison c;
    } cases[] = {
        {"3.6.2", Comparison::Same},
        {"3.6.3", Comparison::Newer},
        {"4.0.0", Comparison::Older},  // digit sums 11 and 4: the comparison counts sums, surprising as that is
        {"2.7.2", Comparison::Same},   // another version with the same sum
        {"3.6.3\r", Comparison::Newer},  // line 0 of a CR LF file
        {" 3 . 6 . 4 ", Comparison::Newer},
        {"3.6", Comparison::Unknown},
        {"3.6.x", Comparison::Unknown},
        {"3.6.2e1", Comparison::Unknown},
        {"", Comparison::Unknown},
        {"32767.1.0", Comparison::Unknown},  // the sum leaves 16 bits
        {"40000.0.0", Comparison::Unknown},  // a number that does
        {"3.6.3.9", Comparison::Newer},      // pieces after the third do not count
    };
    for (const auto& c : cases) EXPECT_EQ(compareVersions("3.6.2", c.remote), c.c) << c.remote;
    EXPECT_EQ(versionSum("3.6.2"), 11);
}

TEST(UpdateCheck, WhatTheUserIsTold) {
    fw::test::TempHome home;
    const std::string title = fw::LangText("FormCaptions", 15);
    struct Case {
        Comparison c;
        bool automatic;
        int key;  // 0: nothing; -1: the fixed start-up question
        fw::Buttons buttons;
    } cases[] = {
        {Comparison::Same, false, 3, fw::Buttons::Ok},      {Comparison::Same, true, 0, fw::Buttons::Ok},
        {Comparison::Newer, false, 4, fw::Buttons::YesNo},  {Comparison::Newer, true, -1, fw::Buttons::YesNoCancel},
        {Comparison::Older, false, 0, fw::Buttons::Ok},     {Comparison::Older, true, 0, fw::Buttons::Ok},
        {Comparison::Unknown, false, 6, fw::Buttons::Ok},   {Comparison::Unknown, true, 0, fw::Buttons::Ok},
    };
    for (const auto& c : cases) {
        auto m = comparisonMessage(c.c, c.automatic);
        ASSERT_EQ(m.has_value(), c.key != 0) << static_cast<int>(c.c) << c.automatic;
        if (!m) continue;
        EXPECT_EQ(m->title, title);
        EXPECT_EQ(m->buttons, c.buttons);
        if (c.key == -1) {
            EXPECT_EQ(m->resolve(), "A newer version has been released, Do you want to download it?\n"
                                    "Click No to abort, click cancel to see changelog");
        } else if (c.key == 4) {
            EXPECT_EQ(m->resolve(), fw::LangText("CheckUpdatesMsgBox", 4) + "\n" + fw::LangText("CheckUpdatesMsgBox", 5));
        } else {
            EXPECT_EQ(m->text.key, c.key);
        }
    }
    // No file: the warning of key 2, and nothing compared.
    auto r = evaluateUpdate(std::nullopt, "3.6.2", false);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text.key, 2);
    EXPECT_TRUE(r.lines.empty());
}

TEST(UpdateCheck, LinesKeepTheirCarriageReturnAndTheNameIsTheLastPiece) {
    const auto lines = updateLines("3.6.3\r\nFaster splitting\r\n\r\nlast");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "3.6.3\r");
    EXPECT_EQ(lines[2], "\r");
    EXPECT_EQ(lines[3], "last");
    EXPECT_EQ(updateLines("3.6.3\n").size(), 2u);  // a final line feed gives an empty last line
    EXPECT_EQ(updateFileName("https://host/a/b/framewise_update.txt?x=1#f"), "framewise_update.txt");
    EXPECT_EQ(updateFileName("http://host/"), "");
}

TEST(Shutdown, TheCountdownAndTheThreeAttempts) {
    EXPECT_EQ(countdownSeconds(1, 2, 3, 4), 93784);
    EXPECT_EQ(countdownSeconds(1, 2, 3, 4) * 1000, 93784000);
    struct Case {
        int action;
        Family family;
        std::vector<bool> answers;
        std::vector<unsigned> flags;
    } cases[] = {
        {3, Family::Nt5, {false, true}, {9, 25}},          // power off, first call refused
        {3, Family::Nt5, {false, false, false}, {9, 25, 17}},
        {0, Family::Nt4, {false, false, false}, {0, 4, 5}},  // log off on NT4
        {2, Family::Nt5, {true}, {2}},                       // reboot, at the first try
        {1, Family::Win9x, {false, false}, {1, 5, 5}},
        {7, Family::Nt5, {false}, {0, 16}},                  // an unknown action logs off
    };
    for (const auto& c : cases) {
        RecordingBackend b(c.answers);
        const auto made = ShutdownSystem(c.action, c.family, b);
        std::vector<unsigned> flags;
        for (const auto& call : made) flags.push_back(call.flags);
        EXPECT_EQ(flags, c.flags) << c.action;
        EXPECT_EQ(made, b.calls());
        EXPECT_EQ(made.front().reserved, 0xFFFFFFFFu);
        if (made.size() > 1) {
            EXPECT_EQ(made[1].reserved, 0u);
        }
    }
    // What each call is on logind: the action's own method, forced from the second attempt on.
    // Whatever its flags say, no attempt powers off a machine whose user asked to log off or reboot.
    const struct {
        int action;
        const char* method;
    } logind[] = {{0, "TerminateSession"}, {1, "PowerOff"}, {2, "Reboot"}, {3, "PowerOff"}};
    for (const auto& l : logind)
        for (Family f : {Family::Nt5, Family::Nt4}) {
            const auto calls = exitSequence(l.action, f);
            for (std::size_t i = 0; i < calls.size(); ++i)
                EXPECT_EQ(logindCall(l.action, calls[i]), (LogindCall{l.method, i > 0})) << l.action << " attempt " << i;
        }
}

TEST(Shutdown, TimerTextsAndDates) {
    auto e = checkWait(0);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->title, "[clsTimer.Milliseconds]");
    EXPECT_EQ(e->resolve(), "Parameter MilliSeconds must be greater than 0!");
    EXPECT_TRUE(checkWait(-5));
    EXPECT_FALSE(checkWait(1));

    Countdown c;
    const auto t0 = Countdown::Clock::time_point{} + std::chrono::hours(1000);
    EXPECT_TRUE(c.start(0, t0));
    EXPECT_FALSE(c.running());
    ASSERT_FALSE(c.start(93784000, t0));
    EXPECT_DOUBLE_EQ(c.remainingMs(t0 + std::chrono::seconds(4)), 93780000);
    EXPECT_FALSE(c.finished(t0 + std::chrono::seconds(93783)));
    EXPECT_TRUE(c.finished(t0 + std::chrono::seconds(93784)));
    c.stop();
    EXPECT_FALSE(c.running());

    EXPECT_EQ(remainingText(93784000), "01:02:03:04.0000");
    EXPECT_EQ(remainingText(1500.3), "00:00:00:01.5003");
    EXPECT_EQ(remainingText(-1), "00:00:00:00.0000");
    EXPECT_EQ(minimisedCaption(" 01:02:03:04.0000"), "01:02:03:04 Shutdown");

    std::tm t{};
    t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 6, t.tm_hour = 16, t.tm_min = 5, t.tm_sec = 9;
    EXPECT_EQ(dateText(t), "6-Dec-2026");
    EXPECT_EQ(timeText(t), "4:05:09 PM");
    t.tm_hour = 0;
    EXPECT_EQ(timeText(t), "12:05:09 AM");
    EXPECT_TRUE(parseLocalTime("2026-12-06 16:05:09"));
    for (const char* bad : {"2026-02-31 10:00:00", "2026-12-06", "2026-12-06 25:00:00", "06-12-2026 10:00:00x", "tomorrow"})
        EXPECT_FALSE(parseLocalTime(bad)) << bad;
}

TEST(SystemReport, ItemsAsTheReportPrintsThem) {
    fw::test::TempHome home;
    EXPECT_EQ(uptimeItem(86400 + 3600 + 61), "\r\n" + fw::LangText("SysInfo", 37) + " 25:01:01");  // hours not wrapped
    EXPECT_EQ(uptimeItem(59), "\r\n" + fw::LangText("SysInfo", 37) + " 00:00:59");

    DriveFacts floppy;  // no medium: the size query failed
    floppy.root = "/media/floppy";
    EXPECT_EQ(driveItem(floppy), "");
    DriveFacts tiny{3, "/boot/efi", "", 1000000, 1000, 999000, true};  // under 1 MB
    EXPECT_EQ(driveItem(tiny), "");
    DriveFacts nas{4, "/mnt/nas", "//server/share", 2048ull << 20, 1024ull << 20, 1024ull << 20, true};
    const std::string block = driveItem(nas);
    EXPECT_EQ(block, "\r\n" + fw::LangText("SysInfo", 22) + " //server/share drive /mnt/nas\r\n\t" + fw::LangText("SysInfo", 26) +
                         " 2048 MB\r\n\t" + fw::LangText("SysInfo", 27) + " 1024 MB\r\n\t" + fw::LangText("SysInfo", 28) + " 1024 MB");

    SystemFacts f;
    f.drives = {floppy, nas};
    f.uptimeSeconds = 90061;
    f.osKnown = true;
    f.osName = "Debian GNU/Linux 12 (bookworm)";
    f.osMajor = 6, f.osMinor = 1, f.osBuild = 0;
    f.memory = MemoryFacts{50, 8ull << 30, 4ull << 30, 0, 0, 1ull << 47, 1ull << 46};
    const std::string r = systemReport(f);
    // In order: drives, network, domain, logon server, up-time, boot mode, OS, folders, memory.
    const std::vector<std::string> order = {block, fw::LangText("SysInfo", 3), fw::LangText("SysInfo", 17) + " " + fw::LangText("SysInfo", 39),
                                            fw::LangText("SysInfo", 29), "25:01:01", fw::LangText("SysInfo", 4),
                                            "Debian GNU/Linux 12 (bookworm)\r\n" + fw::LangText("SysInfo", 12) + " 6.1.0",
                                            fw::LangText("SysInfo", 14), fw::LangText("SysInfo", 30) + " 50 %",
                                            fw::LangText("SysInfo", 31) + "\t8192 MB"};
    std::size_t at = 0;
    for (const auto& piece : order) {
        const auto found = r.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece;
        at = found;
    }
    f.osKnown = false;
    EXPECT_NE(systemReport(f).find(fw::LangText("SysInfo", 13)), std::string::npos);
}

TEST(SystemReport, KernelAndDistributionTexts) {
    const auto mounts = parseMounts("/dev/sda1 / ext4 rw 0 0\n//nas/my\\040music /mnt/my\\040music cifs rw 0 0\nbroken\n");
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[1].source, "//nas/my music");
    EXPECT_EQ(mounts[1].mountPoint, "/mnt/my music");
    EXPECT_TRUE(isNetworkFs(mounts[1].fsType));
    EXPECT_FALSE(isNetworkFs("ext4"));

    const auto m = parseMeminfo("MemTotal:       24684532 kB\nMemFree: 1 kB\nMemAvailable:   23809192 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n");
    EXPECT_TRUE(m.ok);
    EXPECT_EQ(m.memTotal, 24684532ull * 1024);
    EXPECT_EQ(m.memAvailable, 23809192ull * 1024);
    EXPECT_FALSE(parseMeminfo("nothing here").ok);

    const struct {
        const char* cmdline;
        int mode;
    } boots[] = {{"BOOT_IMAGE=/vmlinuz root=/dev/vda ro quiet", 0}, {"root=/dev/vda systemd.unit=rescue.target", 1},
                 {"root=/dev/vda single", 1}, {"root=/dev/vda systemd.unit=emergency.target", 3}, {"root=/dev/vda rescue emergency", 3},
                 {"root=/dev/vda1", 0}};
    for (const auto& b : boots) EXPECT_EQ(bootModeFromCmdline(b.cmdline), b.mode) << b.cmdline;

    EXPECT_EQ(osNameFromRelease("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"), "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(osNameFromRelease("NAME=Alpine\n"), "Alpine");
    const struct {
        const char* release;
        bool ok;
        unsigned v[3];
    } kernels[] = {{"6.1.0-18-amd64", true, {6, 1, 0}}, {"6.18.44", true, {6, 18, 44}}, {"5.15", true, {5, 15, 0}},
                   {"4.19.0+", true, {4, 19, 0}},        {"x86", false, {0, 0, 0}}};
    for (const auto& k : kernels) {
        unsigned a = 9, b = 9, c = 9;
        EXPECT_EQ(kernelVersion(k.release, a, b, c), k.ok) << k.release;
        if (k.ok) {
            EXPECT_EQ((std::vector<unsigned>{a, b, c}), (std::vector<unsigned>(k.v, k.v + 3))) << k.release;
        }
    }
}

TEST(InstalledCodecs, EveryCategoryFromItsSource) {
    fw::test::TempHome home;
    // FFmpeg's registries.
    auto has = [](const CategoryList& l, const std::string& start) {
        for (const auto& n : l.names)
            if (n.rfind(start, 0) == 0) return true;
        return false;
    };
    EXPECT_TRUE(has(listCategory(CodecCategory::VideoCompressors), "mpeg4 - "));
    EXPECT_FALSE(has(listCategory(CodecCategory::VideoCompressors), "ac3 - "));
    EXPECT_TRUE(has(listCategory(CodecCategory::AudioCompressors), "ac3 - "));
    EXPECT_TRUE(has(listCategory(CodecCategory::Filters), "scale - "));

    // The kernel's views, laid out as a machine with a webcam, a sound card and a MIDI port has them.
    const fs::path sys = home.dir() / "sys", proc = home.dir() / "proc";
    for (const char* v : {"video10", "video2", "video0", "video3"}) {
        fs::create_directories(sys / "class/video4linux" / v);
        fw::test::writeFile((sys / "class/video4linux" / v / "name").string(), std::string("Cam ") + v + "\n");
        // video3 is video2's metadata node: the same camera, not listed twice.
        fw::test::writeFile((sys / "class/video4linux" / v / "index").string(), std::string(v) == "video3" ? "1\n" : "0\n");
    }
    fs::create_directories(proc / "asound/seq");
    fw::test::writeFile((proc / "asound/pcm").string(),
                        "00-00: ALC892 Analog : ALC892 Analog : playback 1 : capture 1\n"
                        "00-01: ALC892 Digital : ALC892 Digital : playback 1\n"
                        "01-03: HDMI 0 : HDMI 0 : playback 1\n"
                        "02-00: USB Audio : USB Audio : capture 1\n"
                        "03-00: playback monitor : playback monitor : capture 1\n");
    fw::test::writeFile((proc / "asound/seq/clients").string(),
                        "Client info\n  cur  clients : 3\n\n"
                        "Client   0 : \"System\" [Kernel]\n  Port   0 : \"Timer\" (Rwe-)\n"
                        "Client  14 : \"Midi Through\" [Kernel]\n  Port   0 : \"Midi Through Port-0\" (RWe-)\n"
                        "Client  20 : \"USB MIDI\" [Kernel]\n  Port   0 : \"USB MIDI MIDI 1\" (RWeX)\n"
                        "Client  24 : \"Keyboard\" [Kernel]\n  Port   0 : \"Keyboard Out\" (R-e-)\n");
    const DeviceRoots roots{sys.string(), proc.string()};
    EXPECT_EQ(listCategory(CodecCategory::VideoCapture, roots).names,
              (std::vector<std::string>{"Cam video0 (/dev/video0)", "Cam video2 (/dev/video2)", "Cam video10 (/dev/video10)"}));
    EXPECT_EQ(listCategory(CodecCategory::AudioCapture, roots).names,
              (std::vector<std::string>{"ALC892 Analog (hw:0,0)", "USB Audio (hw:2,0)", "playback monitor (hw:3,0)"}));
    EXPECT_EQ(listCategory(CodecCategory::AudioRenderers, roots).names,
              (std::vector<std::string>{"ALC892 Analog (hw:0,0)", "ALC892 Digital (hw:0,1)", "HDMI 0 (hw:1,3)"}));
    EXPECT_EQ(listCategory(CodecCategory::MidiRenderers, roots).names,
              (std::vector<std::string>{"Midi Through Port-0 (14:0)", "USB MIDI MIDI 1 (20:0)"}));

    // A machine without sound has empty lists; one whose /proc cannot be read cannot say.
    fs::create_directories(home.dir() / "quiet");
    const DeviceRoots quiet{sys.string(), (home.dir() / "quiet").string()};
    const DeviceRoots bare{(home.dir() / "nosys").string(), (home.dir() / "noproc").string()};
    for (auto c : {CodecCategory::AudioCapture, CodecCategory::AudioRenderers, CodecCategory::MidiRenderers}) {
        EXPECT_TRUE(listCategory(c, quiet).ok);
        EXPECT_TRUE(listCategory(c, quiet).names.empty());
        EXPECT_FALSE(listCategory(c, bare).ok);
    }
    EXPECT_EQ(refreshOrder().front(), CodecCategory::VideoCapture);
    CodecCategory c;
    EXPECT_TRUE(categoryFromName("midi", c));
    EXPECT_EQ(c, CodecCategory::MidiRenderers);
    EXPECT_FALSE(categoryFromName("MIDI", c));
}

}  // namespace

TEST(InstalledCodecs, OddKernelLinesListNothingFalse) {
    using List = std::vector<std::string>;
    const struct {
        const char* pcm;
        List playback;
    } pcm[] = {
        {"00-00: A : A : playback 1", {"A (hw:0,0)"}},  // no line break at the end
        {"00-99999999999: A : A : playback 1\n", {"A (hw:0,0)"}},  // a number past an int
        {"0000: A : A : playback 1\n", {}},
        {"00-00 A : A : playback 1\n", {}},
        {"00-00: A : playback 1\n", {}},
    };
    for (const auto& c : pcm) EXPECT_EQ(fw::system::parseAlsaPcm(c.pcm, "playback"), c.playback) << c.pcm;
    const struct {
        const char* clients;
        List ports;
    } seq[] = {
        {"Client  14 : \"x\"\n  Port   3 : \"p\" (RWe-)", {"p (14:3)"}},
        {"Client 99999999999 : \"x\"\n  Port 0 : \"p\" (RWe-)\n", {}},
        {"  Port 0 : \"p\" (RWe-)\nClient 14 : \"x\"\n", {}},  // a port before any client
    };
    for (const auto& c : seq) EXPECT_EQ(fw::system::parseSeqClients(c.clients), c.ports) << c.clients;
}
