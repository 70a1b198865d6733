#include "core/settings/ini_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    QString WriteFile(const QByteArray& bytes, const char* name = "t.ini") {
        const QString path = PathOf(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray ReadBytes(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return QByteArray("<missing>");
        }
        return file.readAll();
    }

    static QString Read(const QString& path, const char* section, const char* key) {
        return readIniValue(path, QString::fromUtf8(section), QString::fromUtf8(key));
    }

    static void Write(const QString& path, const char* section, const char* key,
                      const char* value) {
        writeIniValue(path, QString::fromUtf8(section), QString::fromUtf8(key),
                      QString::fromUtf8(value));
    }

    QTemporaryDir dir_;
};

TEST_F(IniFileTest, ReadsKeysWithoutRegardToCaseAndTrimsBlanks) {
    const QString path = WriteFile(
        "[General]\n"
        "  Profile  =   Audio for CD quality   \n"
        "\tcpuPRIORITY\t=\t2\t\n"
        "[Quick Convert]\n"
        "TargetDir=/music/out\n");
    EXPECT_EQ(Read(path, "general", "PROFILE"), QStringLiteral("Audio for CD quality"));
    EXPECT_EQ(Read(path, "GENERAL", "CPUPriority"), QStringLiteral("2"));
    EXPECT_EQ(Read(path, "quick convert", "targetdir"), QStringLiteral("/music/out"));
    // The key exists only in another section.
    EXPECT_EQ(Read(path, "General", "TargetDir"), QString());
    EXPECT_EQ(Read(path, "Missing", "Profile"), QString());
}

TEST_F(IniFileTest, MatchingQuotesAreRemovedOthersKept) {
    const QString path = WriteFile(
        "[S]\n"
        "double=\"  spaced value \"\n"
        "single='x'\n"
        "mixed=\"x'\n"
        "lone=\"\n"
        "inner=a \"b\" c\n");
    EXPECT_EQ(Read(path, "S", "double"), QStringLiteral("  spaced value "));
    EXPECT_EQ(Read(path, "S", "single"), QStringLiteral("x"));
    EXPECT_EQ(Read(path, "S", "mixed"), QStringLiteral("\"x'"));
    EXPECT_EQ(Read(path, "S", "lone"), QStringLiteral("\""));
    EXPECT_EQ(Read(path, "S", "inner"), QStringLiteral("a \"b\" c"));
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyWinCommentsAndPlainLinesIgnored) {
    const QString path = WriteFile(
        "key=before any section\n"
        "[A]\n"
        "; key=commented\n"
        "  ;key=indented comment\n"
        "just some text\n"
        "key=first\n"
        "KEY=second\n"
        "[a]\n"
        "key=other section\n"
        "only=in second A\n");
    EXPECT_EQ(Read(path, "A", "key"), QStringLiteral("first"));
    EXPECT_EQ(Read(path, "A", "only"), QString());
    EXPECT_EQ(Read(path, "A", "just some text"), QString());
    EXPECT_EQ(Read(path, "A", "; key"), QString());
}

TEST_F(IniFileTest, CrlfBomAndLfFilesReadTheSame) {
    const QString lf = WriteFile("[General]\nProfile=Voice\nAutoStart=0\n", "lf.ini");
    const QString crlf = WriteFile("[General]\r\nProfile=Voice\r\nAutoStart=0\r\n", "crlf.ini");
    const QString bom =
        WriteFile("\xEF\xBB\xBF[General]\r\nProfile=Voice\r\nAutoStart=0", "bom.ini");
    for (const QString& path : {lf, crlf, bom}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(Read(path, "General", "Profile"), QStringLiteral("Voice"));
        EXPECT_EQ(Read(path, "General", "AutoStart"), QStringLiteral("0"));
    }
}

TEST_F(IniFileTest, LongValuesComeBackCutTo254AndNulEndsAValue) {
    const QByteArray longValue(300, 'v');
    const QString path = WriteFile("[S]\nlong=" + longValue + "\nnul=ab" + QByteArray(1, '\0') +
                                   "cd\nutf8=Größe ♪\n");
    EXPECT_EQ(Read(path, "S", "long"), QString(254, QLatin1Char('v')));
    EXPECT_EQ(Read(path, "S", "nul"), QStringLiteral("ab"));
    EXPECT_EQ(Read(path, "S", "utf8"), QStringLiteral("Größe ♪"));
}

