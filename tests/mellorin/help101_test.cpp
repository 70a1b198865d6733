#include "mellorin/help101.h"

#include "mellorin/file_bytes.h"
#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <tuple>

namespace {

using mellorin::test::Id;
using mellorin::test::Le16;
using mellorin::test::Le32;
using mellorin::test::ReadBytes;
using testsupport::FolderEntries;

constexpr int32_t kBlockSize = 128000;

std::vector<int32_t> g_progress;
void RecordProgress(int32_t total) {
    g_progress.push_back(total);
}

QString LibraryPath() {
    return QDir(testsupport::BinDir()).filePath(QStringLiteral("libmellorin.so"));
}

struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};

// The library as the program loads it: by file name, resolving Help101 by name. It stays
// mapped, as in the program: unloading FFmpeg's dependencies drops their global state.
class Help101Test : public ::testing::Test {
protected:
    void SetUp() override {
        library_.reset(
            dlopen(LibraryPath().toUtf8().constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
        ASSERT_TRUE(library_) << dlerror();
        help101_ = reinterpret_cast<Help101Fn>(dlsym(library_.get(), "Help101"));
        ASSERT_NE(help101_, nullptr);
        lastError_ =
            reinterpret_cast<Help101LastErrorFn>(dlsym(library_.get(), "Help101LastError"));
        ASSERT_NE(lastError_, nullptr);
        ASSERT_TRUE(dir_.isValid());
        g_progress.clear();
    }

    int32_t Decode(const QString& source, const QString& output, bool withProgress = true) {
        return help101_(source.toUtf8().constData(), output.toUtf8().constData(),
                        withProgress ? RecordProgress : nullptr);
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString LastError() const { return QString::fromUtf8(lastError_()); }

    std::unique_ptr<void, LibraryCloser> library_;
    Help101Fn help101_ = nullptr;
    Help101LastErrorFn lastError_ = nullptr;
    QTemporaryDir dir_;
};

struct WaveFile {
    uint16_t tag = 0, channels = 0, bits = 0, blockAlign = 0;
    uint32_t rate = 0, avgBytes = 0, riffSize = 0, fact = 1;
    std::vector<uint8_t> data;
};

// Walks the chunks of a WAVE file the way a reader would.
WaveFile ParseWave(const std::vector<uint8_t>& bytes) {
    WaveFile wave;
    EXPECT_GE(bytes.size(), 12u);
    if (bytes.size() < 12) {
        return wave;
    }
    EXPECT_EQ(Id(bytes, 0), "RIFF");
    EXPECT_EQ(Id(bytes, 8), "WAVE");
    wave.riffSize = Le32(bytes, 4);
    EXPECT_EQ(wave.riffSize, bytes.size() - 8);
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id = Id(bytes, at);
        const uint32_t size = Le32(bytes, at + 4);
        const size_t body = at + 8;
        if (body + size > bytes.size()) {
            ADD_FAILURE() << "chunk " << id << " runs past the end";
            break;
        }
        if (id == "fmt ") {
            wave.tag = Le16(bytes, body);
            wave.channels = Le16(bytes, body + 2);
            wave.rate = Le32(bytes, body + 4);
            wave.avgBytes = Le32(bytes, body + 8);
            wave.blockAlign = Le16(bytes, body + 12);
            wave.bits = Le16(bytes, body + 14);
        } else if (id == "fact") {
            wave.fact = Le32(bytes, body);
        } else if (id == "data") {
            wave.data.assign(bytes.begin() + static_cast<long>(body),
                             bytes.begin() + static_cast<long>(body + size));
        }
        at = body + size + (size & 1);
    }
    EXPECT_EQ(at, bytes.size());
    return wave;
}

TEST(Help101Library, ExportsExactlyHelp101AndItsErrorText) {
    QProcess nm;
    nm.start(QStringLiteral("nm"),
             {QStringLiteral("-D"), QStringLiteral("--defined-only"), LibraryPath()});
    ASSERT_TRUE(nm.waitForFinished(30000));
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();
    QStringList names;
    const QStringList lines =
        QString::fromUtf8(nm.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        names << line.section(QLatin1Char(' '), -1);
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Help101"), QStringLiteral("Help101LastError")}));
}

class Help101FormatTest : public Help101Test,
                          public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(Help101FormatTest, SamplesMatchTheFfmpegToolAndProgressEndsAtTheDataSize) {
    const auto [rate, channels] = GetParam();
    const QString source = Path(QStringLiteral("tone.wma"));
    ASSERT_TRUE(testsupport::MakeWma(source, 3.0, rate, channels));
    const QString reference = Path(QStringLiteral("reference.raw"));
    ASSERT_TRUE(testsupport::RunFfmpeg(
        {QStringLiteral("-i"), source, QStringLiteral("-f"), QStringLiteral("s16le"), reference}));

    const QString output = Path(QStringLiteral("tone.wav"));
    ASSERT_EQ(Decode(source, output), 1);
    EXPECT_EQ(LastError(), QString());
    const WaveFile wave = ParseWave(ReadBytes(output));
    EXPECT_EQ(wave.tag, 1);
    EXPECT_EQ(wave.channels, channels);
    EXPECT_EQ(wave.rate, static_cast<uint32_t>(rate));
    EXPECT_EQ(wave.bits, 16);
    EXPECT_EQ(wave.blockAlign, 2 * channels);
    EXPECT_EQ(wave.avgBytes, static_cast<uint32_t>(rate * 2 * channels));
    EXPECT_EQ(wave.fact, 0u);
    ASSERT_GT(wave.data.size(), static_cast<size_t>(kBlockSize));
    EXPECT_TRUE(wave.data == ReadBytes(reference)) << "decoded samples differ from ffmpeg's";

    // One report per block; every block but the last fills the buffer.
    ASSERT_FALSE(g_progress.empty());
    EXPECT_EQ(static_cast<size_t>(g_progress.back()), wave.data.size());
    for (size_t i = 0; i + 1 < g_progress.size(); ++i) {
        EXPECT_EQ(g_progress[i], kBlockSize * static_cast<int32_t>(i + 1));
    }
    EXPECT_GT(g_progress.back(), kBlockSize * static_cast<int32_t>(g_progress.size() - 1));
}

INSTANTIATE_TEST_SUITE_P(RatesAndChannels, Help101FormatTest,
                         ::testing::Combine(::testing::Values(22050, 44100, 48000),
                                            ::testing::Values(1, 2)));

TEST_F(Help101Test, WorksWithoutCallbackReplacesOutputAndTakesUtf8Paths) {
    const QString source = Path(QStringLiteral("Ünïcødé 音楽.wma"));
    ASSERT_TRUE(testsupport::MakeWma(source, 2.0, 44100, 2));
    const QString first = Path(QStringLiteral("first.wav"));
    ASSERT_EQ(Decode(source, first), 1);

    const QString output = Path(QStringLiteral("Ausgabe – ëxisting.wav"));
    {
        QFile old(output);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(3 * 1024 * 1024, 'x'));
    }
    ASSERT_EQ(Decode(source, output, false), 1);
    EXPECT_EQ(ReadBytes(output), ReadBytes(first));
}

TEST_F(Help101Test, StreamWithoutPacketsGivesAnEmptyDataChunk) {
    const QString source = Path(QStringLiteral("silent.wma"));
    ASSERT_TRUE(testsupport::RunFfmpeg(
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("anullsrc=r=22050:cl=mono"), QStringLiteral("-t"), QStringLiteral("0"),
         QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-f"),
         QStringLiteral("asf"), source}));
    const QString output = Path(QStringLiteral("silent.wav"));
    ASSERT_EQ(Decode(source, output), 1);
    const std::vector<uint8_t> bytes = ReadBytes(output);
    ASSERT_EQ(bytes.size(), 56u);
    const WaveFile wave = ParseWave(bytes);
    EXPECT_EQ(wave.rate, 22050u);
    EXPECT_EQ(wave.channels, 1);
    EXPECT_TRUE(wave.data.empty());
    EXPECT_TRUE(g_progress.empty());
}

TEST_F(Help101Test, UnreadableSourcesFailAtOnceWithTheirReasonAndCreateNothing) {
    const QString empty = Path(QStringLiteral("empty.wma"));
    const QString garbage = Path(QStringLiteral("garbage.wma"));
    const QString video = Path(QStringLiteral("video.avi"));
    const QString folder = Path(QStringLiteral("folder.wma"));
    const QString fifo = Path(QStringLiteral("fifo.wma"));
    {
        QFile(empty).open(QIODevice::WriteOnly);
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray noise(64 * 1024, '\0');
        for (int i = 0; i < noise.size(); ++i) {
            noise[i] = static_cast<char>((i * 7919 + 13) ^ (i >> 3));
        }
        file.write(noise);
    }
    ASSERT_TRUE(testsupport::RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"),
                                        QStringLiteral("-i"), QStringLiteral("testsrc=d=1"),
                                        QStringLiteral("-c:v"), QStringLiteral("mpeg4"), video}));
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(::mkfifo(fifo.toUtf8().constData(), 0600), 0);
    const QStringList entries = FolderEntries(dir_.path());

    const QString output = Path(QStringLiteral("out.wav"));
    const std::pair<QString, QString> cases[] = {
        {Path(QStringLiteral("missing.wma")), QStringLiteral("file not found")},
        {empty, QStringLiteral("empty file")},
        {garbage, QStringLiteral("not an audio file the decoder accepts: Invalid data found "
                                 "when processing input")},
        {video, QStringLiteral("not an audio file the decoder accepts: no audio stream")},
        {folder, QStringLiteral("not a regular file")},
        {fifo, QStringLiteral("not a regular file")},
        {Path(QString(300, QLatin1Char('a')) + QStringLiteral(".wma")),
         QStringLiteral("cannot read the source: File name too long")},
    };
    for (const auto& [source, reason] : cases) {
        SCOPED_TRACE(source.right(40).toStdString());
        // Only a hang guard: a decoder blocked on the FIFO ends the test instead of hanging it.
        alarm(120);
        EXPECT_EQ(Decode(source, output), 0);
        alarm(0);
        EXPECT_EQ(LastError(), reason);
    }
    EXPECT_EQ(help101_(nullptr, output.toUtf8().constData(), nullptr), 0);
    EXPECT_EQ(LastError(), QStringLiteral("no source or output given"));
    EXPECT_EQ(FolderEntries(dir_.path()), entries);
    EXPECT_TRUE(g_progress.empty());
}

