#include "encoder/encoder.h"

#include <QCoreApplication>

#include <algorithm>

namespace sw::enc {

int Profile::streamCount(MediaKind kind) const {
    return static_cast<int>(std::count(streams_.begin(), streams_.end(), kind));
}

bool IsAudioOnlyProfile(const Profile& profile) {
    return profile.streamCount(MediaKind::Audio) > 0 &&
           profile.streamCount(MediaKind::Video) == 0 &&
           profile.streamCount(MediaKind::Script) == 0;
}

ProfileCollection::ProfileCollection() {
    using K = MediaKind;
    const auto audio = [this](const char* name, int kbps, int rate, int channels) {
        profiles_.emplace_back(QString::fromUtf8(name), std::vector<MediaKind>{K::Audio},
                               Profile::AudioSettings{kbps * 1000, rate, channels});
    };
    audio(QT_TRANSLATE_NOOP("Profile", "Audio for voice (32 Kbps, 22 kHz, mono)"), 32, 22050, 1);
    audio(QT_TRANSLATE_NOOP("Profile", "Audio for FM radio quality (64 Kbps, 44 kHz, stereo)"), 64,
          44100, 2);
    audio(QT_TRANSLATE_NOOP("Profile", "Audio for near CD quality (96 Kbps, 44 kHz, stereo)"), 96,
          44100, 2);
    audio(QT_TRANSLATE_NOOP("Profile", "Audio for CD quality (128 Kbps, 44 kHz, stereo)"), 128,
          44100, 2);
    audio(QT_TRANSLATE_NOOP("Profile", "Audio for high quality (160 Kbps, 44 kHz, stereo)"), 160,
          44100, 2);
    audio(QT_TRANSLATE_NOOP("Profile", "Audio for archive quality (192 Kbps, 48 kHz, stereo)"), 192,
          48000, 2);
    // Profiles with other media kinds exist so that every profile list can filter them out;
    // their audio part is what a run would use if one were prepared with them (it is refused).
    profiles_.emplace_back(QStringLiteral("Video for broadband (audio and video, 340 Kbps)"),
                           std::vector<MediaKind>{K::Audio, K::Video},
                           Profile::AudioSettings{64000, 44100, 2});
    profiles_.emplace_back(QStringLiteral("Screen capture (video only, 100 Kbps)"),
                           std::vector<MediaKind>{K::Video}, Profile::AudioSettings{});
    profiles_.emplace_back(QStringLiteral("Audio with script commands (64 Kbps)"),
                           std::vector<MediaKind>{K::Audio, K::Script},
                           Profile::AudioSettings{64000, 44100, 2});
}

QString ProfileCollection::displayName(const QString& name) {
    return QCoreApplication::translate("Profile", name.toUtf8().constData());
}

const Profile& ProfileCollection::item(int index) const {
    if (index < 0 || index >= count())
        throw Error(
            kErrIndex,
            QCoreApplication::translate("Encoder", "There is no profile number %1.").arg(index));
    return profiles_[static_cast<size_t>(index)];
}

QStringList ProfileCollection::audioProfileNames() const {
    QStringList names;
    for (const Profile& profile : profiles_)
        if (IsAudioOnlyProfile(profile))
            names << profile.name();
    return names;
}

}  // namespace sw::enc
