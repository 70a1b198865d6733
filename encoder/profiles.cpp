#include "encoder/profiles.h"

#include <QCoreApplication>

namespace sw::enc {

ProfileCollection::ProfileCollection() {
    const auto audio = [this](const char* name, int kbps, int rate, int channels) {
        profiles_.emplace_back(QString::fromUtf8(name),
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
}

QString ProfileCollection::displayName(const QString& name) {
    return QCoreApplication::translate("Profile", name.toUtf8().constData());
}

const Profile* ProfileCollection::find(const QString& name) const {
    for (const Profile& profile : profiles_)
        if (profile.name() == name)
            return &profile;
    return nullptr;
}

QStringList ProfileCollection::names() const {
    QStringList names;
    for (const Profile& profile : profiles_)
        names << profile.name();
    return names;
}

}  // namespace sw::enc