TEST_F(Help101Test, SourceAndOutputPathsLongerThanAThousandBytesWork) {
    // The file name limit forces sub-folders.
    QString folder = dir_.path();
    while (folder.toUtf8().size() < 1500) {
        folder += QStringLiteral("/") + QString(100, QLatin1Char('d'));
    }
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString source =
        folder + QStringLiteral("/") + QString(200, QLatin1Char('s')) + QStringLiteral(".wma");
    const QString output = folder + QStringLiteral("/out.wav");
    ASSERT_TRUE(testsupport::MakeWma(Path(QStringLiteral("short.wma")), 1.0, 22050, 1));
    ASSERT_TRUE(QFile::copy(Path(QStringLiteral("short.wma")), source));
    ASSERT_GT(source.toUtf8().size(), 1700);

    ASSERT_EQ(Decode(Path(QStringLiteral("short.wma")), Path(QStringLiteral("short.wav"))), 1);
    EXPECT_EQ(Decode(source, output), 1) << LastError().toStdString();
    EXPECT_EQ(ReadBytes(output), ReadBytes(Path(QStringLiteral("short.wav"))));
}

// Keeps files written by this process below `bytes` for its lifetime; writes past it fail
// with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    sighandler_t oldHandler_ = SIG_DFL;
    bool ok_ = false;
};

