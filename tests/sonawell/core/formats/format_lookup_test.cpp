// What the table of formats makes of a source file: by its name, else by its first bytes.

#include "core/formats/format_lookup.h"
#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using sw::formats::Output;

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

// The output path deriveOutput proposes, or "" for none.
QString Derived(const QString& source) {
    const std::optional<DerivedOutput> derived = deriveOutput(source);
    return derived ? derived->path : QString();
}

TEST(DeriveOutputTest, TheKnownExtensionSwapsForTheOutputs) {
    EXPECT_EQ(Derived(S("C:\\Music\\a.mp3")), S("C:\\Music\\a.wma"));
    EXPECT_EQ(Derived(S("C:\\Music\\a.Wma")), S("C:\\Music\\a.wav"));
    EXPECT_EQ(Derived(S("/music/a.Wma")), S("/music/a.wav"));
    EXPECT_EQ(Derived(S("/music/a.WAV")), S("/music/a.wma"));
    EXPECT_EQ(Derived(S("/music/Take.mP2")), S("/music/Take.wma"));
    EXPECT_EQ(Derived(S("/music/a.b.wma")), S("/music/a.b.wav"));
    EXPECT_EQ(deriveOutput(S("/music/a.wma"))->output, Output::Wave);
    EXPECT_EQ(deriveOutput(S("/music/a.mp3"))->output, Output::Wma);
    EXPECT_EQ(Derived(S("/music/a.Flac")), S("/music/a.wma"));
    EXPECT_EQ(Derived(S("/music/a.opus")), S("/music/a.wma"));
    EXPECT_EQ(Derived(S("/music/a.m4a")), S("/music/a.wma"));
    EXPECT_EQ(Derived(S("/music/a.aiff")), S("/music/a.wma"));
    // Quick convert's choice for WMA sources.
    EXPECT_EQ(deriveOutput(S("/music/a.wma"), Output::Flac)->path, S("/music/a.flac"));
    EXPECT_EQ(deriveOutput(S("/music/a.wma"), Output::Flac)->output, Output::Flac);
    EXPECT_EQ(deriveOutput(S("/music/a.ogg"), Output::Flac)->output, Output::Wma);
    // Names the table does not know, of files that are not there to be read.
    EXPECT_EQ(Derived(S("/music/a")), QString());
    EXPECT_EQ(Derived(S("/music/xmp3")), QString());
    EXPECT_EQ(Derived(S("C:\\My.Music\\a")), QString());
    EXPECT_EQ(Derived(S("/My.Music/a")), QString());
    EXPECT_EQ(Derived(S("/music/a.")), QString());
    EXPECT_EQ(Derived(S("/music/a.wmax")), QString());
    EXPECT_EQ(Derived(QString()), QString());
}

TEST(ProfileForTest, WaveOutputsGetTheDecodersProfile) {
    EXPECT_EQ(profileFor(Output::Wave, S("CD")), S("WMA to WAV"));
    EXPECT_EQ(profileFor(Output::Wma, S("CD")), S("CD"));
    EXPECT_EQ(profileFor(Output::Flac, S("CD")), S("WMA to FLAC"));
}

class ByContentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString file(const char* name) const { return dir_.filePath(S(name)); }

    QTemporaryDir dir_;
};

// Where the name says nothing the table knows, the first bytes decide, and the output's
// extension is added to the whole name.
TEST_F(ByContentTest, AnMp3NamedDatAndAWaveWithoutExtensionAreTaken) {
    const QString mp3 = file("song.dat");
    ASSERT_TRUE(testsupport::MakeMp3(mp3, 0.3));
    // Without an ID3v2 tag the file starts with a frame.
    const QString bareMp3 = file("bare.bin");
    ASSERT_TRUE(testsupport::MakeTone(
        bareMp3, 0.3, 44100, 2,
        {S("-c:a"), S("libmp3lame"), S("-id3v2_version"), S("0"), S("-f"), S("mp3")}));
    const QString wave = file("take");
    ASSERT_TRUE(testsupport::MakeWav(wave, 0.3));
    const QString wma = file("voice.3.30pm");
    ASSERT_TRUE(testsupport::MakeWma(wma, 0.3));
    const QString notes = file("notes.txt");
    ASSERT_TRUE(testsupport::WriteAll(notes, QByteArrayLiteral("just some notes\n")));

    ASSERT_NE(sourceFormatOf(mp3), nullptr);
    EXPECT_EQ(sourceFormatOf(mp3)->name, "MP3");
    ASSERT_NE(sourceFormatOf(bareMp3), nullptr);
    EXPECT_EQ(sourceFormatOf(bareMp3)->name, "MP3");
    ASSERT_NE(sourceFormatOf(wave), nullptr);
    EXPECT_EQ(sourceFormatOf(wave)->name, "WAVE");
    ASSERT_NE(sourceFormatOf(wma), nullptr);
    EXPECT_EQ(sourceFormatOf(wma)->name, "WMA");
    EXPECT_EQ(sourceFormatOf(notes), nullptr);

    EXPECT_EQ(Derived(mp3), file("song.dat.wma"));
    EXPECT_EQ(Derived(wave), file("take.wma"));
    EXPECT_EQ(Derived(wma), file("voice.3.30pm.wav"));
    EXPECT_EQ(deriveOutput(wma)->output, Output::Wave);
    EXPECT_EQ(Derived(notes), QString());
}

// A name the table knows is taken at its word: the content is not read.
TEST_F(ByContentTest, AKnownExtensionWinsOverTheContent) {
    const QString wave = file("really a wave.mp3");
    ASSERT_TRUE(testsupport::MakeWav(wave, 0.3));
    ASSERT_NE(sourceFormatOf(wave), nullptr);
    EXPECT_EQ(sourceFormatOf(wave)->name, "MP3");
    EXPECT_EQ(Derived(wave), file("really a wave.wma"));
}

}  // namespace
