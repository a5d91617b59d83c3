#include "core/dvd/ifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/common/file_io.h"
#include "core/common/text.h"

namespace fw::dvd {

namespace fs = std::filesystem;

namespace {

struct LangEntry {
    const char* code;
    const char* name;
};
// Searched in order: the first entry with the code names it; the empty end marker gives "???".
const LangEntry kLanguages[] = {
    {"  ", "Not Specified"},
    {"aa", "Afar"}, {"ab", "Abkhazian"}, {"af", "Afrikaans"}, {"am", "Amharic"}, {"ar", "Arabic"},
    {"as", "Assamese"}, {"ay", "Aymara"}, {"az", "Azerbaijani"}, {"ba", "Bashkir"}, {"be", "Byelorussian"},
    {"bg", "Bulgarian"}, {"bh", "Bihari"}, {"bi", "Bislama"}, {"bn", "Bengali; Bangla"}, {"bo", "Tibetan"},
    {"br", "Breton"}, {"ca", "Catalan"}, {"co", "Corsican"}, {"cs", "Czech(Ceske)"}, {"cy", "Welsh"},
    {"da", "Dansk"}, {"de", "Deutsch"}, {"dz", "Bhutani"}, {"el", "Greek"}, {"en", "English"},
    {"eo", "Esperanto"}, {"es", "Espanol"}, {"et", "Estonian"}, {"eu", "Basque"}, {"fa", "Persian"},
    {"fi", "Suomi"}, {"fj", "Fiji"}, {"fo", "Faroese"}, {"fr", "Francais"}, {"fy", "Frisian"},
    {"ga", "Irish"}, {"gd", "Scots Gaelic"}, {"gl", "Galician"}, {"gn", "Guarani"}, {"gu", "Gujarati"},
    {"ha", "Hausa"}, {"he", "Hebrew"}, {"hi", "Hindi"}, {"hr", "Hrvatski"}, {"hu", "Magyar"},
    {"hy", "Armenian"}, {"ia", "Interlingua"}, {"id", "Indonesian"}, {"ie", "Interlingue"}, {"ik", "Inupiak"},
    {"in", "Indonesian"}, {"is", "Islenska"}, {"it", "Italiano"}, {"iu", "Inuktitut"}, {"iw", "Hebrew"},
    {"ja", "Japanese"}, {"ji", "Yiddish"}, {"jw", "Javanese"}, {"ka", "Georgian"}, {"kk", "Kazakh"},
    {"kl", "Greenlandic"}, {"km", "Cambodian"}, {"kn", "Kannada"}, {"ko", "Korean"}, {"ks", "Kashmiri"},
    {"ku", "Kurdish"}, {"ky", "Kirghiz"}, {"la", "Latin"}, {"ln", "Lingala"}, {"lo", "Laothian"},
    {"lt", "Lithuanian"}, {"lv", "Latvian, Lettish"}, {"mg", "Malagasy"}, {"mi", "Maori"},
    {"mk", "Macedonian"}, {"ml", "Malayalam"}, {"mn", "Mongolian"}, {"mo", "Moldavian"}, {"mr", "Marathi"},
    {"ms", "Malay"}, {"mt", "Maltese"}, {"my", "Burmese"}, {"na", "Nauru"}, {"ne", "Nepali"},
    {"nl", "Nederlands"}, {"no", "Norsk"}, {"oc", "Occitan"}, {"om", "(Afan) Oromo"}, {"or", "Oriya"},
    {"pa", "Punjabi"}, {"pl", "Polish"}, {"ps", "Pashto, Pushto"}, {"pt", "Portugues"}, {"qu", "Quechua"},
    {"rm", "Rhaeto-Romance"}, {"rn", "Kirundi"}, {"ro", "Romanian"}, {"ru", "Russian"}, {"rw", "Kinyarwanda"},
    {"sa", "Sanskrit"}, {"sd", "Sindhi"}, {"sg", "Sangho"}, {"sh", "Serbo-Croatian"}, {"si", "Sinhalese"},
    {"sk", "Slovak"}, {"sl", "Slovenian"}, {"sm", "Samoan"}, {"sn", "Shona"}, {"so", "Somali"},
    {"sq", "Albanian"}, {"sr", "Serbian"}, {"ss", "Siswati"}, {"st", "Sesotho"}, {"su", "Sundanese"},
    {"sv", "Svenska"}, {"sw", "Swahili"}, {"ta", "Tamil"}, {"te", "Telugu"}, {"tg", "Tajik"}, {"th", "Thai"},
    {"ti", "Tigrinya"}, {"tk", "Turkmen"}, {"tl", "Tagalog"}, {"tn", "Setswana"}, {"to", "Tonga"},
    {"tr", "Turkish"}, {"ts", "Tsonga"}, {"tt", "Tatar"}, {"tw", "Twi"}, {"ug", "Uighur"},
    {"uk", "Ukrainian"}, {"ur", "Urdu"}, {"uz", "Uzbek"}, {"vi", "Vietnamese"}, {"vo", "Volapuk"},
    {"wo", "Wolof"}, {"xh", "Xhosa"}, {"yi", "Yiddish"}, {"yo", "Yoruba"}, {"za", "Zhuang"},
    {"zh", "Chinese"}, {"zu", "Zulu"},
    {"", "???"},
};

const char* const kAudioCoding[] = {"AC3", "???", "MPEG1", "MPEG2ext", "LPCM", "???", "DTS"};
const char* const kAspect[] = {"4:3", "???", "???", "16:9"};
const char* const kTvSystem[] = {"NTSC", "PAL", "???", "???"};
const char* const kCompression[] = {"MPEG1", "MPEG2"};
const char* const kResNtsc[] = {"720x480", "704x480", "352x480", "352x240"};
const char* const kResPal[] = {"720x576", "704x576", "352x576", "352x288"};

template <std::size_t N>
std::string lookup(const char* const (&table)[N], int code) {
    return code >= 0 && static_cast<std::size_t>(code) < N ? table[code] : "???";
}

// IFO files are small; anything beyond this is not an IFO file and is not loaded whole.
constexpr std::size_t kMaxIfoBytes = 16 << 20;

}  // namespace

std::uint8_t fromBcd(std::uint8_t b) { return static_cast<std::uint8_t>((b >> 4) * 10 + (b & 0x0F)); }

std::string formatPlayTime(const PlayTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", t.hours, t.minutes, t.seconds);
    return buf;
}

VideoInfo VideoInfo::decode(std::uint8_t b0, std::uint8_t b1) {
    VideoInfo v;
    v.display0 = b0 & 1;
    v.display1 = (b0 >> 1) & 1;
    v.aspect = (b0 >> 2) & 3;
    v.tvSystem = (b0 >> 4) & 3;
    v.compression = (b0 >> 6) & 3;
    v.filmMode = b1 & 1;
    v.letterboxed = (b1 >> 1) & 1;
    v.resolution = (b1 >> 2) & 3;
    v.bit4 = (b1 >> 4) & 1;
    v.high = (b1 >> 5) & 7;
    return v;
}

AudioStreamInfo AudioStreamInfo::decode(const std::uint8_t* e) {
    AudioStreamInfo a;
    a.codingMode = e[0] >> 5;
    a.multichannel = (e[0] >> 4) & 1;
    a.languageType = (e[0] >> 2) & 3;
    a.applicationMode = e[0] & 3;
    a.channels = (e[1] & 7) + 1;
    a.language = std::string{static_cast<char>(e[2]), static_cast<char>(e[3])};
    a.extension = e[5];
    return a;
}

SubPictureInfo SubPictureInfo::decode(const std::uint8_t* e) {
    SubPictureInfo s;
    s.language = std::string{static_cast<char>(e[2]), static_cast<char>(e[3])};
    s.extension = e[5];
    return s;
}

IfoRecord readIfo(const std::string& fileName, const std::vector<std::uint8_t>& bytes, std::vector<std::string>& warnings) {
    IfoRecord r;
    r.fileName = fileName;
    auto u8 = [&](std::size_t at) -> std::uint8_t { return at < bytes.size() ? bytes[at] : 0; };
    auto u16 = [&](std::size_t at) -> std::uint32_t { return std::uint32_t(u8(at)) << 8 | u8(at + 1); };
    auto u32 = [&](std::size_t at) -> std::uint32_t { return u16(at) << 16 | u16(at + 2); };
    auto has = [&](std::size_t at, std::size_t len) { return at <= bytes.size() && len <= bytes.size() - at; };
    const std::string name = fs::path(fileName).filename().string();

    r.identifier = std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(12, bytes.size())));
    const std::size_t headerAt[15] = {0x0C, 0x1C, 0x20, 0x22, 0x80, 0xC0, 0xC4, 0xC8, 0xCC, 0xD0, 0xD4, 0xD8, 0xDC, 0xE0, 0xE4};
    for (std::size_t i = 0; i < 15; ++i) r.header[i] = headerAt[i] == 0x20 ? u16(0x20) : u32(headerAt[i]);

    r.menuVideo = VideoInfo::decode(u8(0x100), u8(0x101));
    r.menuAudioCount = std::min<std::uint32_t>(u16(0x102), kMaxAudio);
    for (std::uint32_t i = 0; i < r.menuAudioCount && has(0x104 + 8 * i, 8); ++i)
        r.menuAudio[i] = AudioStreamInfo::decode(bytes.data() + 0x104 + 8 * i);
    r.menuSubPictureCount = u16(0x154);
    if (has(0x156, 6)) r.menuSubPicture = SubPictureInfo::decode(bytes.data() + 0x156);

    r.video = VideoInfo::decode(u8(0x200), u8(0x201));
    r.audioCount = u8(0x203);
    if (r.audioCount > kMaxAudio) {
        warnings.push_back(name + ": more audio streams than " + std::to_string(kMaxAudio) + "; the rest are left out.");
        r.audioCount = kMaxAudio;
    }
    for (std::uint32_t i = 0; i < r.audioCount; ++i)
        if (has(0x204 + 8 * i, 8)) r.audio[i] = AudioStreamInfo::decode(bytes.data() + 0x204 + 8 * i);
    r.subPictureCount = u8(0x255);
    if (r.subPictureCount > kMaxSubPictures) {
        warnings.push_back(name + ": more sub-picture streams than " + std::to_string(kMaxSubPictures) + "; the rest are left out.");
        r.subPictureCount = kMaxSubPictures;
    }
    for (std::uint32_t i = 0; i < r.subPictureCount; ++i)
        if (has(0x256 + 6 * i, 6)) r.subPictures[i] = SubPictureInfo::decode(bytes.data() + 0x256 + 6 * i);

    // The title program-chain table, by its sector number.
    const std::uint64_t t = std::uint64_t(u32(0xCC)) * 2048;
    if (t == 0 || t + 2 > bytes.size()) {
        if (t != 0) warnings.push_back(name + ": the program-chain table lies beyond the end of the file.");
        return r;
    }
    std::uint32_t chains = u16(static_cast<std::size_t>(t));
    if (chains > kMaxChains) {
        warnings.push_back(name + ": more program chains than " + std::to_string(kMaxChains) + "; the rest are left out.");
        chains = kMaxChains;
    }
    r.chainCount = chains;
    for (std::uint32_t i = 0; i < chains; ++i) {
        ProgramChainInfo& pc = r.chains[i];
        const std::uint64_t entry = t + 12 + 8 * i;
        if (!has(static_cast<std::size_t>(entry), 4)) {
            warnings.push_back(name + ": program chain " + std::to_string(i + 1) + " lies beyond the end of the file.");
            r.chainCount = i;
            break;
        }
        const std::uint64_t p = t + u32(static_cast<std::size_t>(entry));
        if (!has(static_cast<std::size_t>(std::min<std::uint64_t>(p, bytes.size())), 0xEA) || p > bytes.size()) {
            warnings.push_back(name + ": program chain " + std::to_string(i + 1) + " lies beyond the end of the file.");
            continue;
        }
        const std::size_t ps = static_cast<std::size_t>(p);
        pc.programs = u8(ps + 2);
        pc.cells = u8(ps + 3);
        pc.time = {fromBcd(u8(ps + 4)), fromBcd(u8(ps + 5)), fromBcd(u8(ps + 6)), 0};
        if (pc.programs > kMaxChapters) {
            warnings.push_back(name + ": program chain " + std::to_string(i + 1) + " has more than " +
                               std::to_string(kMaxChapters) + " chapters; the rest are left out.");
            pc.programs = kMaxChapters;
        }
        const std::uint64_t cellTable = p + u16(ps + 0xE8);
        for (int c = 1; c <= pc.programs; ++c) {
            const std::uint64_t cell = cellTable + 24 * std::uint64_t(c - 1);
            if (cell + 7 > bytes.size()) {
                warnings.push_back(name + ": a cell of program chain " + std::to_string(i + 1) + " lies beyond the end of the file.");
                break;
            }
            const std::size_t cs = static_cast<std::size_t>(cell);
            pc.seamless[static_cast<std::size_t>(c)] = (u8(cs) >> 3) & 1;
            pc.cellTimes[static_cast<std::size_t>(c)] = {fromBcd(u8(cs + 4)), fromBcd(u8(cs + 5)), fromBcd(u8(cs + 6)), 0};
        }
    }
    return r;
}

