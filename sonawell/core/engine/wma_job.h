#pragma once

#include <QStringList>

class UserPrompt;
struct Job;

namespace sw::enc {
class Encoder;
}

// Sets the encoder up for one MP3, MP2 or WAVE job and starts its run. Some MPEG audio is
// refused under its own name but taken as an ".mp2" copy in the temporary folder; such copies
// live until the run has ended (removeTempFiles) or this object goes.
class WmaJob {
public:
    WmaJob(sw::enc::Encoder& encoder, UserPrompt& prompt);
    ~WmaJob();
    WmaJob(const WmaJob&) = delete;
    WmaJob& operator=(const WmaJob&) = delete;

    // True when the run has started. False when the source was refused; the user has been told
    // and nothing runs. Raises sw::Error when the run can't be set up or started.
    bool start(const Job& job);
    // Empties the encoder's source groups once a run has ended.
    void clearSources();
    void removeTempFiles();

private:
    bool retryAsMp2(const QString& sourcePath);

    sw::enc::Encoder& encoder_;
    UserPrompt& prompt_;
    QStringList tempFiles_;
};
