#include "encoder_test_support.h"
#include "support/audio_fixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace enctest;
using sw::enc::Encoder;
using sw::enc::kErrFormatNotAccepted;

namespace {

class EncoderPrepare : public testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString output() const { return path(QStringLiteral("out.wma")); }

    // Prepares a job for `source` and returns the error number (0 on success); prepare never
    // creates the output.
    uint32_t prepare(const QString& source, int profile = kCdProfile) {
        SetUpJob(encoder_, source, output(), profile);
        const uint32_t error = PrepareError(encoder_);
        EXPECT_FALSE(QFile::exists(output()));
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

TEST_F(EncoderPrepare, AcceptsReadableSourcesOfEveryExtensionItReads) {
    ASSERT_TRUE(testsupport::MakeMp3(path(QStringLiteral("a.mp3")), 1));
    ASSERT_TRUE(testsupport::MakeMp3(path(QStringLiteral("UPPER.MP3")), 1));
    ASSERT_TRUE(testsupport::MakeWav(path(QStringLiteral("a.wav")), 1));
    ASSERT_TRUE(testsupport::MakeWma(path(QStringLiteral("a.wma")), 1));
    ASSERT_TRUE(makeMp2(path(QStringLiteral("a.mp2"))));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("a.mp2")), path(QStringLiteral("a.mpa"))));
    for (const char* name : {"a.mp3", "UPPER.MP3", "a.wav", "a.wma", "a.mp2", "a.mpa"})
        EXPECT_EQ(prepare(path(QString::fromLatin1(name))), 0u) << name;
}

TEST_F(EncoderPrepare, RefusesSourcesItCannotRead) {
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
    EXPECT_EQ(prepare(path(QStringLiteral("missing.mp3"))), sw::enc::kErrSourceMissing);
    EXPECT_EQ(prepare(path(QStringLiteral("empty.mp3"))), sw::enc::kErrSourceEmpty);
    EXPECT_EQ(prepare(dir_.path() + QStringLiteral("/")), sw::enc::kErrSourceNotFile);
    for (const char* name : {"text.mp3", "noise.mp3", "broken.wav"})
        EXPECT_EQ(prepare(path(QString::fromLatin1(name))), kErrFormatNotAccepted) << name;
    // Audio under a name that lies about it, or says nothing, is read by its content.
    for (const char* name : {"tone.ogg", "tone", "wave.mp3", "wma.mp3", "mp3.wma"})
        EXPECT_EQ(prepare(path(QString::fromLatin1(name))), 0u) << name;
}

TEST_F(EncoderPrepare, MpegAudioUnderAWrongNameIsReadByItsContent) {
    const QString wrongName = path(QStringLiteral("mpeg.wav"));
    ASSERT_TRUE(makeMp2(wrongName));
    EXPECT_EQ(prepare(wrongName), 0u);
}

TEST_F(EncoderPrepare, IncompleteSetUpsFailWithTheirOwnNumbers) {
    const QString source = path(QStringLiteral("tone.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 1));

    EXPECT_EQ(PrepareError(encoder_), sw::enc::kErrNoSource);
    encoder_.sourceGroups().add(QStringLiteral("SG_1"));
    EXPECT_EQ(PrepareError(encoder_), sw::enc::kErrNoSource);

    SetUpJob(encoder_, source, QString());
    EXPECT_EQ(PrepareError(encoder_), sw::enc::kErrNoOutput);

    SetUpJob(encoder_, source, source);
    EXPECT_EQ(PrepareError(encoder_), sw::enc::kErrNoOutput) << "the source is never overwritten";

    SetUpJob(encoder_, source, output());
    encoder_.sourceGroups().item(0).setProfile(nullptr);
    EXPECT_EQ(PrepareError(encoder_), sw::enc::kErrNoProfile);

    EXPECT_EQ(prepare(source, kVideoProfile), sw::enc::kErrProfileNotAudio);
    EXPECT_EQ(prepare(source, kScriptProfile), sw::enc::kErrProfileNotAudio);
    EXPECT_EQ(prepare(source, 7), sw::enc::kErrProfileNotAudio);

    // A failed prepare leaves nothing to start.
    try {
        encoder_.start();
        ADD_FAILURE() << "start without a prepared run";
    } catch (const sw::Error& error) {
        EXPECT_EQ(error.number(), sw::enc::kErrNotPrepared);
    }
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
}