clsDVD::clsDVD() = default;

std::string clsDVD::languageName(const std::string& code) {
    for (const auto& e : kLanguages) {
        if (*e.code == '\0') return e.name;
        if (code == e.code) return e.name;
    }
    return "???";
}

int utl_NumEntrys(std::string_view list, char separator) {
    const std::string t = trim(list);
    return 1 + static_cast<int>(std::count(t.begin(), t.end(), separator ? separator : ';'));
}

std::string utl_Entry(std::string_view list, int n, char separator) {
    const std::string sep(1, separator ? separator : ';');
    const auto fields = isplit(trim(list), sep);
    return n >= 1 && n <= static_cast<int>(fields.size()) ? fields[static_cast<std::size_t>(n - 1)] : std::string();
}

bool utl_IsEntry(std::string_view value, std::string_view list, char separator) {
    for (int i = 1; i <= utl_NumEntrys(list, separator); ++i)
        if (utl_Entry(list, i, separator) == value) return true;
    return false;
}

std::string findVideoTs(const std::string& path) {
    std::error_code ec;
    fs::path p(path);
    if (!fs::is_directory(p, ec)) return {};
    if (iequals(p.filename().string(), "VIDEO_TS")) return p.string();
    for (const auto& e : fs::directory_iterator(p, ec))
        if (e.is_directory(ec) && iequals(e.path().filename().string(), "VIDEO_TS")) return e.path().string();
    return {};
}

