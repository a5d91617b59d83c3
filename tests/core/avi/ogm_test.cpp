#include <gtest/gtest.h>

#include "core/avi/inspector.h"
#include "fixtures/byte_writer.h"
#include "fixtures/ogm_builder.h"
#include "support/temp_home.h"

namespace {

using fw::fixtures::OgmAudio;
using fw::fixtures::OgmBuilder;

class Ogm : public ::testing::Test {
protected:
    fw::test::TempHome home;
    fw::avi::InspectorResult read(const std::vector<std::uint8_t>& bytes) {
        std::string p = home.path("film.ogm");
        fw::fixtures::writeBytes(p, bytes);
        return fw::avi::inspectOgm(p);
    }
};

TEST_F(Ogm, StreamHeadersAndComments) {
    OgmAudio ac3;
    ac3.format = "2000";
    auto r = read(OgmBuilder()
                      .video({})
                      .audio({})
                      .audio(ac3)
                      .comments({"TITLE=Foo", "ALBUM=Bar", "PERFORMER=Someone", "TRACKNUMBER=7", "UNKNOWN=x"})
                      .bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fields[1].text, "XviD MPEG-4 Advanced Simple Profile");
    EXPECT_EQ(r.fields[4].text, "40000");
    EXPECT_EQ(r.fields[5].text, "25 fps");
    EXPECT_EQ(r.fields[6].text, "640 px");
    EXPECT_EQ(r.fields[3].text, "20/11 <=>1.82:1");
    EXPECT_EQ(r.fields[11].text, "3");
    ASSERT_EQ(r.audio.size(), 2u);
    EXPECT_EQ(r.audio[0].formatTag, 85);
    EXPECT_EQ(r.audio[1].formatTag, 8192);
    EXPECT_EQ(r.fields[27].text, "AC-3 (Dolby Digital)");
    EXPECT_EQ(r.fields[22].text, "128");
    EXPECT_EQ(r.tags[0], "Bar/Foo/");
    EXPECT_EQ(r.tags[1], "Someone");
    EXPECT_EQ(r.tagCaptions[1], "Performer");
    EXPECT_EQ(r.tags[26], "7");
    EXPECT_EQ(r.tagCaptions[26], "Track");
}

TEST_F(Ogm, LongPacketsSeventhAudioAndLongComments) {
    OgmBuilder b;
    b.video({});
    for (int i = 0; i < 7; ++i) b.audio({});
    // A comment longer than 255 bytes is read whole: its length is 32 bits.
    const std::string longTitle(300, 'x');
    b.comments({"TITLE=" + longTitle}, 300);  // a 300-byte packet: lacing 255, 45
    auto r = read(b.bytes());
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.audio.size(), 7u);  // the seventh is listed, not analysed
    EXPECT_TRUE(r.audio[5].analysed);
    EXPECT_FALSE(r.audio[6].analysed);
    EXPECT_EQ(r.fields[11].text, "8");
    EXPECT_EQ(r.audioTabs, 3);
    EXPECT_EQ(r.tags[0], longTitle + "/");
}

TEST_F(Ogm, PagesWithSeveralPacketsAndNativeVorbis) {
    // libvorbis: the identification header alone, then the comment and setup headers in one
    // page. The stream counts as audio and its comments are read from the middle of the page.
    auto r = read(OgmBuilder().vorbis(2, 48000, 128000, {"TITLE=Song", "DATE=1999"}).bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fields[11].text, "1");
    ASSERT_EQ(r.audio.size(), 1u);
    EXPECT_EQ(r.audio[0].formatTag, 26447);
    EXPECT_EQ(r.audio[0].channels, 2);
    EXPECT_EQ(r.audio[0].sampleRate, 48000);
    EXPECT_EQ(r.fields[22].text, "128");
    EXPECT_EQ(r.tags[0], "Song/");
    EXPECT_EQ(r.tags[6], "1999");

    // An OGM video stream, then a native Vorbis one: two streams, the comments of the first.
    r = read(OgmBuilder().video({}).vorbis(1, 44100, 96000, {"TITLE=Audio"}).comments({"TITLE=Film"}).bytes());
    EXPECT_EQ(r.fields[11].text, "2");
    EXPECT_EQ(r.fields[5].text, "25 fps");
    ASSERT_EQ(r.audio.size(), 1u);
    EXPECT_EQ(r.tags[0], "Audio/");  // the first comment header in the file ends the walk
}