TEST_F(Help101Test, DiskFillingDuringADecodeKeepsTheExistingOutputAndSaysSo) {
    const QString source = Path(QStringLiteral("tone.wma"));
    ASSERT_TRUE(testsupport::MakeWma(source, 3.0, 44100, 2));
    const QString output = Path(QStringLiteral("full-disk.wav"));
    const QByteArray previous(1000, 'p');
    ASSERT_TRUE(testsupport::WriteAll(output, previous));

    int32_t result = -1;
    {
        FileSizeLimit limit(300000);
        ASSERT_TRUE(limit.ok());
        result = Decode(source, output);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(LastError(), QStringLiteral("disk full: File too large"));
    EXPECT_FALSE(g_progress.empty()) << "the limit must be reached mid-decode";
    EXPECT_EQ(testsupport::ReadAll(output), previous);
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("full-disk.wav"), QStringLiteral("tone.wma")}));
}

// The progress callback of a decode in a child process: tells the parent the decode is under
// way, then waits to be killed.
int g_underWayPipe = -1;
void SignalAndWait(int32_t) {
    [[maybe_unused]] const ssize_t n = ::write(g_underWayPipe, "x", 1);
    for (;;) {
        ::pause();
    }
}

TEST_F(Help101Test, DecodeKilledMidwayLeavesNothingAtOrBesideTheOutput) {
    const QString source = Path(QStringLiteral("long.wma"));
    ASSERT_TRUE(testsupport::MakeWma(source, 20.0, 44100, 2));
    const QString output = Path(QStringLiteral("long.wav"));
    const QString other = Path(QStringLiteral("new.wav"));
    ASSERT_TRUE(testsupport::WriteAll(output, "kept"));
    const QByteArray sourcePath = source.toUtf8();
    const QByteArray outputPaths[] = {output.toUtf8(), other.toUtf8()};

    for (const QByteArray& target : outputPaths) {
        SCOPED_TRACE(target.constData());
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            g_underWayPipe = pipeFds[1];
            help101_(sourcePath.constData(), target.constData(), SignalAndWait);
            ::_exit(0);  // reached only when the decode ended without a block
        }
        ::close(pipeFds[1]);
        char byte = 0;
        EXPECT_EQ(::read(pipeFds[0], &byte, 1), 1) << "the child decoded no block";
        ::close(pipeFds[0]);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
    }
    EXPECT_EQ(testsupport::ReadAll(output), QByteArray("kept"));
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("long.wav"), QStringLiteral("long.wma")}));
}

