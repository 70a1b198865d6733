#include "encoder_test_support.h"
#include "support/audio_fixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace enctest;
using sw::ErrorCode;
using sw::enc::Encoder;

namespace {

class EncoderStart : public testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString output() const { return path(QStringLiteral("out.wma")); }

    // Starts a job for `source` and returns the code start() raised (None when the run started;
    // it is stopped then); a refused start never creates the output.
    ErrorCode start(const QString& source) {
        const ErrorCode error = StartError(encoder_, Request(source, output()));
        if (error != ErrorCode::None) {
            EXPECT_FALSE(QFile::exists(output()));
        }
        EXPECT_FALSE(encoder_.isRunning());
        return error;
    }

    bool makeMp2(const QString& file) {
        return testsupport::MakeTone(file, 1, 44100, 2,
                                     {QStringLiteral("-c:a"), QStringLiteral("mp2"),
                                      QStringLiteral("-f"), QStringLiteral("mp2")});
    }

    QTemporaryDir dir_;
    Encoder encoder_;
};

}  // namespace

TEST_F(EncoderStart, AcceptsReadableSourcesOfEveryExtensionItReads) {
    ASSERT_TRUE(testsupport::MakeMp3(path(QStringLiteral("a.mp3")), 1));
    ASSERT_TRUE(testsupport::MakeMp3(path(QStringLiteral("UPPER.MP3")), 1));
    ASSERT_TRUE(testsupport::MakeWav(path(QStringLiteral("a.wav")), 1));
    ASSERT_TRUE(testsupport::MakeWma(path(QStringLiteral("a.wma")), 1));
    ASSERT_TRUE(makeMp2(path(QStringLiteral("a.mp2"))));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("a.mp2")), path(QStringLiteral("a.mpa"))));
    for (const char* name : {"a.mp3", "UPPER.MP3", "a.wav", "a.wma", "a.mp2", "a.mpa"})
        EXPECT_EQ(start(path(QString::fromLatin1(name))), ErrorCode::None) << name;
}

TEST_F(EncoderStart, RefusesSourcesItCannotRead) {
    ASSERT_TRUE(testsupport::MakeMp3(path(QStringLiteral("tone.mp3")), 1));
    ASSERT_TRUE(WriteAll(path(QStringLiteral("empty.mp3")), {}));
    ASSERT_TRUE(WriteAll(path(QStringLiteral("text.mp3")),
                         QByteArray("This is a shopping list, not a song.\n").repeated(200)));
    QByteArray noise(64 * 1024, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    ASSERT_TRUE(WriteAll(path(QStringLiteral("noise.mp3")), noise));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("tone.mp3")), path(QStringLiteral("tone.ogg"))));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("tone.mp3")), path(QStringLiteral("tone"))));
    ASSERT_TRUE(testsupport::MakeWav(path(QStringLiteral("wave.mp3")), 1));
    ASSERT_TRUE(testsupport::MakeWma(path(QStringLiteral("wma.mp3")), 1));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("tone.mp3")), path(QStringLiteral("mp3.wma"))));

    // A WAVE file whose RIFF header is overwritten.
    ASSERT_TRUE(testsupport::MakeWav(path(QStringLiteral("broken.wav")), 1));
    QByteArray wav = ReadAll(path(QStringLiteral("broken.wav")));
    wav.replace(0, 16, QByteArray(16, 'x'));
    ASSERT_TRUE(WriteAll(path(QStringLiteral("broken.wav")), wav));

    // A source that is not a readable file is told apart from one whose content is refused, so
    // only the latter is worth a second try under another name.
    EXPECT_EQ(start(path(QStringLiteral("missing.mp3"))), ErrorCode::SourceMissing);
    EXPECT_EQ(start(path(QStringLiteral("empty.mp3"))), ErrorCode::SourceEmpty);
    EXPECT_EQ(start(dir_.path() + QStringLiteral("/")), ErrorCode::SourceNotFile);
    for (const char* name : {"text.mp3", "noise.mp3", "broken.wav"})
        EXPECT_EQ(start(path(QString::fromLatin1(name))), ErrorCode::FormatNotAccepted) << name;
    // Audio under a name that lies about it, or says nothing, is read by its content.
    for (const char* name : {"tone.ogg", "tone", "wave.mp3", "wma.mp3", "mp3.wma"})
        EXPECT_EQ(start(path(QString::fromLatin1(name))), ErrorCode::None) << name;
}

TEST_F(EncoderStart, MpegAudioUnderAWrongNameIsReadByItsContent) {
    const QString wrongName = path(QStringLiteral("mpeg.wav"));
    ASSERT_TRUE(makeMp2(wrongName));
    EXPECT_EQ(start(wrongName), ErrorCode::None);
}

TEST_F(EncoderStart, IncompleteRequestsFailWithTheirOwnCodes) {
    const QString source = path(QStringLiteral("tone.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 1));
    struct Row {
        sw::enc::EncodeRequest request;
        ErrorCode expected;
        const char* why;
    };
    auto noProfile = Request(source, output());
    noProfile.profile = QStringLiteral("Video for broadband (audio and video, 340 Kbps)");
    const Row rows[] = {
        {Request(QString(), output()), ErrorCode::SourceMissing, "no source"},
        {Request(source, QString()), ErrorCode::NoOutput, "no output"},
        {Request(source, dir_.path() + QStringLiteral("/")), ErrorCode::NoOutput, "a folder"},
        {Request(source, source), ErrorCode::NoOutput, "the source is never overwritten"},
        {noProfile, ErrorCode::NoProfile, "not one of the audio profiles"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(StartError(encoder_, row.request), row.expected) << row.why;
        EXPECT_FALSE(encoder_.isRunning()) << row.why;
        EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped) << row.why;
    }
    EXPECT_FALSE(QFile::exists(output()));
}
