#include "core/settings/app_settings.h"

#include "core/settings/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdint>
#include <limits>
#include <random>

namespace {

class LoadSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        appSettings = AppSettingsRecord{};
        // Values that no default has, so a field loadSettings forgets to set shows up.
        appSettings.generalProfile = QStringLiteral("stale");
        appSettings.quickProfile = QStringLiteral("stale");
        appSettings.targetDir = QStringLiteral("stale");
        appSettings.cpuPriority = 77;
        appSettings.overwriteExist = false;
        appSettings.deleteSource = true;
        appSettings.autoStart = false;
        appSettings.sameTargetDir = false;
        appSettings.wmaToFlac = true;
        appSettings.keepFolders = false;
        appSettings.skipConverted = true;
        appSettings.iniPath = dir_.filePath(QStringLiteral("Sonawell.ini"));
    }

    void WriteIni(const QByteArray& bytes) const {
        QFile file(appSettings.iniPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static QByteArray ReadIni() {
        QFile file(appSettings.iniPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void ExpectDefaults() {
        EXPECT_EQ(appSettings.generalProfile, QString());
        EXPECT_EQ(appSettings.quickProfile, QString());
        EXPECT_EQ(appSettings.targetDir, QString());
        EXPECT_EQ(appSettings.cpuPriority, 0);
        EXPECT_TRUE(appSettings.overwriteExist);
        EXPECT_FALSE(appSettings.deleteSource);
        EXPECT_TRUE(appSettings.autoStart);
        EXPECT_TRUE(appSettings.sameTargetDir);
        EXPECT_FALSE(appSettings.wmaToFlac);
        EXPECT_TRUE(appSettings.keepFolders);
        EXPECT_FALSE(appSettings.skipConverted);
    }

    QTemporaryDir dir_;
};

TEST_F(LoadSettingsTest, MissingEmptyOrGarbageFileGivesDefaults) {
    const QString iniPath = appSettings.iniPath;
    loadSettings();
    ExpectDefaults();
    EXPECT_EQ(appSettings.iniPath, iniPath);

    WriteIni(QByteArray());
    loadSettings();
    ExpectDefaults();

    std::mt19937 random(42);
    QByteArray garbage(64 * 1024, '\0');
    for (char& byte : garbage) {
        byte = static_cast<char>(random() & 0xFF);
    }
    // No accidental "[General]" in the noise.
    garbage.replace('[', 'x');
    WriteIni(garbage);
    loadSettings();
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
        "SkipConverted=1\r\n"
        "[Quick Convert]\r\n"
        "Profile=Audio for voice (32 Kbps, 22 kHz, mono)\r\n"
        "SameTargetDir=0\r\n"
        "TargetDir=/home/me/Music/wma\r\n"
        "WmaFormat=flac\r\n"
        "KeepFolders=0\r\n");
    loadSettings();
    EXPECT_EQ(appSettings.generalProfile,
              QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)"));
    EXPECT_EQ(appSettings.quickProfile, QStringLiteral("Audio for voice (32 Kbps, 22 kHz, mono)"));
    EXPECT_EQ(appSettings.cpuPriority, 2);
    EXPECT_FALSE(appSettings.overwriteExist);
    EXPECT_TRUE(appSettings.deleteSource);
    EXPECT_FALSE(appSettings.autoStart);
    EXPECT_FALSE(appSettings.sameTargetDir);
    EXPECT_EQ(appSettings.targetDir, QStringLiteral("/home/me/Music/wma"));
    EXPECT_TRUE(appSettings.wmaToFlac);
    EXPECT_FALSE(appSettings.keepFolders);
    EXPECT_TRUE(appSettings.skipConverted);
}

TEST_F(LoadSettingsTest, WrittenKeysAreSeenByTheNextLoadAndSavedOnesReadBack) {
    writeIniValue(appSettings.iniPath, QStringLiteral("General"), QStringLiteral("DeleteSource"),
                  QStringLiteral("1"));
    writeIniValue(appSettings.iniPath, QStringLiteral("Quick Convert"), QStringLiteral("TargetDir"),
                  QStringLiteral("/out"));
    loadSettings();
    EXPECT_TRUE(appSettings.deleteSource);
    EXPECT_EQ(appSettings.targetDir, QStringLiteral("/out"));
    writeIniValue(appSettings.iniPath, QStringLiteral("General"), QStringLiteral("DeleteSource"),
                  QStringLiteral("0"));
    loadSettings();
    EXPECT_FALSE(appSettings.deleteSource);
    EXPECT_EQ(appSettings.targetDir, QStringLiteral("/out"));

    // Every field saveSettings writes is read back as it was.
    AppSettingsRecord saved;
    saved.iniPath = appSettings.iniPath;
    saved.generalProfile = QStringLiteral("General one");
    saved.quickProfile = QStringLiteral("Quick one");
    saved.cpuPriority = 2;
    saved.overwriteExist = false;
    saved.deleteSource = true;
    saved.autoStart = false;
    saved.sameTargetDir = false;
    saved.wmaToFlac = true;
    saved.keepFolders = false;
    saved.skipConverted = true;
    // A path is read whole, however long; other values keep the 254-character cut.
    saved.targetDir = QStringLiteral("/music/") + QString(293, QLatin1Char('d'));
    ASSERT_EQ(saved.targetDir.size(), 300);
    EXPECT_EQ(saveSettings(saved), QString());
    const AppSettingsRecord read = readSettings(saved.iniPath);
    EXPECT_EQ(read.generalProfile, saved.generalProfile);
    EXPECT_EQ(read.quickProfile, saved.quickProfile);
    EXPECT_EQ(read.cpuPriority, 2);
    EXPECT_FALSE(read.overwriteExist);
    EXPECT_TRUE(read.deleteSource);
    EXPECT_FALSE(read.autoStart);
    EXPECT_FALSE(read.sameTargetDir);
    EXPECT_EQ(read.targetDir, saved.targetDir);
    EXPECT_TRUE(read.wmaToFlac);
    EXPECT_FALSE(read.keepFolders);
    EXPECT_TRUE(read.skipConverted);
    saved.quickProfile = QString(300, QLatin1Char('p'));
    EXPECT_EQ(saveSettings(saved), QString());
    EXPECT_EQ(readSettings(saved.iniPath).quickProfile, QString(254, QLatin1Char('p')));

    // A file that can't be written is reported with its path and why, and nothing is lost
    // silently: the caller gets the reason.
    QFile blocker(dir_.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    saved.iniPath = dir_.filePath(QStringLiteral("blocker/Sonawell.ini"));
    const QString reason = saveSettings(saved);
    EXPECT_FALSE(reason.isEmpty());
    const QString message = settingsWriteMessage(saved.iniPath, reason);
    EXPECT_TRUE(message.contains(saved.iniPath)) << message.toStdString();
    EXPECT_TRUE(message.contains(reason)) << message.toStdString();

    // A disk that fills part-way through the save (a file-size limit just above the file's
    // size stands in for it): the first keys would fit, the long folder not. Nothing is
    // written then, not some of the keys.
    saved.iniPath = appSettings.iniPath;
    saved.targetDir = QStringLiteral("/short");
    ASSERT_EQ(saveSettings(saved), QString());
    const QByteArray before = ReadIni();
    AppSettingsRecord changed = saved;
    changed.generalProfile = QStringLiteral("General two");
    changed.deleteSource = false;
    changed.targetDir = QStringLiteral("/music/") + QString(200, QLatin1Char('e'));
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    rlimit limit = oldLimit;
    limit.rlim_cur = static_cast<rlim_t>(before.size() + 40);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const QString full = saveSettings(changed);
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(full.isEmpty());
    EXPECT_EQ(ReadIni(), before);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("blocker"), QStringLiteral("Sonawell.ini")}))
        << "no temporary file is left";
    EXPECT_EQ(readSettings(saved.iniPath).generalProfile, saved.generalProfile);
    EXPECT_TRUE(readSettings(saved.iniPath).deleteSource);
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
    loadSettings();
    EXPECT_EQ(appSettings.cpuPriority, 0);
    EXPECT_TRUE(appSettings.overwriteExist);
    EXPECT_TRUE(appSettings.deleteSource);
    // Not a number: the default, as if the key were absent.
    EXPECT_TRUE(appSettings.autoStart);
    EXPECT_TRUE(appSettings.sameTargetDir);

    WriteIni(
        "[General]\n"
        "CPUPriority=99999999999\n"
        "OverwriteExist=0\n"
        "DeleteSource=2\n"
        "AutoStart=0x1\n"
        "[Quick Convert]\n"
        "SameTargetDir= 0 \n");
    loadSettings();
    EXPECT_EQ(appSettings.cpuPriority, std::numeric_limits<int32_t>::max());
    EXPECT_FALSE(appSettings.overwriteExist);
    EXPECT_TRUE(appSettings.deleteSource);
    EXPECT_FALSE(appSettings.autoStart);
    EXPECT_FALSE(appSettings.sameTargetDir);

    WriteIni("[General]\nCPUPriority=-99999999999\nDeleteSource=yes\n");
    loadSettings();
    EXPECT_EQ(appSettings.cpuPriority, std::numeric_limits<int32_t>::min());
    EXPECT_FALSE(appSettings.deleteSource);

    WriteIni("[General]\nCPUPriority=  12abc\n");
    loadSettings();
    EXPECT_EQ(appSettings.cpuPriority, 12);
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
    loadSettings();
    EXPECT_FALSE(appSettings.autoStart);
    EXPECT_EQ(appSettings.generalProfile, QStringLiteral("at the end"));
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
        setProgramFolder(QString());
    }

    QTemporaryDir dir_;
    QByteArray savedXdg_;
    bool hadXdg_ = false;
};

