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

QString S(const char* text) {
    return QString::fromUtf8(text);
}

TEST(PathRoutinesTest, DeriveOutputPathSwapsWmaAndWavAtTheLastDot) {
    EXPECT_EQ(DeriveOutputPath(S("C:\\Music\\a.mp3")), S("C:\\Music\\a.wma"));
    EXPECT_EQ(DeriveOutputPath(S("C:\\Music\\a.Wma")), S("C:\\Music\\a.wav"));
    EXPECT_EQ(DeriveOutputPath(S("/music/a.Wma")), S("/music/a.wav"));
    EXPECT_EQ(DeriveOutputPath(S("/music/a.WAV")), S("/music/a.wma"));
    EXPECT_EQ(DeriveOutputPath(S("/music/a")), QString());
    EXPECT_EQ(DeriveOutputPath(S("C:\\My.Music\\a")), S("C:\\My.wma"));
    EXPECT_EQ(DeriveOutputPath(S("/My.Music/a")), S("/My.wma"));
    EXPECT_EQ(DeriveOutputPath(S("/music/a.")), S("/music/a.wma"));
    EXPECT_EQ(DeriveOutputPath(S("/music/a.wmax")), S("/music/a.wma"));
    EXPECT_EQ(DeriveOutputPath(QString()), QString());
}

TEST(PathRoutinesTest, GetFileExtensionKeepsCaseAfterTheLastDot) {
    EXPECT_EQ(GetFileExtension(S("C:\\Music\\a.MP3")), S("MP3"));
    EXPECT_EQ(GetFileExtension(S("/music/a.tar.Gz")), S("Gz"));
    EXPECT_EQ(GetFileExtension(S("C:\\My.Music\\a")), S("Music\\a"));
    EXPECT_EQ(GetFileExtension(S("/My.Music/a")), S("Music/a"));
    EXPECT_EQ(GetFileExtension(S("/music/a")), QString());
    EXPECT_EQ(GetFileExtension(S("a.")), QString());
}

TEST(PathRoutinesTest, ExtractFileNameIgnoresTheLastCharacter) {
    EXPECT_EQ(ExtractFileName(S("C:\\Music\\a.mp3")), S("a.mp3"));
    EXPECT_EQ(ExtractFileName(S("/music/a.mp3")), S("a.mp3"));
    EXPECT_EQ(ExtractFileName(S("/music\\mixed/a.mp3")), S("a.mp3"));
    EXPECT_EQ(ExtractFileName(S("a.mp3")), S("a.mp3"));
    EXPECT_EQ(ExtractFileName(S("C:\\Music\\")), S("Music\\"));
    EXPECT_EQ(ExtractFileName(S("/music/")), S("music/"));
    EXPECT_EQ(ExtractFileName(S("/")), S("/"));
    EXPECT_EQ(ExtractFileName(S("/a")), S("a"));
    EXPECT_EQ(ExtractFileName(QString()), QString());
}

TEST(PathRoutinesTest, StripTrailingSeparatorRemovesOnlyOne) {
    EXPECT_EQ(StripTrailingSeparator(S("C:\\")), S("C:"));
    EXPECT_EQ(StripTrailingSeparator(S("/music/out/")), S("/music/out"));
    EXPECT_EQ(StripTrailingSeparator(S("/music/out//")), S("/music/out/"));
    EXPECT_EQ(StripTrailingSeparator(S("C:\\out\\\\")), S("C:\\out\\"));
    EXPECT_EQ(StripTrailingSeparator(S("/music/out")), S("/music/out"));
    EXPECT_EQ(StripTrailingSeparator(S("/")), QString());
    EXPECT_EQ(StripTrailingSeparator(QString()), QString());
}

TEST(PathRoutinesTest, TrimAtNullCutsAtTheFirstNul) {
    EXPECT_EQ(TrimAtNull(QStringLiteral("ab\0cd\0")), S("ab"));
    EXPECT_EQ(TrimAtNull(QStringLiteral("\0ab")), QString());
    EXPECT_EQ(TrimAtNull(S("no nul")), S("no nul"));
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
    EXPECT_TRUE(IsDirectory(dir_.path()));
    EXPECT_TRUE(IsDirectory(dir_.path() + QLatin1Char('/')));
    EXPECT_FALSE(IsDirectory(MakeFile("file", 3)));
    EXPECT_FALSE(IsDirectory(dir_.filePath(S("missing"))));
    EXPECT_FALSE(IsDirectory(dir_.filePath(S("file/below"))));
    EXPECT_FALSE(IsDirectory(QString()));
    ASSERT_TRUE(QFile::link(dir_.path(), dir_.filePath(S("link"))));
    EXPECT_TRUE(IsDirectory(dir_.filePath(S("link"))));
}

