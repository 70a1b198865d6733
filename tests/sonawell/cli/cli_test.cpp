// The built sonawell-convert from a program folder of the test's own, with no display and no
// session bus in its environment: what a script sees of each run (exit status, JSON lines,
// standard error) and what it leaves on disk.

#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr char kProfile[] = "Audio for CD quality (128 Kbps, 44 kHz, stereo)";
constexpr int kHangGuardMs = 10 * 60 * 1000;

struct CommandRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    std::vector<QJsonObject> lines() const {
        std::vector<QJsonObject> objects;
        for (const QByteArray& line : out.split('\n')) {
            if (!line.isEmpty()) {
                objects.push_back(QJsonDocument::fromJson(line).object());
            }
        }
        return objects;
    }
    int count(const char* event) const {
        int n = 0;
        for (const QJsonObject& line : lines()) {
            n += line.value(QStringLiteral("event")).toString() == QLatin1String(event) ? 1 : 0;
        }
        return n;
    }
    QJsonObject summary() const {
        const std::vector<QJsonObject> all = lines();
        return all.empty() ? QJsonObject() : all.back();
    }
};

// A program folder with the command and settings under which it asks nothing, and a work
// folder with "in" for the sources; the command runs in the work folder.
class Fixture {
public:
    Fixture() {
        const QString program = dir_.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        program_ = program + QStringLiteral("/sonawell-convert");
        QFile::copy(testsupport::BinDir() + QStringLiteral("/sonawell-convert"), program_);
        testsupport::WriteAll(program + QStringLiteral("/Sonawell.ini"),
                              QByteArray("[General]\r\nProfile=") + kProfile +
                                  "\r\nOverwriteExist=1\r\nDeleteSource=0\r\nCPUPriority=1\r\n"
                                  "[Quick Convert]\r\nProfile=" +
                                  kProfile + "\r\nSameTargetDir=1\r\n");
        QDir().mkpath(path(QStringLiteral("in/sub")));
    }

    QString path(const QString& relative) const { return dir_.filePath(relative); }
    QByteArray bytePath(const QByteArray& relative) const {
        return QFile::encodeName(dir_.path()) + '/' + relative;
    }

    // Runs the command until it ends; with `interruptAfterFirstDone`, SIGINT goes to it as
    // soon as its first job is done.
    CommandRun run(const QStringList& args, const QByteArray& input = {},
                   bool interruptAfterFirstDone = false) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"}) {
            environment.remove(QLatin1String(name));
        }
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir_.path());
        process.start(program_, args);
        CommandRun run;
        if (!process.waitForStarted()) {
            return run;
        }
        process.write(input);
        process.closeWriteChannel();
        if (interruptAfterFirstDone) {
            QByteArray seen;
            while (!seen.contains("\"event\":\"done\"") && process.waitForReadyRead(kHangGuardMs)) {
                seen += process.readAllStandardOutput();
            }
            run.out = seen;
            ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        }
        process.waitForFinished(kHangGuardMs);
        run.out += process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return run;
    }

private:
    QTemporaryDir dir_;
    QString program_;
};