void clsDVD::readOne(const std::string& file) {
    // Opened as a regular file only: a FIFO named like an IFO would otherwise wait for ever.
    const int fd = openRegular(file, O_RDONLY);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0) ::close(fd);
        m_warnings.push_back(fs::path(file).filename().string() + ": cannot be read.");
        return;
    }
    std::vector<std::uint8_t> bytes(std::min<std::size_t>(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)), kMaxIfoBytes));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    m_records.push_back(readIfo(file, bytes, m_warnings));
}

void clsDVD::readFolder(const std::string& videoTs) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(videoTs, ec)) {
        const std::string n = e.path().filename().string();
        if (istartsWith(n, "vts") && n.size() >= 4 && iequals(n.substr(n.size() - 4), ".ifo")) files.push_back(e.path().string());
    }
    // Title sets in number order: the browser uses the title-set number as the record index.
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) { return toUpper(a) < toUpper(b); });
    for (const auto& f : files) {
        if (static_cast<int>(m_records.size()) == kMaxTitleSets) {
            m_warnings.push_back("More than " + std::to_string(kMaxTitleSets) + " title sets: the rest are left out.");
            break;
        }
        readOne(f);
    }
}

std::uint8_t clsDVD::OpenFile(const std::string& path) {
    m_warnings.clear();
    std::error_code ec;
    if (path.size() < 4 && !fs::is_directory(path.empty() ? "/nonexistent-" : path, ec)) {
        // A drive: the first optical drive's VIDEO_TS folder.
        m_records.clear();
        const std::string drive = FirstDVD_DriveLetter();
        const std::string videoTs = drive.empty() ? std::string() : findVideoTs(drive);
        if (!videoTs.empty()) readFolder(videoTs);
        m_opened = 1;
        return m_opened;
    }
    if (fs::is_directory(path, ec)) {
        // A folder is a read request: one without VIDEO_TS leaves nothing read, not the last disc.
        m_records.clear();
        const std::string videoTs = findVideoTs(path);
        if (videoTs.empty()) {
            m_warnings.push_back(fs::path(path).filename().string() + ": no VIDEO_TS folder.");
            return m_opened;
        }
        readFolder(videoTs);
        m_opened = 1;
        return m_opened;
    }
    if (fs::is_regular_file(path, ec)) {
        m_records.clear();
        readOne(path);
        m_opened = 1;
    }
    return m_opened;
}

