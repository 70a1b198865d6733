#pragma once

#include <QString>

namespace sw::enc {

// A uniquely named temporary file beside the output (".name.XXXXXX.part"). The run writes into
// it; commit() renames it onto the output name. Until then the output name is untouched, and a
// temporary file that was not committed is removed when this object goes away.
class TempOutput {
public:
    TempOutput() = default;
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;
    ~TempOutput();

    // Creates the file; on failure returns false and a sentence for the user in `reason`.
    bool create(const QString& outputPath, QString* reason);
    const QString& path() const { return tempPath_; }
    bool commit(QString* reason);

private:
    QString outputPath_;
    QString tempPath_;
    bool committed_ = false;
};

}  // namespace sw::enc
