#pragma once

#include <QString>
#include <QStringList>

struct Job;

namespace sw::enc {
class Encoder;
}

// Starts the encoder's run for one MP3, MP2 or WAVE job, its tags copied into the output
// before it is put at its name. MPEG audio under another extension is refused by the reader
// its name picks, but taken through an ".mp2" link in the temporary folder; such links live
// until the run has ended (removeTempFiles) or this object goes.
class WmaJob {
public:
    explicit WmaJob(sw::enc::Encoder& encoder);
    ~WmaJob();
    WmaJob(const WmaJob&) = delete;
    WmaJob& operator=(const WmaJob&) = delete;

    // Empty when the run has started; else why this source can't be converted (nothing runs).
    // Raises sw::Error when the run can't be started for a reason that is not the source's.
    QString start(const Job& job);
    void removeTempFiles();

private:
    // The name of an ".mp2" link to the source; empty when none could be made.
    QString mp2Link(const QString& sourcePath);

    sw::enc::Encoder& encoder_;
    QStringList tempFiles_;
};