const IfoRecord* clsDVD::record(int t) const {
    if (t < 1 || t > static_cast<int>(m_records.size())) return nullptr;
    return &m_records[static_cast<std::size_t>(t - 1)];
}

std::string clsDVD::IFO_FileName(int t) const {
    auto* r = record(t);
    return r ? r->fileName : std::string();
}

std::string clsDVD::IFO_Video(int t) const {
    auto* r = record(t);
    if (!r) return {};
    const auto& v = r->video;
    std::string res = v.tvSystem == 0 ? lookup(kResNtsc, v.resolution) : v.tvSystem == 1 ? lookup(kResPal, v.resolution) : "???";
    return lookup(kCompression, v.compression) + " " + res + " " + lookup(kTvSystem, v.tvSystem) + " " + lookup(kAspect, v.aspect);
}

std::uint8_t clsDVD::IFO_AudioNumberOfTracks(int t) const {
    auto* r = record(t);
    return r ? static_cast<std::uint8_t>(r->audioCount) : 0;
}

std::string clsDVD::IFO_Audio(int t, int n) const {
    auto* r = record(t);
    if (!r || n < 1 || n > static_cast<int>(r->audioCount)) return {};
    const auto& a = r->audio[static_cast<std::size_t>(n - 1)];
    return "0x8" + std::to_string(n - 1) + ", " + languageName(a.language) + " - " + lookup(kAudioCoding, a.codingMode) + " " +
           std::to_string(a.channels) + "Ch ";
}

