#include "encoder/encoder.h"

#include <gtest/gtest.h>

using sw::enc::Encoder;

namespace {

const QStringList kAudioProfiles{
    QStringLiteral("Audio for voice (32 Kbps, 22 kHz, mono)"),
    QStringLiteral("Audio for FM radio quality (64 Kbps, 44 kHz, stereo)"),
    QStringLiteral("Audio for near CD quality (96 Kbps, 44 kHz, stereo)"),
    QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)"),
    QStringLiteral("Audio for high quality (160 Kbps, 44 kHz, stereo)"),
    QStringLiteral("Audio for archive quality (192 Kbps, 48 kHz, stereo)")};

}  // namespace

TEST(EncoderProfiles, CollectionHoldsTheSixAudioProfilesInOrder) {
    const Encoder encoder;
    const auto& profiles = encoder.profiles();
    EXPECT_EQ(profiles.names(), kAudioProfiles);
    ASSERT_EQ(profiles.count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(profiles.item(i).name(), kAudioProfiles[i]);
        EXPECT_EQ(profiles.find(kAudioProfiles[i]), &profiles.item(i));
    }
    EXPECT_EQ(profiles.find(QStringLiteral("Video for broadband (audio and video, 340 Kbps)")),
              nullptr);
    EXPECT_EQ(profiles.find(kAudioProfiles[3].toUpper()), nullptr) << "names match exactly";
}

TEST(EncoderProfiles, AudioSettingsAreOnesTheWmaEncoderAccepts) {
    const Encoder encoder;
    const int rates[] = {22050, 44100, 44100, 44100, 44100, 48000};
    const int kbps[] = {32, 64, 96, 128, 160, 192};
    for (int i = 0; i < 6; ++i) {
        const auto& audio = encoder.profiles().item(i).audio();
        EXPECT_EQ(audio.sampleRate, rates[i]) << i;
        EXPECT_EQ(audio.bitRate, kbps[i] * 1000) << i;
        EXPECT_EQ(audio.channels, i == 0 ? 1 : 2) << i;
    }
}

TEST(EncoderProfiles, NewEncoderIsStoppedWithNoRun) {
    const Encoder encoder;
    EXPECT_EQ(encoder.runState(), sw::enc::RunState::Stopped);
    EXPECT_FALSE(encoder.isRunning());
    EXPECT_EQ(encoder.lastOutcome(), sw::enc::RunOutcome::None);
    EXPECT_EQ(encoder.lastError().code(), sw::ErrorCode::None);
    EXPECT_EQ(encoder.progress(), 0.0);
}
