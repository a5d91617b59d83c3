// Every language text the code looks up must be in every shipped language file. The code names
// its lookups literally ("Section", key), so a scan of the sources finds them all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "core/common/ini.h"
#include "support/temp_home.h"

namespace {

namespace fs = std::filesystem;

struct Lookup {
    std::string section;
    int key;
    std::string where;
    bool operator<(const Lookup& o) const { return std::tie(section, key) < std::tie(o.section, o.key); }
};

std::set<Lookup> scanSources() {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& e : fs::recursive_directory_iterator(fs::path(fw::test::sourceDir()) / "src")) {
        auto ext = e.path().extension();
        if (ext == ".cpp" || ext == ".h") files.emplace_back(e.path().string(), fw::test::readFile(e.path().string()));
    }
    // Sections: whatever a lookup call names first.
    std::set<std::string> sections;
    const std::regex call(R"((?:LangText|lang|Message::lang)\(\s*"([A-Za-z]+)\")");
    for (const auto& [path, text] : files)
        for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) sections.insert((*it)[1]);
    // Lookups: every ("Section", number) pair naming such a section, in calls and in tables.
    std::set<Lookup> found;
    const std::regex pair(R"("([A-Za-z]+)\"\s*,\s*(\d+))");
    for (const auto& [path, text] : files)
        for (std::sregex_iterator it(text.begin(), text.end(), pair), end; it != end; ++it)
            if (sections.count((*it)[1])) found.insert({(*it)[1], std::stoi((*it)[2]), path});
    return found;
}

TEST(LanguageFiles, HoldEveryTextTheCodeLooksUp) {
    auto lookups = scanSources();
    ASSERT_GT(lookups.size(), 50u);
    for (const char* code : {"eng", "ita"}) {
        std::string data = fw::test::readFile(fw::test::sourceDir() + "/lang/" + code + ".ini");
        ASSERT_FALSE(data.empty()) << code;
        for (const auto& l : lookups) {
            std::string v = fw::readIniData(data, l.section, std::to_string(l.key), "\x01missing");
            EXPECT_NE(v, "\x01missing") << code << ".ini lacks [" << l.section << "] " << l.key << " (used in "
                                        << l.where << ")";
            EXPECT_FALSE(v.empty()) << code << ".ini has an empty [" << l.section << "] " << l.key;
        }
    }
}

TEST(LanguageFiles, NoTextIsLongerThanAReadReturns) {
    for (const char* code : {"eng", "ita"}) {
        std::istringstream in(fw::test::readFile(fw::test::sourceDir() + "/lang/" + code + ".ini"));
        std::string line;
        while (std::getline(in, line)) {
            auto eq = line.find('=');
            if (eq == std::string::npos || line[0] == ';') continue;
            std::size_t chars = 0;
            for (char c : line.substr(eq + 1)) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            EXPECT_LE(chars, fw::kIniValueMax) << code << ".ini: " << line.substr(0, 40);
        }
    }
}

TEST(LanguageFiles, NumbersAreWrittenWithAPoint) {
    // The program writes every number with a point, whatever the language; a text that wrote
    // "59,99" would disagree with the field it speaks of.
    const std::regex comma(R"(\d,\d)");
    for (const char* code : {"eng", "ita"}) {
        std::istringstream in(fw::test::readFile(fw::test::sourceDir() + "/lang/" + code + ".ini"));
        std::string line;
        while (std::getline(in, line)) EXPECT_FALSE(std::regex_search(line, comma)) << code << ".ini: " << line;
    }
}

}  // namespace
