#pragma once
// The title-set information files (VTS_nn_0.IFO) of a DVD-Video disc: video format, audio and
// sub-picture streams with their languages, program chains with their running times, and the
// chapter durations. Every offset and count from a file is checked against the file and against
// the model's room; unknown codes read "???".
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fw::dvd {

inline constexpr int kMaxTitleSets = 10;
inline constexpr int kMaxChains = 25;
inline constexpr int kMaxChapters = 48;
inline constexpr int kMaxAudio = 9;
inline constexpr int kMaxSubPictures = 33;

struct PlayTime {
    std::uint8_t hours = 0, minutes = 0, seconds = 0, frames = 0;
};
std::string formatPlayTime(const PlayTime& t);  // hh:mm:ss
std::uint8_t fromBcd(std::uint8_t b);

struct ProgramChainInfo {
    std::uint8_t programs = 0;
    std::uint8_t cells = 0;
    PlayTime time;
    std::array<bool, kMaxChapters + 1> seamless{};
    std::array<PlayTime, kMaxChapters + 1> cellTimes{};  // entry c = cell c; entry 0 unused
};

struct VideoInfo {
    bool display0 = false, display1 = false;
    int aspect = 0, tvSystem = 0, compression = 0;
    bool filmMode = false, letterboxed = false;
    int resolution = 0;
    bool bit4 = false;
    int high = 0;
    static VideoInfo decode(std::uint8_t b0, std::uint8_t b1);
};

struct AudioStreamInfo {
    int codingMode = 0;
    bool multichannel = false;
    int languageType = 0, applicationMode = 0;
    int channels = 0;
    std::string language;  // two characters
    int extension = 0;
    static AudioStreamInfo decode(const std::uint8_t* e);  // 8 bytes
};

struct SubPictureInfo {
    std::string language;
    int extension = 0;
    static SubPictureInfo decode(const std::uint8_t* e);  // 6 bytes
};

struct IfoRecord {
    std::string fileName;
    std::string identifier;
    std::array<std::uint32_t, 15> header{};
    std::uint32_t chainCount = 0;
    std::array<ProgramChainInfo, kMaxChains> chains{};
    VideoInfo menuVideo;
    std::uint32_t menuAudioCount = 0;
    std::array<AudioStreamInfo, kMaxAudio> menuAudio{};
    std::uint32_t menuSubPictureCount = 0;
    SubPictureInfo menuSubPicture;
    VideoInfo video;
    std::uint32_t audioCount = 0;
    std::array<AudioStreamInfo, kMaxAudio> audio{};
    std::uint32_t subPictureCount = 0;
    std::array<SubPictureInfo, kMaxSubPictures> subPictures{};
};

// Reads one IFO file's bytes into a record; limits reached are listed in `warnings`.
IfoRecord readIfo(const std::string& fileName, const std::vector<std::uint8_t>& bytes, std::vector<std::string>& warnings);

// The optical drives of the system as mount points, first drive first.
using DriveLister = std::function<std::vector<std::string>()>;

class clsDVD {
public:
    clsDVD();
    // Where OpenFile("") looks for discs; the default lists nothing.
    void setDriveLister(DriveLister lister) { m_drives = std::move(lister); }

    // "" or a short name: the first optical drive; a folder holding VIDEO_TS (or one itself, in
    // any letter case): its title sets; a file: that file alone. Returns the opened flag.
    std::uint8_t OpenFile(const std::string& path);

    std::uint8_t NumberIFOread() const { return static_cast<std::uint8_t>(m_records.size()); }
    std::string IFO_FileName(int t) const;
    std::string IFO_Video(int t) const;
    std::uint8_t IFO_AudioNumberOfTracks(int t) const;
    std::string IFO_Audio(int t, int n) const;
    std::uint8_t IFO_SubPicNumberOf(int t) const;
    std::string IFO_SubPic(int t, int n) const;
    std::uint8_t NumberProgramChains(int t) const;
    std::uint8_t ProgramChain_NumChapters(int t, int p) const;
    std::string ProgramChain_PlayBackTime(int t, int p, int k) const;
    std::string FirstDVD_DriveLetter() const;
    std::string GetDriveLabel(const std::string& drive) const;

    // What the last OpenFile could not read or had to leave out.
    const std::vector<std::string>& warnings() const { return m_warnings; }
    bool opened() const { return m_opened != 0; }

    static std::string languageName(const std::string& code);

private:
    const IfoRecord* record(int t) const;
    void readFolder(const std::string& videoTs);
    void readOne(const std::string& file);

    DriveLister m_drives;
    std::vector<IfoRecord> m_records;
    std::vector<std::string> m_warnings;
    std::uint8_t m_opened = 0;
};

// Lists of fields separated by one character (";" when none is given), trimmed of blanks first.
int utl_NumEntrys(std::string_view list, char separator = ';');
std::string utl_Entry(std::string_view list, int n, char separator = ';');  // n from 1; "" past the end
bool utl_IsEntry(std::string_view value, std::string_view list, char separator = ';');

// The VIDEO_TS folder of a path: the path itself, or its child of that name in any case.
std::string findVideoTs(const std::string& path);

}  // namespace fw::dvd
