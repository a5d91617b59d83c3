// Names the user picks that are not files: a FIFO would make a plain open or read wait for a
// writer that never comes. Every reader gives up at once instead.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>

#include "core/avi/inspector.h"
#include "core/bitrate/source_import.h"
#include "core/common/atomic_file.h"
#include "core/common/binary_reader.h"
#include "core/common/file_io.h"
#include "core/common/ini.h"
#include "core/dvd/chapters.h"
#include "core/dvd/ifo.h"
#include "core/stats/stats_file.h"
#include "core/wav/decoder.h"
#include "support/temp_home.h"

namespace {

namespace fs = std::filesystem;

TEST(HostilePaths, NoReaderWaitsOnAFifoOrReadsAFolder) {
    fw::test::TempHome home;
    const std::string fifo = home.path("VTS_01_0.IFO");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = home.path("folder.avi");
    fs::create_directory(folder);
    const std::vector<std::pair<const char*, std::function<bool(const std::string&)>>> readers = {
        {"INFO file", [](const std::string& p) { fw::dvd::InfoFile i; return fw::dvd::CheckInfoFile(p, i); }},
        {"IFO file", [](const std::string& p) { fw::dvd::clsDVD d; d.OpenFile(p); return d.NumberIFOread() > 0; }},
        {"INI file", [](const std::string& p) { return fw::ReadIni(p, "Preferences", "Language", "none") != "none"; }},
        {"file window", [](const std::string& p) { return fw::readFileWindow(p, 0, 100).has_value(); }},
        {"AVI", [](const std::string& p) { return fw::avi::inspectAvi(p).ok; }},
        {"OGM", [](const std::string& p) { return fw::avi::inspectOgm(p).ok; }},
        {"stats", [](const std::string& p) { return fw::stats::AnalizeStats(p).ok; }},
        {"d2v import", [](const std::string& p) { return fw::bitrate::importD2v(p).ok; }},
        {"audio source", [](const std::string& p) { return fw::wav::openSource(p).decoder != nullptr; }},
    };
    for (const auto& [name, read] : readers)
        for (const std::string& path : {fifo, folder}) {
            // Run apart, so a reader that does wait fails the test instead of hanging the suite.
            auto done = std::async(std::launch::async, [read = read, path] { return read(path); });
            ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready) << name << " waits on " << path;
            EXPECT_FALSE(done.get()) << name << " on " << path;
        }
}

}  // namespace

TEST(HostilePaths, AReplacedFileKeepsItsPermissionsButNoSetIdBit) {
    fw::test::TempHome home;
    const mode_t oldMask = ::umask(022);
    const struct {
        const char* what;
        int mode;  // of the file replaced; -1: none; -2: a link to a set-user program
        int wanted;
    } cases[] = {
        {"a private file", 0640, 0640},
        {"a set-user program", 04755, 0755},
        {"a set-group folder's file", 02775, 0775},
        {"no file yet", -1, 0644},
        {"a link to a set-user program", -2, 0644},
    };
    const std::string program = home.path("program");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = home.path("target");
        fs::remove(target);
        fw::test::writeFile(program, "old");
        ::chmod(program.c_str(), 04755);
        if (c.mode >= 0) {
            fw::test::writeFile(target, "old");
            ::chmod(target.c_str(), static_cast<mode_t>(c.mode));
        } else if (c.mode == -2) {
            fs::create_symlink(program, target);
        }
        fw::AtomicFileWriter w(target);
        ASSERT_TRUE(w.write("new", 3) && w.commit());
        struct stat st {};
        ASSERT_EQ(::lstat(target.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, static_cast<mode_t>(c.wanted));
        EXPECT_EQ(fw::test::readFile(program), "old");
    }
    ::umask(oldMask);
}