std::uint8_t clsDVD::IFO_SubPicNumberOf(int t) const {
    auto* r = record(t);
    return r ? static_cast<std::uint8_t>(r->subPictureCount) : 0;
}

std::string clsDVD::IFO_SubPic(int t, int n) const {
    auto* r = record(t);
    if (!r || n < 1 || n > static_cast<int>(r->subPictureCount)) return {};
    return "0x2" + std::to_string(n - 1) + ", " + languageName(r->subPictures[static_cast<std::size_t>(n - 1)].language);
}

std::uint8_t clsDVD::NumberProgramChains(int t) const {
    auto* r = record(t);
    return r ? static_cast<std::uint8_t>(r->chainCount) : 0;
}

std::uint8_t clsDVD::ProgramChain_NumChapters(int t, int p) const {
    auto* r = record(t);
    if (!r || p < 1 || p > static_cast<int>(r->chainCount)) return 0;
    return r->chains[static_cast<std::size_t>(p - 1)].programs;
}

std::string clsDVD::ProgramChain_PlayBackTime(int t, int p, int k) const {
    auto* r = record(t);
    if (!r || p < 1 || p > static_cast<int>(r->chainCount)) return {};
    const auto& pc = r->chains[static_cast<std::size_t>(p - 1)];
    if (k == 0) return formatPlayTime(pc.time);
    if (k < 2 || k - 1 > kMaxChapters) return {};
    return formatPlayTime(pc.cellTimes[static_cast<std::size_t>(k - 1)]);
}

std::string clsDVD::FirstDVD_DriveLetter() const {
    if (!m_drives) return {};
    auto drives = m_drives();
    return drives.empty() ? std::string() : drives.front();
}

std::string clsDVD::GetDriveLabel(const std::string& drive) const {
    // A mounted disc is labelled by its mount point's last component, as desktops name it.
    return fs::path(drive).filename().string();
}

}  // namespace fw::dvd
