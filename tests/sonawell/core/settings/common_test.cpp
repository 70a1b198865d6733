#include "core/settings/common.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file's size as the job list shows it.
QString SizeText(const QString& path) {
    return formatSizeMB(regularFileSize(path));
}

QString S(const char* text) {
    return QString::fromUtf8(text);
}

TEST(PathRoutinesTest, DeriveOutputPathSwapsWmaAndWavAtTheLastDot) {
    EXPECT_EQ(deriveOutputPath(S("C:\\Music\\a.mp3")), S("C:\\Music\\a.wma"));
    EXPECT_EQ(deriveOutputPath(S("C:\\Music\\a.Wma")), S("C:\\Music\\a.wav"));
    EXPECT_EQ(deriveOutputPath(S("/music/a.Wma")), S("/music/a.wav"));
    EXPECT_EQ(deriveOutputPath(S("/music/a.WAV")), S("/music/a.wma"));
    EXPECT_EQ(deriveOutputPath(S("/music/a")), QString());
    EXPECT_EQ(deriveOutputPath(S("C:\\My.Music\\a")), S("C:\\My.wma"));
    EXPECT_EQ(deriveOutputPath(S("/My.Music/a")), S("/My.wma"));
    EXPECT_EQ(deriveOutputPath(S("/music/a.")), S("/music/a.wma"));
    EXPECT_EQ(deriveOutputPath(S("/music/a.wmax")), S("/music/a.wma"));
    EXPECT_EQ(deriveOutputPath(QString()), QString());
}

TEST(PathRoutinesTest, GetFileExtensionKeepsCaseAfterTheLastDot) {
    EXPECT_EQ(fileExtension(S("C:\\Music\\a.MP3")), S("MP3"));
    EXPECT_EQ(fileExtension(S("/music/a.tar.Gz")), S("Gz"));
    EXPECT_EQ(fileExtension(S("C:\\My.Music\\a")), S("Music\\a"));
    EXPECT_EQ(fileExtension(S("/My.Music/a")), S("Music/a"));
    EXPECT_EQ(fileExtension(S("/music/a")), QString());
    EXPECT_EQ(fileExtension(S("a.")), QString());
}

TEST(PathRoutinesTest, ExtractFileNameIgnoresTheLastCharacter) {
    EXPECT_EQ(extractFileName(S("C:\\Music\\a.mp3")), S("a.mp3"));
    EXPECT_EQ(extractFileName(S("/music/a.mp3")), S("a.mp3"));
    EXPECT_EQ(extractFileName(S("/music\\mixed/a.mp3")), S("a.mp3"));
    EXPECT_EQ(extractFileName(S("a.mp3")), S("a.mp3"));
    EXPECT_EQ(extractFileName(S("C:\\Music\\")), S("Music\\"));
    EXPECT_EQ(extractFileName(S("/music/")), S("music/"));
    EXPECT_EQ(extractFileName(S("/")), S("/"));
    EXPECT_EQ(extractFileName(S("/a")), S("a"));
    EXPECT_EQ(extractFileName(QString()), QString());
}

TEST(PathRoutinesTest, StripTrailingSeparatorRemovesOnlyOne) {
    EXPECT_EQ(stripTrailingSeparator(S("C:\\")), S("C:"));
    EXPECT_EQ(stripTrailingSeparator(S("/music/out/")), S("/music/out"));
    EXPECT_EQ(stripTrailingSeparator(S("/music/out//")), S("/music/out/"));
    EXPECT_EQ(stripTrailingSeparator(S("C:\\out\\\\")), S("C:\\out\\"));
    EXPECT_EQ(stripTrailingSeparator(S("/music/out")), S("/music/out"));
    EXPECT_EQ(stripTrailingSeparator(S("/")), QString());
    EXPECT_EQ(stripTrailingSeparator(QString()), QString());
}

TEST(PathRoutinesTest, TrimAtNullCutsAtTheFirstNul) {
    EXPECT_EQ(trimAtNull(QStringLiteral("ab\0cd\0")), S("ab"));
    EXPECT_EQ(trimAtNull(QStringLiteral("\0ab")), QString());
    EXPECT_EQ(trimAtNull(S("no nul")), S("no nul"));
}

class FileRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString MakeFile(const char* name, qint64 size) const {
        const QString path = dir_.filePath(S(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        // Sparse: resize leaves a hole, so even gigabytes cost no disk space.
        EXPECT_TRUE(file.resize(size));
        return path;
    }

    static QString Mb(const char* digits) {
        QString text = S(digits);
        text.replace(QLatin1Char('.'), QLocale::system().decimalPoint());
        return text + QLatin1Char('M');
    }

    QTemporaryDir dir_;
};

TEST_F(FileRoutinesTest, IsDirectoryIsTrueOnlyForExistingFolders) {
    EXPECT_TRUE(isDirectory(dir_.path()));
    EXPECT_TRUE(isDirectory(dir_.path() + QLatin1Char('/')));
    EXPECT_FALSE(isDirectory(MakeFile("file", 3)));
    EXPECT_FALSE(isDirectory(dir_.filePath(S("missing"))));
    EXPECT_FALSE(isDirectory(dir_.filePath(S("file/below"))));
    EXPECT_FALSE(isDirectory(QString()));
    ASSERT_TRUE(QFile::link(dir_.path(), dir_.filePath(S("link"))));
    EXPECT_TRUE(isDirectory(dir_.filePath(S("link"))));
}

TEST_F(FileRoutinesTest, FormatFileSizeMBRoundsToOneDecimal) {
    EXPECT_EQ(SizeText(MakeFile("zero", 0)), Mb("0.0"));
    EXPECT_EQ(SizeText(MakeFile("one", 1048576)), Mb("1.0"));
    EXPECT_EQ(SizeText(MakeFile("five", 5500000)), Mb("5.2"));
    // Exactly a quarter megabyte rounds up, and 0.96 carries into the whole part.
    EXPECT_EQ(SizeText(MakeFile("quarter", 262144)), Mb("0.3"));
    EXPECT_EQ(SizeText(MakeFile("carry", 1048576 * 2 - 40000)), Mb("2.0"));
    EXPECT_EQ(SizeText(MakeFile("big", 3LL << 30)), Mb("3072.0"));
    EXPECT_EQ(SizeText(MakeFile("huge", 1LL << 40)), Mb("1048576.0"));
    EXPECT_EQ(SizeText(dir_.filePath(S("missing"))), S("-"));
    EXPECT_EQ(SizeText(dir_.path()), S("-"));
    EXPECT_EQ(SizeText(QString()), S("-"));
}

TEST_F(FileRoutinesTest, GetFileSizeBytesIsSixtyFourBitAndZeroOnFailure) {
    EXPECT_EQ(fileSizeBytes(MakeFile("big", (3LL << 30) + 7)), (3LL << 30) + 7);
    EXPECT_EQ(fileSizeBytes(MakeFile("small", 5)), 5);
    EXPECT_EQ(fileSizeBytes(dir_.filePath(S("missing"))), 0);
    EXPECT_EQ(fileSizeBytes(dir_.path()), 0);
}

TEST_F(FileRoutinesTest, SizeOfAFifoDoesNotHang) {
    const QString fifo = dir_.filePath(S("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(SizeText(fifo), S("-"));
    EXPECT_EQ(fileSizeBytes(fifo), 0);
}

class MakeTempFileTest : public FileRoutinesTest {
protected:
    void SetUp() override {
        FileRoutinesTest::SetUp();
        hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
        savedTmp_ = qgetenv("TMPDIR");
    }
    void TearDown() override {
        if (hadTmp_) {
            qputenv("TMPDIR", savedTmp_);
        } else {
            qunsetenv("TMPDIR");
        }
    }

    bool hadTmp_ = false;
    QByteArray savedTmp_;
};

TEST_F(MakeTempFileTest, CreatesEmptyUniqueFilesInTmpdir) {
    qputenv("TMPDIR", QFile::encodeName(dir_.path() + QLatin1Char('/')));
    const QString first = makeTempFile(S("swl"));
    const QString second = makeTempFile(S("swl"));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(first, second);
    for (const QString& path : {first, second}) {
        const QFileInfo info(path);
        EXPECT_TRUE(info.isFile()) << path.toStdString();
        EXPECT_EQ(info.size(), 0);
        EXPECT_EQ(info.absolutePath(), QDir(dir_.path()).absolutePath());
        EXPECT_TRUE(info.fileName().startsWith(S("swl")));
    }
    // A prefix cannot put the file elsewhere.
    const QString escaped = makeTempFile(S("../up"));
    ASSERT_FALSE(escaped.isEmpty());
    EXPECT_EQ(QFileInfo(escaped).absolutePath(), QDir(dir_.path()).absolutePath());
}

TEST_F(MakeTempFileTest, FallsBackToTmpAndFailsWithEmptyText) {
    qunsetenv("TMPDIR");
    const QString inTmp = makeTempFile(S("swl"));
    ASSERT_FALSE(inTmp.isEmpty());
    EXPECT_EQ(QFileInfo(inTmp).absolutePath(), S("/tmp"));
    EXPECT_TRUE(QFile::remove(inTmp));

    qputenv("TMPDIR", QFile::encodeName(dir_.filePath(S("missing"))));
    EXPECT_EQ(makeTempFile(S("swl")), QString());
}

TEST(PlacementTest, CenterOnScreenLiftsTheFormAboveTheMiddle) {
    const PlacedPoint example = centerOnScreenPosition(12000, 9000, 4000, 3000);
    EXPECT_EQ(example.y, 2325);
    EXPECT_EQ(example.x, 4000);
    // 1080 * 0.85 = 918, halved 459; odd sizes halve toward zero.
    const PlacedPoint odd = centerOnScreenPosition(1921, 1080, 401, 301);
    EXPECT_EQ(odd.y, 459 - 150);
    EXPECT_EQ(odd.x, 960 - 200);
    // A form larger than the screen goes above and left of it.
    const PlacedPoint large = centerOnScreenPosition(100, 100, 301, 301);
    EXPECT_EQ(large.y, 42 - 150);
    EXPECT_EQ(large.x, 50 - 150);
}

TEST(PlacementTest, CenterOnOwnerRoundsHalvesToEven) {
    const PlacedPoint exact = centerOnOwnerPosition(100, 200, 800, 600, 400, 300);
    EXPECT_EQ(exact.x, 300);
    EXPECT_EQ(exact.y, 350);
    // 10 + 1/2 = 10.5 -> 10; 11 + 1/2 = 11.5 -> 12.
    const PlacedPoint halves = centerOnOwnerPosition(10, 11, 101, 101, 100, 100);
    EXPECT_EQ(halves.x, 10);
    EXPECT_EQ(halves.y, 12);
    // Window larger than its owner; -0.5 -> 0 and -1.5 -> -2.
    const PlacedPoint larger = centerOnOwnerPosition(0, -1, 100, 100, 101, 101);
    EXPECT_EQ(larger.x, 0);
    EXPECT_EQ(larger.y, -2);
}

}  // namespace
