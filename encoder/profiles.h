#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace sw::enc {

class Profile {
public:
    struct AudioSettings {
        int bitRate = 0;     // bits per second
        int sampleRate = 0;  // Hz
        int channels = 0;
    };
    Profile(QString name, AudioSettings audio) : name_(std::move(name)), audio_(audio) {}

    // The profile's key: settings and job records hold it untranslated.
    const QString& name() const { return name_; }
    const AudioSettings& audio() const { return audio_; }

private:
    QString name_;
    AudioSettings audio_;
};

// The six audio profiles the encoder offers, from voice to archive quality.
class ProfileCollection {
public:
    ProfileCollection();
    int count() const { return static_cast<int>(profiles_.size()); }
    const Profile& item(int index) const { return profiles_.at(static_cast<size_t>(index)); }
    // nullptr when no profile has that name.
    const Profile* find(const QString& name) const;
    // In collection order.
    QStringList names() const;

    // A profile's name as the user reads it, in their language.
    static QString displayName(const QString& name);

private:
    std::vector<Profile> profiles_;
};

}  // namespace sw::enc
