#pragma once

#include <QString>

namespace sw::enc {

// The file a run writes, in the output's folder, put at the output name only by commit(): until
// then the output name is untouched. Where the file system allows it the file has no name
// (O_TMPFILE), so a killed program leaves nothing behind; path() is then "/proc/self/fd/N",
// which FFmpeg opens as the same seekable file. Elsewhere it is a hidden ".name.XXXXXX.part"
// beside the output, removed when this object goes away uncommitted.
class TempOutput {
public:
    TempOutput() = default;
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;
    ~TempOutput();

    // Creates the file; on failure returns false and a sentence for the user in `reason`.
    bool create(const QString& outputPath, QString* reason);
    // Valid while this object lives, and in this process only.
    const QString& path() const { return tempPath_; }
    // Flushes the file to disk and puts it at the output name, replacing what is there.
    bool commit(QString* reason);

private:
    int putInPlace();

    QString outputPath_;
    QString tempPath_;
    int fd_ = -1;
    bool unnamed_ = false;
    bool committed_ = false;
};

}  // namespace sw::enc
