#include "encoder/encoder.h"

#include <gtest/gtest.h>

using sw::enc::Encoder;
using sw::enc::IsAudioOnlyProfile;
using sw::enc::MediaKind;

namespace {

const QStringList kAudioProfiles{
    QStringLiteral("Audio for voice (32 Kbps, 22 kHz, mono)"),
    QStringLiteral("Audio for FM radio quality (64 Kbps, 44 kHz, stereo)"),
    QStringLiteral("Audio for near CD quality (96 Kbps, 44 kHz, stereo)"),
    QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)"),
    QStringLiteral("Audio for high quality (160 Kbps, 44 kHz, stereo)"),
    QStringLiteral("Audio for archive quality (192 Kbps, 48 kHz, stereo)")};

uint32_t ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const sw::Error& error) {
        return error.number();
    }
    return 0;
}

}  // namespace

TEST(EncoderProfiles, CollectionHoldsTheBuiltInProfilesInOrder) {
    const Encoder encoder;
    const auto& profiles = encoder.profiles();
    ASSERT_EQ(profiles.count(), 9);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(profiles.item(i).name(), kAudioProfiles[i]);
        EXPECT_EQ(profiles.item(i).streamCount(MediaKind::Audio), 1);
    }
    EXPECT_EQ(profiles.item(6).name(),
              QStringLiteral("Video for broadband (audio and video, 340 Kbps)"));
    EXPECT_EQ(profiles.item(6).streamCount(MediaKind::Video), 1);
    EXPECT_EQ(profiles.item(7).name(), QStringLiteral("Screen capture (video only, 100 Kbps)"));
    EXPECT_EQ(profiles.item(7).streamCount(MediaKind::Audio), 0);
    EXPECT_EQ(profiles.item(8).name(), QStringLiteral("Audio with script commands (64 Kbps)"));
    EXPECT_EQ(profiles.item(8).streamCount(MediaKind::Script), 1);

    EXPECT_EQ(ErrorOf([&] { profiles.item(-1); }), sw::enc::kErrIndex);
    EXPECT_EQ(ErrorOf([&] { profiles.item(9); }), sw::enc::kErrIndex);
}

TEST(EncoderProfiles, AudioOnlyFilterListsExactlyTheSixAudioProfiles) {
    const Encoder encoder;
    EXPECT_EQ(encoder.profiles().audioProfileNames(), kAudioProfiles);
    QStringList filtered;
    for (int i = 0; i < encoder.profiles().count(); ++i)
        if (IsAudioOnlyProfile(encoder.profiles().item(i)))
            filtered << encoder.profiles().item(i).name();
    EXPECT_EQ(filtered, kAudioProfiles);
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

TEST(EncoderObjectModel, SourceGroupsAreAddedAndRemovedByZeroBasedIndex) {
    Encoder encoder;
    auto& groups = encoder.sourceGroups();
    EXPECT_EQ(groups.count(), 0);
    groups.add(QStringLiteral("SG_1"));
    groups.add(QStringLiteral("SG_2"))
        .addSource(MediaKind::Audio)
        .setInput(QStringLiteral("/a/b.mp3"), QString(), QString());
    ASSERT_EQ(groups.count(), 2);
    EXPECT_EQ(groups.item(1).source(0).input(), QStringLiteral("/a/b.mp3"));
    EXPECT_EQ(ErrorOf([&] { groups.remove(2); }), sw::enc::kErrIndex);
    EXPECT_EQ(ErrorOf([&] { groups.item(-1); }), sw::enc::kErrIndex);
    groups.remove(0);
    ASSERT_EQ(groups.count(), 1);
    EXPECT_EQ(groups.item(0).name(), QStringLiteral("SG_2"));
    groups.remove(0);
    EXPECT_EQ(groups.count(), 0);
}

TEST(EncoderObjectModel, NewEncoderHasEndedStateAndNoRun) {
    const Encoder encoder;
    EXPECT_EQ(encoder.runState(), sw::enc::RunState::Stopped);
    EXPECT_EQ(static_cast<int>(encoder.runState()), 5);
    EXPECT_EQ(encoder.lastOutcome(), sw::enc::RunOutcome::None);
    EXPECT_TRUE(encoder.progressText().isEmpty());
}