TEST_F(FileRoutinesTest, FormatFileSizeMBRoundsToOneDecimal) {
    EXPECT_EQ(FormatFileSizeMB(MakeFile("zero", 0)), Mb("0.0"));
    EXPECT_EQ(FormatFileSizeMB(MakeFile("one", 1048576)), Mb("1.0"));
    EXPECT_EQ(FormatFileSizeMB(MakeFile("five", 5500000)), Mb("5.2"));
    // Exactly a quarter megabyte rounds up, and 0.96 carries into the whole part.
    EXPECT_EQ(FormatFileSizeMB(MakeFile("quarter", 262144)), Mb("0.3"));
    EXPECT_EQ(FormatFileSizeMB(MakeFile("carry", 1048576 * 2 - 40000)), Mb("2.0"));
    EXPECT_EQ(FormatFileSizeMB(MakeFile("big", 3LL << 30)), Mb("3072.0"));
    EXPECT_EQ(FormatFileSizeMB(MakeFile("huge", 1LL << 40)), Mb("1048576.0"));
    EXPECT_EQ(FormatFileSizeMB(dir_.filePath(S("missing"))), S("-"));
    EXPECT_EQ(FormatFileSizeMB(dir_.path()), S("-"));
    EXPECT_EQ(FormatFileSizeMB(QString()), S("-"));
}

TEST_F(FileRoutinesTest, GetFileSizeBytesIsSixtyFourBitAndZeroOnFailure) {
    EXPECT_EQ(GetFileSizeBytes(MakeFile("big", (3LL << 30) + 7)), (3LL << 30) + 7);
    EXPECT_EQ(GetFileSizeBytes(MakeFile("small", 5)), 5);
    EXPECT_EQ(GetFileSizeBytes(dir_.filePath(S("missing"))), 0);
    EXPECT_EQ(GetFileSizeBytes(dir_.path()), 0);
}

TEST_F(FileRoutinesTest, SizeOfAFifoDoesNotHang) {
    const QString fifo = dir_.filePath(S("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(FormatFileSizeMB(fifo), S("-"));
    EXPECT_EQ(GetFileSizeBytes(fifo), 0);
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
    const QString first = MakeTempFile(S("swl"));
    const QString second = MakeTempFile(S("swl"));
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
    const QString escaped = MakeTempFile(S("../up"));
    ASSERT_FALSE(escaped.isEmpty());
    EXPECT_EQ(QFileInfo(escaped).absolutePath(), QDir(dir_.path()).absolutePath());
}

TEST_F(MakeTempFileTest, FallsBackToTmpAndFailsWithEmptyText) {
    qunsetenv("TMPDIR");
    const QString inTmp = MakeTempFile(S("swl"));
    ASSERT_FALSE(inTmp.isEmpty());
    EXPECT_EQ(QFileInfo(inTmp).absolutePath(), S("/tmp"));
    EXPECT_TRUE(QFile::remove(inTmp));

    qputenv("TMPDIR", QFile::encodeName(dir_.filePath(S("missing"))));
    EXPECT_EQ(MakeTempFile(S("swl")), QString());
}

TEST(PlacementTest, CenterOnScreenLiftsTheFormAboveTheMiddle) {
    const PlacedPoint example = CenterOnScreenPosition(12000, 9000, 4000, 3000);
    EXPECT_EQ(example.y, 2325);
    EXPECT_EQ(example.x, 4000);
    // 1080 * 0.85 = 918, halved 459; odd sizes halve toward zero.
    const PlacedPoint odd = CenterOnScreenPosition(1921, 1080, 401, 301);
    EXPECT_EQ(odd.y, 459 - 150);
    EXPECT_EQ(odd.x, 960 - 200);
    // A form larger than the screen goes above and left of it.
    const PlacedPoint large = CenterOnScreenPosition(100, 100, 301, 301);
    EXPECT_EQ(large.y, 42 - 150);
    EXPECT_EQ(large.x, 50 - 150);
}

TEST(PlacementTest, CenterOnOwnerRoundsHalvesToEven) {
    const PlacedPoint exact = CenterOnOwnerPosition(100, 200, 800, 600, 400, 300);
    EXPECT_EQ(exact.x, 300);
    EXPECT_EQ(exact.y, 350);
    // 10 + 1/2 = 10.5 -> 10; 11 + 1/2 = 11.5 -> 12.
    const PlacedPoint halves = CenterOnOwnerPosition(10, 11, 101, 101, 100, 100);
    EXPECT_EQ(halves.x, 10);
    EXPECT_EQ(halves.y, 12);
    // Window larger than its owner; -0.5 -> 0 and -1.5 -> -2.
    const PlacedPoint larger = CenterOnOwnerPosition(0, -1, 100, 100, 101, 101);
    EXPECT_EQ(larger.x, 0);
    EXPECT_EQ(larger.y, -2);
}

}  // namespace