TEST_F(SettingsPathTest, WritableProgramFolderHoldsTheFile) {
    EXPECT_EQ(settingsPathFor(dir_.path()), dir_.filePath(QStringLiteral("Sonawell.ini")));
}

TEST_F(SettingsPathTest, UnusableProgramFolderFallsBackToXdgConfig) {
    const QString xdgPath = dir_.filePath(QStringLiteral("config/Sonawell/Sonawell.ini"));
    EXPECT_EQ(settingsPathFor(dir_.filePath(QStringLiteral("no/such/folder"))), xdgPath);
    EXPECT_EQ(settingsPathFor(QString()), xdgPath);

    // writeIniValue creates the configuration folder on first use.
    writeIniValue(xdgPath, QStringLiteral("General"), QStringLiteral("AutoStart"),
                  QStringLiteral("0"));
    EXPECT_EQ(readIniValue(xdgPath, QStringLiteral("general"), QStringLiteral("autostart")),
              QStringLiteral("0"));

    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(settingsPathFor(QString()),
              QDir::homePath() + QStringLiteral("/.config/Sonawell/Sonawell.ini"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsPathFor(QString()),
              QDir::homePath() + QStringLiteral("/.config/Sonawell/Sonawell.ini"));
}

// A program folder the user cannot write is never used, even when it holds the file (one run as
// root may have left it there): the per-user file is, copied once from it. Root writes
// everywhere, so the check runs as "nobody" in a child.
TEST_F(SettingsPathTest, ReadOnlyProgramFolderFallsBackToThePerUserFileSeededFromIt) {
    const QString withFile = dir_.filePath(QStringLiteral("with"));
    const QString withoutFile = dir_.filePath(QStringLiteral("without"));
    const QString config = dir_.filePath(QStringLiteral("config"));
    ASSERT_TRUE(QDir().mkpath(withFile));
    ASSERT_TRUE(QDir().mkpath(withoutFile));
    ASSERT_TRUE(QDir().mkpath(config));
    const QString shared = withFile + QStringLiteral("/Sonawell.ini");
    writeIniValue(shared, QStringLiteral("General"), QStringLiteral("Profile"),
                  QStringLiteral("Shared"));
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    const auto everyone = readOnly | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    for (const QString& folder : {dir_.path(), withFile, withoutFile}) {
        QFile::setPermissions(folder, readOnly);
    }
    QFile::setPermissions(config, everyone);
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
        // Nothing to copy from: the per-user file is only named.
        failures += settingsPathFor(withoutFile) != xdgPath || QFile::exists(xdgPath);
        failures += (settingsPathFor(withFile) != xdgPath) * 2;
        failures += (readIniValue(xdgPath, QStringLiteral("General"), QStringLiteral("Profile")) !=
                     QStringLiteral("Shared")) *
                    4;
        // Seeded once: the user's own changes are not replaced at the next start.
        failures += (!writeIniValue(xdgPath, QStringLiteral("General"), QStringLiteral("Profile"),
                                    QStringLiteral("Mine"))
                          .isEmpty() ||
                     settingsPathFor(withFile) != xdgPath ||
                     readIniValue(xdgPath, QStringLiteral("General"), QStringLiteral("Profile")) !=
                         QStringLiteral("Mine")) *
                    8;
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
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "10 plus: 1 file made without a source, 2 read-only folder used, 4 not seeded, "
           "8 seeded again over the user's file";
}

TEST_F(SettingsPathTest, ProgramFolderDefaultsToTheApplicationsFolder) {
    EXPECT_EQ(programFolder(), QCoreApplication::applicationDirPath());
    setProgramFolder(dir_.path());
    EXPECT_EQ(programFolder(), dir_.path());
    setProgramFolder(QString());
    EXPECT_EQ(programFolder(), QCoreApplication::applicationDirPath());
}

}  // namespace