std::string bytesOf(const QByteArray& path) {
    std::ifstream file(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The ASF header object's GUID, with which every WMA file begins.
bool isAsf(const std::string& bytes) {
    static const std::string kAsf(
        "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
    return bytes.size() > 1000 && bytes.compare(0, kAsf.size(), kAsf) == 0;
}

void makeTree(const Fixture& f) {
    ASSERT_TRUE(testsupport::MakeMp3(f.path(QStringLiteral("in/a.mp3")), 3));
    ASSERT_TRUE(testsupport::MakeWma(f.path(QStringLiteral("in/sub/b.wma")), 3));
}

struct Row {
    const char* name;
    std::function<void(const Fixture&)> prepare;
    QStringList args;
    std::function<QByteArray(const Fixture&)> input;
    bool interruptAfterFirstDone = false;
    int exitCode = 0;
    std::function<void(const Fixture&, const CommandRun&)> check;
};

QStringList args(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* item : list) {
        result << QString::fromUtf8(item);
    }
    return result;
}

const Row kRows[] = {
    {"TreeWithFailingFile",
     [](const Fixture& f) {
         makeTree(f);
         testsupport::WriteAll(f.path(QStringLiteral("in/sub/bad.mp3")), QByteArray(4000, 'x'));
     },
     args({"--json", "--output-dir", "out", "in"}), nullptr, false, 1,
     [](const Fixture& f, const CommandRun& run) {
         EXPECT_EQ(testsupport::ProbeCodecAndFormat(f.path(QStringLiteral("out/a.wma"))),
                   QStringLiteral("wmav2|asf"));
         EXPECT_EQ(testsupport::ProbeCodecAndFormat(f.path(QStringLiteral("out/sub/b.wav"))),
                   QStringLiteral("pcm_s16le|wav"));
         EXPECT_EQ(testsupport::FolderEntries(f.path(QStringLiteral("out/sub"))),
                   QStringList{QStringLiteral("b.wav")});
         EXPECT_TRUE(run.err.contains("in/sub/bad.mp3: ")) << run.err.constData();
         bool failedLine = false;
         for (const QJsonObject& line : run.lines()) {
             failedLine =
                 failedLine ||
                 (line.value(QStringLiteral("event")) == QStringLiteral("failed") &&
                  line.value(QStringLiteral("source")) == QStringLiteral("in/sub/bad.mp3") &&
                  !line.value(QStringLiteral("reason")).toString().isEmpty());
         }
         EXPECT_TRUE(failedLine) << run.out.constData();
         EXPECT_EQ(run.summary().value(QStringLiteral("done")).toInt(), 2);
         EXPECT_EQ(run.summary().value(QStringLiteral("failed")).toInt(), 1);
     }},
    {"DryRunWritesNothing",
     [](const Fixture& f) {
         makeTree(f);
         // Hidden files and folders are passed over.
         ASSERT_TRUE(QDir().mkpath(f.path(QStringLiteral("in/sub/.cache"))));
         ASSERT_TRUE(QFile::copy(f.path(QStringLiteral("in/a.mp3")),
                                 f.path(QStringLiteral("in/sub/.cache/c.mp3"))));
         ASSERT_TRUE(QFile::copy(f.path(QStringLiteral("in/a.mp3")),
                                 f.path(QStringLiteral("in/.hidden.mp3"))));
     },
     args({"--dry-run", "--output-dir", "out", "in", "./in/sub/b.wma"}), nullptr, false, 0,
     [](const Fixture& f, const CommandRun& run) {
         // A named file keeps the folder of its relative name; two sources never share an
         // output.
         EXPECT_EQ(run.out, QByteArray("in/a.mp3 -> out/a.wma\nin/sub/b.wma -> out/sub/b.wav\n"
                                       "./in/sub/b.wma -> out/in/sub/b.wav\n"));
         EXPECT_FALSE(QFileInfo::exists(f.path(QStringLiteral("out"))));
         EXPECT_EQ(testsupport::FolderEntries(f.path(QStringLiteral("in"))),
                   (QStringList{QStringLiteral(".hidden.mp3"), QStringLiteral("a.mp3"),
                                QStringLiteral("sub")}));
     }},
    {"WmaToFlacOnRequest", makeTree, args({"-q", "--wma-to", "flac", "--output-dir", "out", "in"}),
     nullptr, false, 0,
     [](const Fixture& f, const CommandRun&) {
         EXPECT_EQ(testsupport::ProbeCodecAndFormat(f.path(QStringLiteral("out/sub/b.flac"))),
                   QStringLiteral("flac|flac"));
         EXPECT_EQ(testsupport::FolderEntries(f.path(QStringLiteral("out/sub"))),
                   QStringList{QStringLiteral("b.flac")});
     }},
    {"SkipOnRerunKeepsOutputs",
     [](const Fixture& f) {
         makeTree(f);
         ASSERT_EQ(f.run(args({"-q", "--output-dir", "out", "in"})).exitCode, 0);
         testsupport::WriteAll(f.path(QStringLiteral("out/a.wma")), "kept");
     },
     args({"--json", "--if-exists", "skip", "--output-dir", "out", "in"}), nullptr, false, 0,
     [](const Fixture& f, const CommandRun& run) {
         EXPECT_EQ(testsupport::ReadAll(f.path(QStringLiteral("out/a.wma"))), QByteArray("kept"));
         EXPECT_EQ(run.count("skipped"), 2);
         EXPECT_EQ(run.count("started"), 0);
         EXPECT_EQ(run.summary().value(QStringLiteral("skipped")).toInt(), 2);
     }},
    {"NulSeparatedNamesFromStandardInput",
     [](const Fixture& f) {
         ASSERT_TRUE(testsupport::MakeMp3(f.path(QStringLiteral("in/plain.mp3")), 3));
         for (const char* name : {"in/new\nline.mp3", "in/not\xff\xfeutf8.mp3"}) {
             ASSERT_EQ(::link(f.bytePath("in/plain.mp3").constData(), f.bytePath(name).constData()),
                       0);
         }
     },
     args({"--json", "-"}),
     [](const Fixture& f) {
         return f.bytePath("in/new\nline.mp3") + '\0' + f.bytePath("in/not\xff\xfeutf8.mp3") + '\0';
     },
     false, 0,
     [](const Fixture& f, const CommandRun& run) {
         EXPECT_TRUE(isAsf(bytesOf(f.bytePath("in/new\nline.wma"))));
         EXPECT_TRUE(isAsf(bytesOf(f.bytePath("in/not\xff\xfeutf8.wma"))));
         EXPECT_EQ(run.count("done"), 2) << run.out.constData() << run.err.constData();
         // A name that is not text is given exactly beside its text.
         bool exact = false;
         for (const QJsonObject& line : run.lines()) {
             exact =
                 exact || QByteArray::fromBase64(
                              line.value(QStringLiteral("output_base64")).toString().toLatin1()) ==
                              f.bytePath("in/not\xff\xfeutf8.wma");
         }
         EXPECT_TRUE(exact);
     }},
    {"InterruptLeavesOnlyWholeOutputs",
     [](const Fixture& f) {
         for (int n = 1; n <= 6; ++n) {
             ASSERT_TRUE(testsupport::MakeMp3(f.path(QStringLiteral("in/t%1.mp3").arg(n)), 20));
         }
     },
     args({"--json", "--jobs", "1", "--output-dir", "out", "in"}), nullptr, true, 130,
     [](const Fixture& f, const CommandRun& run) {
         const QJsonObject summary = run.summary();
         EXPECT_TRUE(summary.value(QStringLiteral("interrupted")).toBool()) << run.out.constData();
         const int done = summary.value(QStringLiteral("done")).toInt();
         EXPECT_GE(done, 1);
         EXPECT_EQ(summary.value(QStringLiteral("undone")).toInt(), 6 - done);
         const QStringList entries = testsupport::FolderEntries(f.path(QStringLiteral("out")));
         EXPECT_EQ(entries.size(), done) << entries.join(QLatin1Char(' ')).toStdString();
         for (const QString& entry : entries) {
             const auto seconds =
                 testsupport::ProbeDuration(f.path(QStringLiteral("out/")) + entry);
             ASSERT_TRUE(seconds.has_value()) << entry.toStdString();
             EXPECT_NEAR(*seconds, 20, 0.2) << entry.toStdString();
         }
     }},
    {"TwoAtOnceGiveTheBytesOfOneAtATime",
     [](const Fixture& f) {
         for (int n = 1; n <= 3; ++n) {
             ASSERT_TRUE(testsupport::MakeMp3(f.path(QStringLiteral("in/m%1.mp3").arg(n)), 8));
             ASSERT_TRUE(testsupport::MakeWma(f.path(QStringLiteral("in/sub/w%1.wma").arg(n)), 4));
         }
         ASSERT_EQ(f.run(args({"-q", "--jobs", "1", "--output-dir", "one", "in"})).exitCode, 0);
     },
     args({"-q", "--jobs", "2", "--output-dir", "two", "in"}), nullptr, false, 0,
     [](const Fixture& f, const CommandRun&) {
         for (const char* name :
              {"m1.wma", "m2.wma", "m3.wma", "sub/w1.wav", "sub/w2.wav", "sub/w3.wav"}) {
             const QString relative = QString::fromUtf8(name);
             const QByteArray one = testsupport::ReadAll(f.path(QStringLiteral("one/") + relative));
             EXPECT_FALSE(one.isEmpty()) << name;
             EXPECT_EQ(testsupport::ReadAll(f.path(QStringLiteral("two/") + relative)), one)
                 << name;
         }
     }},
};

class CliTest : public ::testing::TestWithParam<Row> {};

TEST_P(CliTest, ScriptSeesWhatHappened) {
    const Row& row = GetParam();
    Fixture fixture;
    row.prepare(fixture);
    if (::testing::Test::HasFatalFailure()) {
        return;
    }
    const CommandRun run = fixture.run(row.args, row.input ? row.input(fixture) : QByteArray(),
                                       row.interruptAfterFirstDone);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err.constData();
    row.check(fixture, run);
}

INSTANTIATE_TEST_SUITE_P(Rows, CliTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& rowInfo) {
                             return std::string(rowInfo.param.name);
                         });

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