// Damaged sources decode as far as the ffmpeg tool decodes them, and say how far that was.
TEST_F(Help101Test, DamagedSourcesCompleteWithWhatDecodesAndTheirDecodedLength) {
    const QString intact = Path(QStringLiteral("intact.wma"));
    ASSERT_TRUE(testsupport::MakeWma(intact, 10.0, 44100, 2));
    QByteArray truncated = testsupport::ReadAll(intact);
    QByteArray corrupt = truncated;
    truncated.truncate(truncated.size() * 6 / 10);
    for (qsizetype i = corrupt.size() / 3; i < corrupt.size() / 3 + 8000; ++i) {
        corrupt[i] = static_cast<char>(i * 7919 >> 3);
    }
    const std::pair<QString, QByteArray> cases[] = {{QStringLiteral("truncated"), truncated},
                                                    {QStringLiteral("corrupt"), corrupt}};
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name.toStdString());
        const QString source = Path(name + QStringLiteral(".wma"));
        ASSERT_TRUE(testsupport::WriteAll(source, bytes));
        const QString reference = Path(name + QStringLiteral(".raw"));
        ASSERT_TRUE(testsupport::RunFfmpeg({QStringLiteral("-i"), source, QStringLiteral("-f"),
                                            QStringLiteral("s16le"), reference}));
        const QString output = Path(name + QStringLiteral(".wav"));
        ASSERT_EQ(Decode(source, output), 2);
        const WaveFile wave = ParseWave(ReadBytes(output));
        EXPECT_TRUE(wave.data == ReadBytes(reference)) << "decoded samples differ from ffmpeg's";
        const double seconds = static_cast<double>(wave.data.size()) / wave.avgBytes;
        EXPECT_GT(seconds, 1.0);
        EXPECT_LT(seconds, 9.5);
        EXPECT_EQ(LastError(), QStringLiteral("source damaged: %1 of 10 s").arg(qRound(seconds)));
    }
}

TEST_F(Help101Test, OutputThatCannotBeCreatedOrIsTheSourceFailsWithItsCause) {
    const QString source = Path(QStringLiteral("tone.wma"));
    ASSERT_TRUE(testsupport::MakeWma(source, 1.0, 22050, 1));
    const std::vector<uint8_t> original = ReadBytes(source);
    ASSERT_TRUE(testsupport::WriteAll(Path(QStringLiteral("plain-file")), "x"));
    ASSERT_TRUE(QDir().mkdir(Path(QStringLiteral("folder.wav"))));
    ASSERT_TRUE(QFile::link(source, Path(QStringLiteral("link.wav"))));
    const QString locked = Path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    const QStringList entries = FolderEntries(dir_.path());

    std::vector<std::pair<QString, QString>> cases = {
        {Path(QStringLiteral("no/such/folder/out.wav")),
         QStringLiteral("cannot create the output: No such file or directory")},
        {Path(QStringLiteral("plain-file/out.wav")),
         QStringLiteral("cannot create the output: Not a directory")},
        {Path(QStringLiteral("folder.wav")),
         QStringLiteral("cannot create the output: Is a directory")},
        {source, QStringLiteral("the output is the source file")},
        {Path(QStringLiteral("link.wav")), QStringLiteral("the output is the source file")},
    };
    if (::geteuid() != 0) {  // root writes anywhere
        cases.emplace_back(locked + QStringLiteral("/out.wav"),
                           QStringLiteral("cannot create the output: Permission denied"));
    }
    for (const auto& [output, reason] : cases) {
        SCOPED_TRACE(output.toStdString());
        EXPECT_EQ(Decode(source, output), 0);
        EXPECT_EQ(LastError(), reason);
    }
    EXPECT_EQ(ReadBytes(source), original);
    EXPECT_EQ(FolderEntries(dir_.path()), entries);
    EXPECT_TRUE(FolderEntries(locked).isEmpty());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(g_progress.empty());
}

}  // namespace
