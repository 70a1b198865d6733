#pragma once

// The quick-convert engine as the main window wires it, with the real encoder and decoder and
// a prompt that records instead of showing boxes.

#include "core/engine/conversion_driver.h"
#include "core/engine/pending_jobs.h"
#include "core/engine/quick_convert.h"
#include "core/jobs/job_store.h"
#include "encoder/encoder.h"
#include "sonawell/recording_prompt.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <ostream>

// Readable failure messages: GoogleTest finds this next to QString.
void PrintTo(const QString& text, std::ostream* os);

namespace quicktest {

// The profile the tests encode with; one of the encoder's audio profiles.
inline const QString kProfile = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");

// Quick-convert settings for a test: same folder, AutoStart as given, files overwritten.
void UseQuickSettings(bool autoStart, bool sameTargetDir = true, const QString& targetDir = {});

struct Engine {
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    QStringList sources() const;
    // Every job has been taken up and nothing runs any more.
    bool queueDone() const;

    sw::enc::Encoder encoder;
    JobStore jobs;
    RecordingPrompt prompt;
    ConversionDriver driver{encoder, jobs, prompt, appSettings};
    PendingJobs pending;
    QuickConvert quick{pending, jobs, driver, appSettings};
};

// Lets events run until `done` holds or `timeout` has passed; the final value of `done`.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

}  // namespace quicktest