TEST_F(IniFileTest, MissingFileOrEmptyNamesReadAsAbsent) {
    EXPECT_EQ(Read(PathOf(QStringLiteral("nothing.ini")), "General", "Profile"), QString());
    const QString path = WriteFile("[General]\nProfile=x\n");
    EXPECT_EQ(Read(path, "", "Profile"), QString());
    EXPECT_EQ(Read(path, "General", ""), QString());
    EXPECT_EQ(readIniValue(QString(), QStringLiteral("General"), QStringLiteral("Profile")),
              QString());
    // A folder is not a settings file.
    EXPECT_EQ(readIniValue(dir_.path(), QStringLiteral("General"), QStringLiteral("Profile")),
              QString());
}

TEST_F(IniFileTest, FifoOrOversizedFileIsNeitherReadNorReplaced) {
    const QString fifo = PathOf(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(Read(fifo, "General", "Profile"), QString());
    Write(fifo, "General", "Profile", "x");
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());

    const QString big = WriteFile("[General]\nProfile=P\n", "big.ini");
    const qint64 size = qint64{65} << 20;
    ASSERT_TRUE(QFile::resize(big, size));
    EXPECT_EQ(Read(big, "General", "Profile"), QString());
    Write(big, "General", "Profile", "x");
    EXPECT_EQ(QFileInfo(big).size(), size);
}

TEST_F(IniFileTest, WriteCreatesFileAndFolders) {
    const QString path = PathOf(QStringLiteral("new/deeper/Sonawell.ini"));
    Write(path, "General", "Profile", "Voice");
    Write(path, "Quick Convert", "TargetDir", "/out");
    EXPECT_EQ(ReadBytes(path),
              QByteArray("[General]\nProfile=Voice\n[Quick Convert]\nTargetDir=/out\n"));
}

TEST_F(IniFileTest, WriteReplacesInPlaceKeepingEveryOtherLine) {
    const QByteArray before =
        "; Sonawell settings\r\n"
        "[general]\r\n"
        "  profile = Old profile\r\n"
        "; keep me\r\n"
        "AutoStart=1\r\n"
        "\r\n"
        "[Quick Convert]\r\n"
        "Profile=Q\r\n";
    const QString path = WriteFile(before);
    Write(path, "General", "Profile", "New profile");
    EXPECT_EQ(ReadBytes(path), QByteArray("; Sonawell settings\r\n"
                                          "[general]\r\n"
                                          "Profile=New profile\r\n"
                                          "; keep me\r\n"
                                          "AutoStart=1\r\n"
                                          "\r\n"
                                          "[Quick Convert]\r\n"
                                          "Profile=Q\r\n"));
    EXPECT_EQ(Read(path, "Quick Convert", "Profile"), QStringLiteral("Q"));
}

TEST_F(IniFileTest, WriteAppendsKeyAfterSectionsLastKeyAndSectionAtEnd) {
    const QString path = WriteFile(
        "\xEF\xBB\xBF[General]\r\n"
        "Profile=P\r\n"
        "\r\n"
        "; about quick convert\r\n"
        "[Quick Convert]\r\n"
        "Profile=Q");
    Write(path, "GENERAL", "AutoStart", "1");
    Write(path, "Quick Convert", "TargetDir", "/out");
    Write(path, "Extra", "Key", "v");
    EXPECT_EQ(ReadBytes(path), QByteArray("\xEF\xBB\xBF[General]\r\n"
                                          "Profile=P\r\n"
                                          "AutoStart=1\r\n"
                                          "\r\n"
                                          "; about quick convert\r\n"
                                          "[Quick Convert]\r\n"
                                          "Profile=Q\r\n"
                                          "TargetDir=/out\r\n"
                                          "[Extra]\r\n"
                                          "Key=v\r\n"));
}

