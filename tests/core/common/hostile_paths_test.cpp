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
