#include "engine_rig.h"

#include <QDeadlineTimer>

#include "core/fs/file_status.h"
#include "gui/size_text.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <taglib/asffile.h>
#include <taglib/asftag.h>

namespace enginetest {

namespace {

QString FromTagLib(const TagLib::String& text) {
    return QString::fromStdString(text.to8Bit(true));
}

// Tone files are made once and copied, which keeps the ffmpeg tool off the critical path.
QString Master(const QString& key, const std::function<bool(const QString&)>& make) {
    static std::map<QString, QString> made;
    const auto found = made.find(key);
    if (found != made.end()) {
        return found->second;
    }
    const QString folder = WorkRoot() + QStringLiteral("/masters");
    QDir().mkpath(folder);
    const QString file = folder + QLatin1Char('/') + key;
    if (!make(file)) {
        return {};
    }
    made.emplace(key, file);
    return file;
}

QString CopyOf(const QString& master, const QString& target) {
    if (master.isEmpty() || !QFile::copy(master, target)) {
        ADD_FAILURE() << "could not make " << target.toStdString();
        return target;
    }
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

}  // namespace

AsfReadBack ReadAsf(const QString& path) {
    AsfReadBack back;
    TagLib::ASF::File file(QFile::encodeName(path).constData());
    back.valid = file.isValid() && file.tag();
    if (!back.valid) {
        return back;
    }
    back.title = FromTagLib(file.tag()->title());
    back.author = FromTagLib(file.tag()->artist());
    back.description = FromTagLib(file.tag()->comment());
    for (const auto& [name, list] : file.tag()->attributeListMap()) {
        for (const TagLib::ASF::Attribute& attribute : list) {
            const bool dword = attribute.type() == TagLib::ASF::Attribute::DWordType;
            back.attributes[FromTagLib(name)] =
                dword ? QString::number(attribute.toUInt()) : FromTagLib(attribute.toString());
            back.isDword[FromTagLib(name)] = dword;
        }
    }
    return back;
}

DriverTest::DriverTest()
    : dir_(WorkRoot() + QStringLiteral("/case-XXXXXX")),
      driver_(encoder_, jobs_, prompt_, settings_) {
    // Connected after the driver, so these run once it has handled the notification; the driver
    // handles a run's end when the encoder signals it finished, just after its Stopped state.
    const auto record = [this](sw::enc::RunState state) {
        StateSeen seen;
        seen.state = state;
        seen.currentJob = driver_.currentJob();
        seen.converting = driver_.isConverting();
        seen.input = encoder_.request().source;
        states_.push_back(seen);
        if (onState_) {
            onState_(state);
        }
    };
    QObject::connect(&encoder_, &sw::enc::Encoder::stateChanged, &driver_,
                     [record](sw::enc::RunState state) {
                         if (state != sw::enc::RunState::Stopped) {
                             record(state);
                         }
                     });
    QObject::connect(&encoder_, &sw::enc::Encoder::finished, &driver_,
                     [record] { record(sw::enc::RunState::Stopped); });
    QObject::connect(&jobs_, &JobStore::changed, &driver_, [this](int row) {
        QStringList& history = statusHistory_[row];
        if (history.isEmpty() || history.last() != Status(row)) {
            history << Status(row);
        }
        const bool running = ShowsRunning(row);
        const bool started = running && !running_[row];
        running_[row] = running;
        if (started && onJobStarted_) {
            onJobStarted_(row);
        }
    });
    QObject::connect(&driver_, &ConversionDriver::commandStatusChanged, &driver_,
                     [this] { ++commandRefreshes_; });
}

DriverTest::~DriverTest() {
    // A run still going (a failed test) is stopped and awaited before the encoder goes.
    if (driver_.isBusy()) {
        driver_.stop();
        if (!WaitUntilIdle(30000)) {
            ADD_FAILURE() << "the run did not end";
        }
    }
}

QString DriverTest::path(const QString& name) const {
    return dir_.filePath(name);
}

QString DriverTest::Mp3(const QString& name, double seconds) {
    const QString master =
        Master(QStringLiteral("tone-%1.mp3").arg(seconds),
               [seconds](const QString& file) { return testsupport::MakeMp3(file, seconds); });
    return CopyOf(master, path(name));
}

QString DriverTest::Wav(const QString& name, double seconds, int sampleRate, int channels) {
    const QString master =
        Master(QStringLiteral("tone-%1-%2-%3.wav").arg(seconds).arg(sampleRate).arg(channels),
               [=](const QString& file) {
                   return testsupport::MakeWav(file, seconds, sampleRate, channels);
               });
    return CopyOf(master, path(name));
}

void DriverTest::AddJob(const QString& source, const QString& output, const QString& format) {
    jobs_.add(source, output, format);
    const int row = jobs_.count();
    statusHistory_[row] = QStringList{Status(row)};
    running_[row] = ShowsRunning(row);
}

QString DriverTest::Wma(const QString& name, double seconds, const QString& bitRate) {
    const QString master =
        Master(QStringLiteral("tone-%1-%2.wma").arg(seconds).arg(bitRate),
               [seconds, bitRate](const QString& file) {
                   if (bitRate.isEmpty()) {
                       return testsupport::MakeWma(file, seconds);
                   }
                   return testsupport::MakeTone(
                       file, seconds, 44100, 2,
                       {QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-b:a"),
                        bitRate, QStringLiteral("-f"), QStringLiteral("asf")});
               });
    return CopyOf(master, path(name));
}

QString DriverTest::Mp2(const QString& name, double seconds) {
    const QString master =
        Master(QStringLiteral("tone-%1.mp2").arg(seconds), [seconds](const QString& file) {
            return testsupport::MakeTone(
                file, seconds, 44100, 2,
                {QStringLiteral("-c:a"), QStringLiteral("mp2"), QStringLiteral("-b:a"),
                 QStringLiteral("192k"), QStringLiteral("-f"), QStringLiteral("mp2")});
        });
    return CopyOf(master, path(name));
}

void DriverTest::ExpectCompleted(int row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(Status(row), QStringLiteral("100%"));
    EXPECT_EQ(jobs_.at(row).state, JobState::Done);
    const QString output = jobs_.at(row).output;
    EXPECT_GT(fileSizeBytes(output), 0);
    EXPECT_EQ(formatSizeMB(jobs_.at(row).outputSize), formatSizeMB(regularFileSize(output)));
}

void DriverTest::ExpectLength(const QString& output, double seconds,
                              const QString& codecAndFormat) {
    SCOPED_TRACE(output.toStdString());
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(output), codecAndFormat);
    const auto outputLength = testsupport::ProbeDuration(output);
    ASSERT_TRUE(outputLength);
    EXPECT_NEAR(*outputLength, seconds, 0.1);
}

void DriverTest::ExpectSameLength(const QString& source, const QString& output,
                                  const QString& codecAndFormat) {
    const auto sourceLength = testsupport::ProbeDuration(source);
    ASSERT_TRUE(sourceLength) << source.toStdString();
    ExpectLength(output, *sourceLength, codecAndFormat);
}

bool DriverTest::WaitUntilIdle(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QSignalSpy ended(&driver_, &ConversionDriver::runEnded);
    qsizetype seen = 0;
    while (driver_.isConverting() || driver_.isBusy()) {
        if (ended.count() == seen && !ended.wait(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
        seen = ended.count();
    }
    return true;
}

bool DriverTest::WaitForState(sw::enc::RunState state, int timeoutMs) {
    const size_t seen = states_.size();
    return QTest::qWaitFor(
        [this, seen, state] {
            for (size_t i = seen; i < states_.size(); ++i) {
                if (states_[i].state == state) {
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

}  // namespace enginetest
