#pragma once

#include "core/engine/conversion_driver.h"
#include "core/jobs/job_store.h"
#include "core/settings/app_settings.h"
#include "encoder/encoder.h"
#include "sonawell/recording_prompt.h"
#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace enginetest {

inline const QString kCdProfile = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");
inline const QString kWave = QStringLiteral("WMA to WAV");

// The folder the test program gives its fixtures; TMPDIR is a private folder beside it, so
// temporary files the engine leaves behind can be seen.
QString WorkRoot();
QString TempFolder();
using testsupport::FolderEntries;
using testsupport::ReadAll;
using testsupport::WriteAll;

// What TagLib reads back from a WMA file: the content description and the named attributes.
struct AsfReadBack {
    bool valid = false;
    QString title, author, description;
    // Extended attributes by name; strings as text, DWORDs as their decimal value.
    std::map<QString, QString> attributes;
    std::map<QString, bool> isDword;
};
AsfReadBack ReadAsf(const QString& path);

// One queue on the real encoder and the real libraries of the program folder, with what a
// user would have seen recorded as it happened.
class DriverTest : public testing::Test {
protected:
    DriverTest();
    ~DriverTest() override;

    QString path(const QString& name) const;
    // Sources copied from masters made once per test program (tone files of the given length).
    QString Mp3(const QString& name, double seconds = 1.5);
    QString Wav(const QString& name, double seconds, int sampleRate = 44100, int channels = 2);
    QString Wma(const QString& name, double seconds = 1.5, const QString& bitRate = {});
    QString Mp2(const QString& name, double seconds = 1.5);

    void AddJob(const QString& source, const QString& output, const QString& format = kCdProfile);
    QString Status(int row) const { return statusText(jobs_.at(row)); }
    QString ToolTip(int row) const { return statusToolTip(jobs_.at(row)); }
    // Whether the list shows the row with the converting picture.
    bool ShowsRunning(int row) const {
        const JobState state = jobs_.at(row).state;
        return state == JobState::Converting || state == JobState::Stopped;
    }
    // The row ended "100%" and done, and its output exists, is not empty and is what its "Size"
    // shows.
    void ExpectCompleted(int row);
    // `output` is `codecAndFormat` to ffprobe and `seconds` long, within a tenth of a second.
    void ExpectLength(const QString& output, double seconds, const QString& codecAndFormat);
    void ExpectSameLength(const QString& source, const QString& output,
                          const QString& codecAndFormat);
    // Every distinct text "Status" of the row showed, in order.
    const QStringList& StatusHistory(int row) { return statusHistory_[row]; }
    // Nothing in the list changes for longer than the driver's 500 ms status refresh: the
    // queue has come to rest and no stale progress overwrites a row.
    bool ListStaysStill() {
        QSignalSpy changed(&jobs_, &JobStore::changed);
        return !changed.wait(700);
    }
    // Waits until no run is under way or ending.
    bool WaitUntilIdle(int timeoutMs = 60000);
    // Waits for the next notification of `state`.
    bool WaitForState(sw::enc::RunState state, int timeoutMs = 60000);

    struct StateSeen {
        sw::enc::RunState state = sw::enc::RunState::Stopped;
        int currentJob = 0;  // currentJob() once the driver has handled the notification
        bool converting = false;
        QString input;  // the source of the encoder's current or last request
    };

    QTemporaryDir dir_;
    // What the driver is given; a test changes it before it starts the queue.
    AppSettingsRecord settings_;
    sw::enc::Encoder encoder_;
    JobStore jobs_;
    RecordingPrompt prompt_;
    ConversionDriver driver_;
    std::vector<StateSeen> states_;
    std::map<int, QStringList> statusHistory_;
    std::map<int, bool> running_;
    // Called when a row turns to the converting picture, that is, as its job starts.
    std::function<void(int row)> onJobStarted_;
    // Called after the driver has handled a state notification.
    std::function<void(sw::enc::RunState state)> onState_;
    int commandRefreshes_ = 0;
};

}  // namespace enginetest
