#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// Decodes one WMA source to a WAVE file with the decoder library, on the calling thread. The
// decoder reports its progress through a plain callback; each report lets events run, so the
// program stays responsive while the call lasts.
class WaveJob {
public:
    struct Outcome {
        bool decoded = false;
        // The source was damaged; the output holds what could be decoded.
        bool damaged = false;
        QString note;  // why it failed, or how much of a damaged source was decoded
    };

    // `progress` receives "37%" as the decode goes on.
    explicit WaveJob(std::function<void(const QString&)> progress);

    Outcome run(const QString& source, const QString& output);

    // The decoder's callback: `bytes` of WAVE data written so far by the decode that runs.
    static void reportProgress(int32_t bytes);
    // A WAVE file is about 15 times its WMA source; the last 3% are left for the finish.
    // Halves round to even. Empty when the source's size is unknown.
    static QString progressText(int64_t bytes, int64_t sourceSize);

private:
    void onProgress(int32_t bytes);

    std::function<void(const QString&)> progress_;
    int64_t sourceSize_ = 0;
};
