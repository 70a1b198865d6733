#include "mellorin/help101.h"

#include "mellorin/file_bytes.h"
#include "support/audio_fixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <memory>
#include <tuple>

namespace {

using mellorin::test::Id;
using mellorin::test::Le16;
using mellorin::test::Le32;
using mellorin::test::ReadBytes;

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
        ASSERT_TRUE(dir_.isValid());
        g_progress.clear();
    }

    int32_t Decode(const QString& source, const QString& output, bool withProgress = true) {
        return help101_(source.toUtf8().constData(), output.toUtf8().constData(),
                        withProgress ? RecordProgress : nullptr);
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    std::unique_ptr<void, LibraryCloser> library_;
    Help101Fn help101_ = nullptr;
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

TEST(Help101Library, ExportsExactlyHelp101) {
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
    EXPECT_EQ(names, QStringList{QStringLiteral("Help101")});
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

TEST_F(Help101Test, UnreadableSourcesFailWithoutCreatingTheOutput) {
    const QString empty = Path(QStringLiteral("empty.wma"));
    const QString garbage = Path(QStringLiteral("garbage.wma"));
    const QString video = Path(QStringLiteral("video.avi"));
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
    const QString longName = Path(QString(990, QLatin1Char('a')) + QStringLiteral(".wma"));

    const QString output = Path(QStringLiteral("out.wav"));
    for (const QString& source :
         {Path(QStringLiteral("missing.wma")), empty, garbage, video, longName}) {
        SCOPED_TRACE(source.right(40).toStdString());
        EXPECT_EQ(Decode(source, output), 0);
        EXPECT_FALSE(QFile::exists(output));
    }
    EXPECT_EQ(help101_(nullptr, output.toUtf8().constData(), nullptr), 0);
    EXPECT_TRUE(g_progress.empty());
}

TEST_F(Help101Test, LongSourcePathIsRefusedEvenWhenTheFileExists) {
    // 999 bytes is the longest path taken; the file name limit forces sub-folders.
    QString folder = dir_.path();
    while (folder.toUtf8().size() < 900) {
        folder += QStringLiteral("/") + QString(100, QLatin1Char('d'));
    }
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString prefix = folder + QStringLiteral("/");
    const int room = 999 - static_cast<int>(prefix.toUtf8().size()) - 4;
    ASSERT_GT(room, 0);
    const QString longest = prefix + QString(room, QLatin1Char('s')) + QStringLiteral(".wma");
    ASSERT_EQ(longest.toUtf8().size(), 999);
    ASSERT_TRUE(testsupport::MakeWma(longest, 1.0, 22050, 1));
    const QString tooLong = prefix + QString(room + 1, QLatin1Char('s')) + QStringLiteral(".wma");
    ASSERT_TRUE(QFile::copy(longest, tooLong));

    const QString output = Path(QStringLiteral("out.wav"));
    EXPECT_EQ(Decode(tooLong, output), 0);
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_EQ(Decode(longest, output), 1);
    EXPECT_TRUE(QFile::exists(output));
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

TEST_F(Help101Test, WriteFailureMidwayLeavesAValidFileWithTheSamplesOnDisk) {
    const QString source = Path(QStringLiteral("tone.wma"));
    ASSERT_TRUE(testsupport::MakeWma(source, 3.0, 44100, 2));
    const QString reference = Path(QStringLiteral("reference.raw"));
    ASSERT_TRUE(testsupport::RunFfmpeg(
        {QStringLiteral("-i"), source, QStringLiteral("-f"), QStringLiteral("s16le"), reference}));
    const std::vector<uint8_t> expected = ReadBytes(reference);
    const QString output = Path(QStringLiteral("full-disk.wav"));

    int32_t result = -1;
    {
        FileSizeLimit limit(300000);
        ASSERT_TRUE(limit.ok());
        result = Decode(source, output);
    }
    EXPECT_EQ(result, 0);
    const std::vector<uint8_t> bytes = ReadBytes(output);
    EXPECT_LE(bytes.size(), 300000u);
    const WaveFile wave = ParseWave(bytes);
    EXPECT_EQ(wave.fact, 0u);
    ASSERT_GT(wave.data.size(), 0u);
    ASSERT_LT(wave.data.size(), expected.size());
    EXPECT_TRUE(std::equal(wave.data.begin(), wave.data.end(), expected.begin()));
    ASSERT_FALSE(g_progress.empty());
}

TEST_F(Help101Test, OutputThatCannotBeCreatedOrIsTheSourceFails) {
    const QString source = Path(QStringLiteral("tone.wma"));
    ASSERT_TRUE(testsupport::MakeWma(source, 1.0, 22050, 1));
    const std::vector<uint8_t> original = ReadBytes(source);
    EXPECT_EQ(Decode(source, Path(QStringLiteral("no/such/folder/out.wav"))), 0);
    EXPECT_EQ(Decode(source, source), 0);
    const QString link = Path(QStringLiteral("link.wav"));
    ASSERT_TRUE(QFile::link(source, link));
    EXPECT_EQ(Decode(source, link), 0);
    EXPECT_EQ(ReadBytes(source), original);
    EXPECT_TRUE(g_progress.empty());
}

}  // namespace