TEST_F(IniFileTest, WrittenValuesReadBackAndStayOnOneLine) {
    const QString path = PathOf(QStringLiteral("s.ini"));
    Write(path, "S", "multi", "one\ntwo\r\nInjected=1");
    Write(path, "S", "empty", "");
    EXPECT_EQ(Read(path, "S", "multi"), QStringLiteral("one two  Injected=1"));
    EXPECT_EQ(Read(path, "S", "Injected"), QString());
    EXPECT_EQ(Read(path, "S", "empty"), QString());
    EXPECT_EQ(ReadBytes(path), QByteArray("[S]\nmulti=one two  Injected=1\nempty=\n"));
}

TEST_F(IniFileTest, LinesThatAreNotUtf8SurviveAWriteByteForByte) {
    // A file once saved in a legacy code page: "Gr\xF6\xDFe" is Latin-1.
    const QByteArray legacy =
        "[General]\nTargetDir=/m/Gr\xF6\xDF"
        "e\n; \xFF\xFE\n";
    const QString path = WriteFile(legacy);
    Write(path, "General", "AutoStart", "0");
    EXPECT_EQ(ReadBytes(path), legacy.left(legacy.indexOf(";")) + "AutoStart=0\n; \xFF\xFE\n");
}

TEST_F(IniFileTest, ReplacedFileKeepsItsPermissionsAndLinks) {
    const QString path = WriteFile("[General]\nProfile=P\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    Write(path, "General", "Profile", "Q");
    EXPECT_EQ(QFile::permissions(path),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    const QString link = PathOf(QStringLiteral("link.ini"));
    ASSERT_TRUE(QFile::link(path, link));
    Write(link, "General", "Profile", "via link");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(path), QByteArray("[General]\nProfile=via link\n"));
}

TEST_F(IniFileTest, NamesThatWouldBreakTheFileAreNotWritten) {
    const QByteArray before = "[General]\nProfile=P\n";
    const QString path = WriteFile(before);
    Write(path, "General", "a=b", "x");
    Write(path, "General", "; comment", "x");
    Write(path, "General", "[Section]", "x");
    Write(path, "General", "two\nlines", "x");
    Write(path, "Gen]eral", "Profile", "x");
    Write(path, "", "Profile", "x");
    Write(path, "General", "  ", "x");
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(IniFileTest, FailedWriteWhereTheFolderIsAFileLeavesNothingBehind) {
    const QString blocker = WriteFile("not a folder", "blocker");
    Write(blocker + QStringLiteral("/Sonawell.ini"), "General", "Profile", "x");
    EXPECT_EQ(ReadBytes(blocker), QByteArray("not a folder"));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("blocker")});
}

// A disk that fills during the write: RLIMIT_FSIZE stops the file at a few bytes even for
// root. The old settings must survive whole and no temporary file may stay behind.
TEST_F(IniFileTest, FullDiskLeavesTheOldFileIntact) {
    const QByteArray before = "[General]\nProfile=P\nAutoStart=0\n";
    const QString path = WriteFile(before);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &small);
        writeIniValue(path, QStringLiteral("General"), QStringLiteral("Profile"),
                      QString(200, QLatin1Char('x')));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the write crashed";
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("t.ini")});
}

// A read-only folder. chmod does not stop root, so the write runs as "nobody" in a child.
TEST_F(IniFileTest, ReadOnlyFolderLeavesTheOldFileIntact) {
    const QByteArray before = "[General]\nProfile=P\n";
    const QString path = WriteFile(before);
    QFile::setPermissions(
        path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                           QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(3);
        }
        // Still readable to the child, or the test proves nothing.
        if (readIniValue(path, QStringLiteral("General"), QStringLiteral("Profile")) !=
            QStringLiteral("P")) {
            ::_exit(4);
        }
        writeIniValue(path, QStringLiteral("General"), QStringLiteral("Profile"),
                      QStringLiteral("changed"));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3 || WEXITSTATUS(status) == 4) {
        GTEST_SKIP() << "cannot run as an unprivileged user that can read the temporary folder";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(path), before);
}

}  // namespace
