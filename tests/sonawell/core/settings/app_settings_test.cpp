#include "core/settings/app_settings.h"

#include "core/settings/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <random>

namespace {

class LoadSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        AppSettings = AppSettingsRecord{};
        // Values that no default has, so a field LoadSettings forgets to set shows up.
        AppSettings.GeneralProfile = QStringLiteral("stale");
        AppSettings.QuickProfile = QStringLiteral("stale");
        AppSettings.TargetDir = QStringLiteral("stale");
        AppSettings.CPUPriority = 77;
        AppSettings.OverwriteExist = false;
        AppSettings.DeleteSource = true;
        AppSettings.AutoStart = false;
        AppSettings.SameTargetDir = false;
        AppSettings.IniPath = dir_.filePath(QStringLiteral("Sonawell.ini"));
    }

    void WriteIni(const QByteArray& bytes) const {
        QFile file(AppSettings.IniPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static void ExpectDefaults() {
        EXPECT_EQ(AppSettings.GeneralProfile, QString());
        EXPECT_EQ(AppSettings.QuickProfile, QString());
        EXPECT_EQ(AppSettings.TargetDir, QString());
        EXPECT_EQ(AppSettings.CPUPriority, 0);
        EXPECT_TRUE(AppSettings.OverwriteExist);
        EXPECT_FALSE(AppSettings.DeleteSource);
        EXPECT_TRUE(AppSettings.AutoStart);
        EXPECT_TRUE(AppSettings.SameTargetDir);
    }

    QTemporaryDir dir_;
};

TEST_F(LoadSettingsTest, MissingEmptyOrGarbageFileGivesDefaults) {
    const QString iniPath = AppSettings.IniPath;
    LoadSettings();
    ExpectDefaults();
    EXPECT_EQ(AppSettings.IniPath, iniPath);

    WriteIni(QByteArray());
    LoadSettings();
    ExpectDefaults();

    std::mt19937 random(42);
    QByteArray garbage(64 * 1024, '\0');
    for (char& byte : garbage) {
        byte = static_cast<char>(random() & 0xFF);
    }
    // No accidental "[General]" in the noise.
    garbage.replace('[', 'x');
    WriteIni(garbage);
    LoadSettings();
    ExpectDefaults();
}

TEST_F(LoadSettingsTest, ReadsEveryKeyOfBothSections) {
    WriteIni(
        "[General]\r\n"
        "Profile=Audio for CD quality (128 Kbps, 44 kHz, stereo)\r\n"
        "CPUPriority=2\r\n"
        "OverwriteExist=0\r\n"
        "DeleteSource=1\r\n"
        "AutoStart=0\r\n"
        "[Quick Convert]\r\n"
        "Profile=Audio for voice (32 Kbps, 22 kHz, mono)\r\n"
        "SameTargetDir=0\r\n"
        "TargetDir=/home/me/Music/wma\r\n");
    LoadSettings();
    EXPECT_EQ(AppSettings.GeneralProfile,
              QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)"));
    EXPECT_EQ(AppSettings.QuickProfile, QStringLiteral("Audio for voice (32 Kbps, 22 kHz, mono)"));
    EXPECT_EQ(AppSettings.CPUPriority, 2);
    EXPECT_FALSE(AppSettings.OverwriteExist);
    EXPECT_TRUE(AppSettings.DeleteSource);
    EXPECT_FALSE(AppSettings.AutoStart);
    EXPECT_FALSE(AppSettings.SameTargetDir);
    EXPECT_EQ(AppSettings.TargetDir, QStringLiteral("/home/me/Music/wma"));
}

TEST_F(LoadSettingsTest, WrittenKeysAreSeenByTheNextLoadAndSavedOnesReadBack) {
    WriteIniValue(AppSettings.IniPath, QStringLiteral("General"), QStringLiteral("DeleteSource"),
                  QStringLiteral("1"));
    WriteIniValue(AppSettings.IniPath, QStringLiteral("Quick Convert"), QStringLiteral("TargetDir"),
                  QStringLiteral("/out"));
    LoadSettings();
    EXPECT_TRUE(AppSettings.DeleteSource);
    EXPECT_EQ(AppSettings.TargetDir, QStringLiteral("/out"));
    WriteIniValue(AppSettings.IniPath, QStringLiteral("General"), QStringLiteral("DeleteSource"),
                  QStringLiteral("0"));
    LoadSettings();
    EXPECT_FALSE(AppSettings.DeleteSource);
    EXPECT_EQ(AppSettings.TargetDir, QStringLiteral("/out"));

    // Every field SaveSettings writes is read back as it was.
    AppSettingsRecord saved;
    saved.IniPath = AppSettings.IniPath;
    saved.GeneralProfile = QStringLiteral("General one");
    saved.QuickProfile = QStringLiteral("Quick one");
    saved.CPUPriority = 2;
    saved.OverwriteExist = false;
    saved.DeleteSource = true;
    saved.AutoStart = false;
    saved.SameTargetDir = false;
    saved.TargetDir = QStringLiteral("/music");
    SaveSettings(saved);
    const AppSettingsRecord read = ReadSettings(saved.IniPath);
    EXPECT_EQ(read.GeneralProfile, saved.GeneralProfile);
    EXPECT_EQ(read.QuickProfile, saved.QuickProfile);
    EXPECT_EQ(read.CPUPriority, 2);
    EXPECT_FALSE(read.OverwriteExist);
    EXPECT_TRUE(read.DeleteSource);
    EXPECT_FALSE(read.AutoStart);
    EXPECT_FALSE(read.SameTargetDir);
    EXPECT_EQ(read.TargetDir, saved.TargetDir);
}

TEST_F(LoadSettingsTest, NumbersAreReadFromTheirLeadingDigits) {
    WriteIni(
        "[General]\n"
        "CPUPriority=yes\n"
        "OverwriteExist=\n"
        "DeleteSource=-1\n"
        "AutoStart=yes\n"
        "[Quick Convert]\n"
        "SameTargetDir=99999999999\n");
    LoadSettings();
    EXPECT_EQ(AppSettings.CPUPriority, 0);
    EXPECT_TRUE(AppSettings.OverwriteExist);
    EXPECT_TRUE(AppSettings.DeleteSource);
    // Not a number: the default, as if the key were absent.
    EXPECT_TRUE(AppSettings.AutoStart);
    EXPECT_TRUE(AppSettings.SameTargetDir);

    WriteIni(
        "[General]\n"
        "CPUPriority=99999999999\n"
        "OverwriteExist=0\n"
        "DeleteSource=2\n"
        "AutoStart=0x1\n"
        "[Quick Convert]\n"
        "SameTargetDir= 0 \n");
    LoadSettings();
    EXPECT_EQ(AppSettings.CPUPriority, std::numeric_limits<int32_t>::max());
    EXPECT_FALSE(AppSettings.OverwriteExist);
    EXPECT_TRUE(AppSettings.DeleteSource);
    EXPECT_FALSE(AppSettings.AutoStart);
    EXPECT_FALSE(AppSettings.SameTargetDir);

    WriteIni("[General]\nCPUPriority=-99999999999\nDeleteSource=yes\n");
    LoadSettings();
    EXPECT_EQ(AppSettings.CPUPriority, std::numeric_limits<int32_t>::min());
    EXPECT_FALSE(AppSettings.DeleteSource);

    WriteIni("[General]\nCPUPriority=  12abc\n");
    LoadSettings();
    EXPECT_EQ(AppSettings.CPUPriority, 12);
}

TEST_F(LoadSettingsTest, TenMegabyteFileIsReadToTheEnd) {
    QByteArray big;
    big.reserve(10 * 1024 * 1024 + 200);
    const QByteArray filler = "; filler line that is not a key at all\n";
    while (big.size() < 10 * 1024 * 1024) {
        big += filler;
    }
    big += "[General]\nAutoStart=0\nProfile=at the end\n";
    WriteIni(big);
    LoadSettings();
    EXPECT_FALSE(AppSettings.AutoStart);
    EXPECT_EQ(AppSettings.GeneralProfile, QStringLiteral("at the end"));
}

class SettingsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        savedXdg_ = qgetenv("XDG_CONFIG_HOME");
        hadXdg_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("config"))));
    }
    void TearDown() override {
        if (hadXdg_) {
            qputenv("XDG_CONFIG_HOME", savedXdg_);
        } else {
            qunsetenv("XDG_CONFIG_HOME");
        }
        SetProgramFolder(QString());
    }

    QTemporaryDir dir_;
    QByteArray savedXdg_;
    bool hadXdg_ = false;
};