TEST_F(Ogm, ThePageAfterAHeaderOfSeveralSegments) {
    // A 300-byte video header (lacing 255, 45): the next page starts 27 + 2 + 300 bytes on.
    fw::fixtures::OgmVideo v;
    v.padTo = 300;
    auto r = read(OgmBuilder().video(v).audio({}).comments({"TITLE=x"}).bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fields[5].text, "25 fps");
    ASSERT_EQ(r.audio.size(), 1u);
    EXPECT_EQ(r.audio[0].formatTag, 85);
    EXPECT_EQ(r.tags[0], "x/");
    for (const auto& w : r.warnings) EXPECT_EQ(w.find("OggS"), std::string::npos) << w;
}

TEST_F(Ogm, CommentsCannotDriveTheTerminal) {
    // Escape sequences and bells become blanks; a NUL ends the text, as in AVI tags.
    auto r = read(OgmBuilder().video({}).comments({"TITLE=A\x1b[31mRED\x07" "B", std::string("GENRE=a\0b", 9)}).bytes());
    EXPECT_EQ(r.tags[0], "A [31mRED B/");
    EXPECT_EQ(r.tags[8], "a");
    const std::string report = fw::avi::buildReport(r, "d", "t");
    EXPECT_EQ(report.find('\x1b'), std::string::npos);
    EXPECT_EQ(report.find('\0'), std::string::npos);
}

TEST_F(Ogm, RefusalsAndHostileBytes) {
    auto r = read({'R', 'I', 'F', 'F', 0, 0, 0, 0});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages[0].text, (fw::LangKey{"AviDetectorMsgBox", 2}));
    // No comment header: the walk ends at the end of the file, with both streams counted.
    r = read(OgmBuilder().video({}).audio({}).bytes());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.fields[11].text, "2");
    // A page that is not "OggS" stops the walk with a warning.
    auto bytes = OgmBuilder().video({}).bytes();
    bytes.insert(bytes.end(), {'J', 'U', 'N', 'K', 0, 0, 0, 0});
    r = read(bytes);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.warnings.size(), 1u);
    // A comment whose length runs past its packet is cut at the packet's end.
    fw::fixtures::ByteWriter bad;
    bad.u8(3).text("vorbis").u32(0).u32(1).u32(0x7FFFFFFF).text("TITLE=short");
    r = read(OgmBuilder().video({}).rawPage(bad.bytes).bytes());
    EXPECT_EQ(r.tags[0], "short/");
    // Every cut of a valid file reads what lies before the cut: the video header once its page is
    // whole, the audio header once its page is.
    auto whole = OgmBuilder().video({}).audio({}).comments({"TITLE=a"}).bytes();
    const std::size_t videoEnd = OgmBuilder().video({}).bytes().size();
    const std::size_t audioEnd = OgmBuilder().video({}).audio({}).bytes().size();
    for (std::size_t cut = 4; cut < whole.size(); cut += 5) {
        auto part = read({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)});
        ASSERT_TRUE(part.ok) << cut;
        EXPECT_EQ(part.fields[5].text, cut >= videoEnd ? "25 fps" : "") << cut;
        EXPECT_EQ(part.audio.size(), cut >= audioEnd ? 1u : 0u) << cut;
        EXPECT_EQ(part.tags[0], "") << cut;
    }
}

}  // namespace