TEST_F(SettingsPathTest, WritableProgramFolderHoldsTheFile) {
    EXPECT_EQ(SettingsPathFor(dir_.path()), dir_.filePath(QStringLiteral("Sonawell.ini")));
}

TEST_F(SettingsPathTest, UnusableProgramFolderFallsBackToXdgConfig) {
    const QString xdgPath = dir_.filePath(QStringLiteral("config/Sonawell/Sonawell.ini"));
    EXPECT_EQ(SettingsPathFor(dir_.filePath(QStringLiteral("no/such/folder"))), xdgPath);
    EXPECT_EQ(SettingsPathFor(QString()), xdgPath);

    // WriteIniValue creates the configuration folder on first use.
    WriteIniValue(xdgPath, QStringLiteral("General"), QStringLiteral("AutoStart"),
                  QStringLiteral("0"));
    EXPECT_EQ(ReadIniValue(xdgPath, QStringLiteral("general"), QStringLiteral("autostart")),
              QStringLiteral("0"));

    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(SettingsPathFor(QString()),
              QDir::homePath() + QStringLiteral("/.config/Sonawell/Sonawell.ini"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsPathFor(QString()),
              QDir::homePath() + QStringLiteral("/.config/Sonawell/Sonawell.ini"));
}

// A program folder the user cannot write: the file there is used if it exists, else the
// configuration folder. Root writes everywhere, so the check runs as "nobody" in a child.
TEST_F(SettingsPathTest, ReadOnlyProgramFolderIsUsedOnlyWhenItHoldsTheFile) {
    const QString withFile = dir_.filePath(QStringLiteral("with"));
    const QString withoutFile = dir_.filePath(QStringLiteral("without"));
    ASSERT_TRUE(QDir().mkpath(withFile));
    ASSERT_TRUE(QDir().mkpath(withoutFile));
    QFile ini(withFile + QStringLiteral("/Sonawell.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.close();
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    for (const QString& folder : {dir_.path(), withFile, withoutFile}) {
        QFile::setPermissions(folder, readOnly);
    }
    const QString xdgPath = dir_.filePath(QStringLiteral("config/Sonawell/Sonawell.ini"));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(3);
        }
        if (::access(QFile::encodeName(withFile).constData(), X_OK) != 0) {
            ::_exit(3);
        }
        int failures = 0;
        failures += SettingsPathFor(withFile) != withFile + QStringLiteral("/Sonawell.ini");
        failures += (SettingsPathFor(withoutFile) != xdgPath) * 2;
        ::_exit(failures == 0 ? 0 : 10 + failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    for (const QString& folder : {dir_.path(), withFile, withoutFile}) {
        QFile::setPermissions(folder, readOnly | QFile::WriteOwner);
    }
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) {
        GTEST_SKIP() << "cannot run as an unprivileged user that can reach the temporary folder";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "11: existing file ignored, 12: read-only folder used";
}

TEST_F(SettingsPathTest, ProgramFolderDefaultsToTheApplicationsFolder) {
    EXPECT_EQ(ProgramFolder(), QCoreApplication::applicationDirPath());
    SetProgramFolder(dir_.path());
    EXPECT_EQ(ProgramFolder(), dir_.path());
    SetProgramFolder(QString());
    EXPECT_EQ(ProgramFolder(), QCoreApplication::applicationDirPath());
}

}  // namespace
