// The built program from a program folder of the test's own, on a bus of the test's own:
// handed-in MP3 files become WMA files with their tags, and a call while it isn't running
// starts it through the service file the program writes for itself.

#include "core/automation/session_service_file.h"
#include "core/settings/ini_file.h"
#include "id3prop/asf_attribute_writer.h"
#include "quillmark/private_bus.h"
#include "quillmark/quick_convert_client.h"
#include "support/audio_fixtures.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <QUrl>

#include <asffile.h>
#include <attachedpictureframe.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <id3v2tag.h>
#include <infotag.h>
#include <mpegfile.h>
#include <signal.h>
#include <wavfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using quillmarktest::PrivateBus;
using quillmarktest::TempFolder;
namespace fs = std::filesystem;

namespace {

constexpr char kProfile[] = "Audio for CD quality (128 Kbps, 44 kHz, stereo)";

// A copy of the program and the libraries it loads by name, with settings under which it
// asks nothing: both profiles chosen, AutoStart on, normal priority.
fs::path MakeProgramFolder(const fs::path& folder) {
    const fs::path built = testsupport::BinDir().toStdString();
    fs::create_directories(folder);
    for (const char* name : {"sonawell", "libmellorin.so", "libid3prop.so"}) {
        fs::copy_file(built / name, folder / name);
    }
    std::ofstream(folder / "Sonawell.ini")
        << "[General]\r\nProfile=" << kProfile
        << "\r\nAutoStart=1\r\nCPUPriority=1\r\nDeleteSource=0\r\nOverwriteExist=1\r\n"
        << "[Quick Convert]\r\nProfile=" << kProfile << "\r\nSameTargetDir=1\r\n";
    return folder / "sonawell";
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

GDBusConnection* Connect(const std::string& address) {
    return g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
}

// The process that owns the quick-convert name on the bus, 0 when none does.
pid_t OwnerPid(const std::string& address) {
    g_autoptr(GDBusConnection) bus = Connect(address);
    if (bus == nullptr) {
        return 0;
    }
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetConnectionUnixProcessID",
        g_variant_new("(s)", std::string(quickconvert::kBusName).c_str()), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    guint32 pid = 0;
    if (reply != nullptr) {
        g_variant_get(reply, "(u)", &pid);
    }
    return static_cast<pid_t>(pid);
}

// Ended: no longer there, or a zombie. The bus starts the program detached, so init is its
// parent and reaps it in its own time.
bool ProcessGone(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, name, state;
    return !(stat >> pidField >> name >> state) || state == "Z";
}

// Ends the program that the bus started, and waits until it has gone.
struct StopOwnerAtEnd {
    const std::string& address;
    ~StopOwnerAtEnd() {
        const pid_t pid = OwnerPid(address);
        if (pid > 0) {
            kill(pid, SIGTERM);
            WaitFor([pid] { return ProcessGone(pid); }, std::chrono::seconds(10));
        }
    }
};

struct Tagged {
    std::string path;
    testsupport::Id3v1 tag;
};

void MakeTaggedMp3(const Tagged& file) {
    const QString path = QString::fromStdString(file.path);
    ASSERT_TRUE(testsupport::MakeMp3(path, 1.0));
    ASSERT_TRUE(testsupport::AppendId3v1(path, file.tag));
}

std::string WmaPath(const std::string& mp3) {
    return mp3.substr(0, mp3.rfind('.') + 1) + "wma";
}

// The WMA attributes a file carries, as text; empty when the file can't be read yet.
std::map<std::string, std::string> Attributes(const std::string& path) {
    std::map<std::string, std::string> found;
    TagLib::ASF::File file(path.c_str());
    if (!file.isValid() || file.tag() == nullptr) {
        return found;
    }
    TagLib::ASF::Tag* tag = file.tag();
    found["Title"] = tag->title().to8Bit(true);
    found["Author"] = tag->artist().to8Bit(true);
    found["Description"] = tag->comment().to8Bit(true);
    for (const auto& [name, list] : tag->attributeListMap()) {
        if (list.isEmpty()) {
            continue;
        }
        const TagLib::ASF::Attribute& value = list.front();
        found[name.to8Bit(true)] = value.type() == TagLib::ASF::Attribute::DWordType
                                       ? std::to_string(value.toUInt())
                                       : value.toString().to8Bit(true);
    }
    return found;
}

// What differs between the attributes found and those expected, one line each; a tag
// without a track number must carry no "WM/Track".
std::string Differences(const std::map<std::string, std::string>& found,
                        const std::map<std::string, std::string>& expected) {
    std::string report;
    for (const auto& [name, value] : expected) {
        const auto it = found.find(name);
        if (it == found.end() || it->second != value) {
            report += name + ": expected \"" + value + "\", got " +
                      (it == found.end() ? std::string("nothing") : "\"" + it->second + "\"") +
                      "\n";
        }
    }
    if (expected.count("WM/Track") == 0 && found.count("WM/Track") > 0) {
        report += "WM/Track: expected nothing, got \"" + found.at("WM/Track") + "\"\n";
    }
    return report;
}

// Ends a started program however the test is left: asked first, then killed.
struct EndProgram {
    QProcess& process;
    ~EndProgram() {
        process.terminate();
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
        }
    }
};

class QuickProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(fs::path(testsupport::BinDir().toStdString()) / "sonawell")) {
            GTEST_SKIP() << "the program is not built in " << testsupport::BinDir().toStdString();
        }
        program_ = MakeProgramFolder(fs::path(home_.path()) / "program 'x' \"y\" $z");
        music_ = home_.file("my music");
        fs::create_directories(music_);
        // What the programs started here, by the test or by a bus, see.
        g_setenv("XDG_DATA_HOME", home_.file("data").c_str(), TRUE);
        g_setenv("XDG_CONFIG_HOME", home_.file("config").c_str(), TRUE);
        g_setenv("XDG_STATE_HOME", home_.file("state").c_str(), TRUE);
        g_setenv("QT_QPA_PLATFORM", "offscreen", TRUE);
    }

    std::string servicesFolder() const { return home_.file("data/dbus-1/services"); }

    TempFolder home_;
    fs::path program_;
    std::string music_;
};

TEST_F(QuickProgram, ThreeTaggedMp3FilesBecomeThreeTaggedWmaFiles) {
    std::vector<Tagged> files(3);
    files[0] = {music_ + "/01 Opening.mp3",
                {"Opening", "Bj\xf6rk Tester", "First Album", "1997", "track one", 17, 1}};
    files[1] = {music_ + "/02 \"Quoted\".mp3",
                {"Second Song", "Another Artist", "Second Album", "2004", "", 0, 12}};
    files[2] = {music_ + "/03 plain.mp3", {"Third", "Third Artist", "", "1980", "v1 tag", 80, 0}};
    for (const Tagged& file : files) {
        MakeTaggedMp3(file);
    }

    PrivateBus bus;
    QProcess sonawell;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromStdString(bus.address()));
    sonawell.setProcessEnvironment(env);
    sonawell.setProcessChannelMode(QProcess::ForwardedChannels);
    sonawell.start(QString::fromStdString(program_.string()), {});
    ASSERT_TRUE(sonawell.waitForStarted());
    EndProgram end{sonawell};

    ASSERT_TRUE(WaitFor([&] { return OwnerPid(bus.address()) == sonawell.processId(); },
                        std::chrono::seconds(20)))
        << "the program did not take its bus name";
    const auto result = quickconvert::AddJobs(
        quickconvert::kProgId, {files[0].path, files[1].path, files[2].path}, bus.address());
    ASSERT_TRUE(result.allHandedOver()) << result.unreachable;

    const std::vector<std::map<std::string, std::string>> expected = {
        {{"Title", "Opening"},
         {"Author", "Bj\xc3\xb6rk Tester"},
         {"WM/AlbumTitle", "First Album"},
         {"WM/Year", "1997"},
         {"Description", "track one"},
         {"WM/GenreID", "17"},
         {"WM/Track", "1"}},
        {{"Title", "Second Song"},
         {"Author", "Another Artist"},
         {"WM/AlbumTitle", "Second Album"},
         {"WM/Year", "2004"},
         {"Description", ""},
         {"WM/GenreID", "0"},
         {"WM/Track", "12"}},
        {{"Title", "Third"},
         {"Author", "Third Artist"},
         {"WM/Year", "1980"},
         {"Description", "v1 tag"},
         {"WM/GenreID", "80"}},
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string target = WmaPath(files[i].path);
        SCOPED_TRACE(target);
        // The attributes are written one by one once the encoding has ended.
        WaitFor([&] { return Differences(Attributes(target), expected[i]).empty(); },
                std::chrono::seconds(60));
        EXPECT_EQ(Differences(Attributes(target), expected[i]), "");
        EXPECT_EQ(testsupport::ProbeCodecAndFormat(QString::fromStdString(target)),
                  QStringLiteral("wmav2|asf"));
    }

    // Nothing installed provides the name, so it wrote the file through which a bus can start
    // it.
    std::ifstream service(servicesFolder() + "/Sonawell.QuickConvertEngine.service");
    const std::string serviceText((std::istreambuf_iterator<char>(service)),
                                  std::istreambuf_iterator<char>());
    EXPECT_NE(serviceText.find("Name=Sonawell.QuickConvertEngine\n"), std::string::npos);
    EXPECT_NE(serviceText.find("sonawell\"\n"), std::string::npos) << serviceText;
}

TEST_F(QuickProgram, OneCallWhileItIsNotRunningStartsItThroughItsServiceFile) {
    // The service file as a program run from its build folder writes it for itself, here for
    // the copy.
    ASSERT_TRUE(updateSessionServiceFile(QString::fromStdString(program_.string()), {}));
    const Tagged file{music_ + "/started by the bus.mp3",
                      {"Woken", "Bus Activation", "", "2024", "", 0, 7}};
    MakeTaggedMp3(file);

    PrivateBus bus(servicesFolder());
    StopOwnerAtEnd stop{bus.address()};
    ASSERT_EQ(OwnerPid(bus.address()), 0) << "something owns the name already";

    const auto result = quickconvert::AddJobs(quickconvert::kProgId, {file.path}, bus.address());
    ASSERT_TRUE(result.allHandedOver()) << result.unreachable;
    EXPECT_EQ(result.busName, std::string(quickconvert::kBusName));

    const pid_t pid = OwnerPid(bus.address());
    ASSERT_GT(pid, 0);
    std::error_code error;
    EXPECT_TRUE(fs::equivalent("/proc/" + std::to_string(pid) + "/exe", program_, error))
        << "the bus started another program";

    const std::string target = WmaPath(file.path);
    ASSERT_TRUE(
        WaitFor([&] { return Attributes(target).count("WM/Track") > 0; }, std::chrono::seconds(60)))
        << "no tagged output";
    const auto attributes = Attributes(target);
    EXPECT_EQ(attributes.at("Title"), "Woken");
    EXPECT_EQ(attributes.at("Author"), "Bus Activation");
    EXPECT_EQ(attributes.at("WM/Track"), "7");
}

// "Open With" and a shell: the first `sonawell FILE` starts and converts the file once its
// window is up; a second one hands its file to the first over the bus and ends at once.
TEST_F(QuickProgram, FilesOnTheCommandLineBecomeJobsOfTheOneRunningProgram) {
    const Tagged first{music_ + "/first.mp3", {"First", "Command Line", "", "2025", "", 0, 1}};
    const Tagged second{music_ + "/second.mp3", {"Second", "Command Line", "", "2025", "", 0, 2}};
    MakeTaggedMp3(first);
    MakeTaggedMp3(second);

    PrivateBus bus;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromStdString(bus.address()));
    QProcess running;
    running.setProcessEnvironment(env);
    running.setProcessChannelMode(QProcess::ForwardedChannels);
    // A relative path, as a shell passes it: the program resolves it in its own folder.
    running.setWorkingDirectory(QString::fromStdString(music_));
    running.start(QString::fromStdString(program_.string()), {QStringLiteral("first.mp3")});
    ASSERT_TRUE(running.waitForStarted());
    EndProgram end{running};
    ASSERT_TRUE(WaitFor([&] { return Attributes(WmaPath(first.path)).count("WM/Track") > 0; },
                        std::chrono::seconds(60)))
        << "the file given to the first program became no job";

    QProcess handOver;
    handOver.setProcessEnvironment(env);
    handOver.setProcessChannelMode(QProcess::ForwardedChannels);
    const QString uri = QUrl::fromLocalFile(QString::fromStdString(second.path)).toString();
    handOver.start(QString::fromStdString(program_.string()), {uri});
    // Only a hang guard: the hand-over ends without waiting for the conversion.
    ASSERT_TRUE(handOver.waitForFinished(120000));
    EXPECT_EQ(handOver.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(handOver.exitCode(), 0);
    EXPECT_EQ(OwnerPid(bus.address()), running.processId());
    ASSERT_TRUE(WaitFor([&] { return Attributes(WmaPath(second.path)).count("WM/Track") > 0; },
                        std::chrono::seconds(60)))
        << "the running program got no job for the handed-over file";
    EXPECT_EQ(Attributes(WmaPath(second.path)).at("Title"), "Second");
}

// Kill at any moment: a batch of tagged MP3 and WMA files with covers, DeleteSource on and a
// target folder, the program ended with SIGKILL at moments spread over the run and started
// again each time. After every kill an output name holds a complete, tagged file or nothing,
// no source is gone whose output is not such a file, and the settings file reads as before;
// in the end every source is converted.
struct KillSource {
    std::string name;    // in the music folder
    std::string output;  // its name in the target folder
    std::string title;
    bool wma = false;
    // Two minutes of MP3 keep the encoder busy past the window's first progress update.
    double seconds = wma ? 3.0 : 120.0;
};

// A 1x1 PNG: the cover.
const QByteArray kCover(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00"
    "\x00\x00\x01\x08\x02\x00\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41\x54\x78"
    "\x9c\x63\xf8\xcf\xc0\x00\x00\x03\x01\x01\x00\xc9\xfe\x92\xef\x00\x00\x00\x00\x49\x45"
    "\x4e\x44\xae\x42\x60\x82",
    69);

void MakeKillSource(const std::string& path, const KillSource& source) {
    const QString name = QString::fromStdString(path);
    if (source.wma) {
        ASSERT_TRUE(testsupport::MakeWma(name, source.seconds));
        ASSERT_GE(id3prop::WriteAsfAttribute(path, "Title", source.title), 0);
        ASSERT_GE(id3prop::WriteAsfAttribute(path, "Author", std::string("Kill Test")), 0);
        ASSERT_GE(
            id3prop::WriteAsfAttribute(path, "WM/Picture",
                                       id3prop::Picture{"image/png", 3, "", kCover.toStdString()}),
            0);
        return;
    }
    ASSERT_TRUE(testsupport::MakeMp3(name, source.seconds));
    TagLib::MPEG::File file(path.c_str());
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setTitle(TagLib::String(source.title, TagLib::String::UTF8));
    tag->setArtist("Kill Test");
    auto* cover = new TagLib::ID3v2::AttachedPictureFrame;
    cover->setMimeType("image/png");
    cover->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    cover->setPicture(TagLib::ByteVector(kCover.constData(), static_cast<unsigned>(kCover.size())));
    tag->addFrame(cover);
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
}

// Why the file at an output name is not the complete, tagged conversion of `source`; empty
// when it is.
std::string OutputFault(const std::string& path, const KillSource& source) {
    const QString name = QString::fromStdString(path);
    const std::optional<double> seconds = testsupport::ProbeDuration(name);
    if (!seconds || std::abs(*seconds - source.seconds) > 0.2) {
        return "not the whole length: " + (seconds ? std::to_string(*seconds) : "unreadable");
    }
    if (source.wma) {
        TagLib::RIFF::WAV::File wave(path.c_str());
        if (testsupport::ProbeCodecAndFormat(name) != QStringLiteral("pcm_s16le|wav")) {
            return "not a PCM WAVE file";
        }
        if (!wave.isValid() || wave.InfoTag()->title().to8Bit(true) != source.title) {
            return "untagged";
        }
        return {};
    }
    if (testsupport::ProbeCodecAndFormat(name) != QStringLiteral("wmav2|asf")) {
        return "not a WMA file";
    }
    const auto attributes = Attributes(path);
    if (attributes.count("Title") == 0 || attributes.at("Title") != source.title ||
        attributes.count("WM/Picture") == 0) {
        return "untagged or without its cover";
    }
    return {};
}

TEST_F(QuickProgram, KilledAtAnyMomentNoOutputIsHalfWrittenAndNoSourceLost) {
    const std::string target = home_.file("converted");
    const std::string originals = home_.file("originals");
    fs::create_directories(target);
    fs::create_directories(originals);
    const std::string ini = (program_.parent_path() / "Sonawell.ini").string();
    std::ofstream(ini) << "[General]\r\nProfile=" << kProfile
                       << "\r\nAutoStart=1\r\nCPUPriority=1\r\nDeleteSource=1\r\nOverwriteExist=1"
                       << "\r\n[Quick Convert]\r\nProfile=" << kProfile
                       << "\r\nSameTargetDir=0\r\nTargetDir=" << target << "\r\n";
    const std::vector<KillSource> sources = {
        {"01 first.mp3", "01 first.wma", "First \xc3\xa9", false},
        {"02 second.wma", "02 second.wav", "Second", true},
        {"03 third.mp3", "03 third.wma", "Third", false},
        {"04 fourth.wma", "04 fourth.wav", "Fourth", true},
    };
    for (const KillSource& source : sources) {
        MakeKillSource(originals + "/" + source.name, source);
    }

    // Spread over a run of the four jobs: while encoding (the window's first progress update;
    // later ones come as fast as the machine is) and decoding (the decoder's blocks), inside the
    // tag write, at the link into place, around the source's deletion, late in the batch, and
    // inside the kept job list's rewrite.
    const char* const moments[] = {
        "progress:1",       "decode-block:1",  "tag-write:1",      "tag-written:1",
        "link:1",           "delete-source:1", "source-deleted:1", "decode-block:2",
        "tag-write:2",      "tag-written:2",   "link:2",           "delete-source:2",
        "source-deleted:2", "tag-write:3",     "link:3",           "source-deleted:3",
        "decode-block:7",   "tag-write:4",     "link:4",           "delete-source:4",
        "job-list-save:1",
    };

    PrivateBus bus;
    const std::string keptList = home_.file("state") + "/Sonawell/jobs.json";
    const auto checkInvariants = [&](const std::string& moment) {
        SCOPED_TRACE("after the kill at " + moment);
        if (fs::exists(keptList)) {
            QFile kept(QString::fromStdString(keptList));
            ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
            QJsonParseError error{};
            const QJsonDocument list = QJsonDocument::fromJson(kept.readAll(), &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
            EXPECT_TRUE(list.object().value(QStringLiteral("jobs")).isArray());
        }
        for (const KillSource& source : sources) {
            const std::string output = target + "/" + source.output;
            if (fs::exists(output)) {
                EXPECT_EQ(OutputFault(output, source), "") << output;
            }
            if (!fs::exists(music_ + "/" + source.name)) {
                EXPECT_TRUE(fs::exists(output)) << source.name << " deleted, no output";
            }
        }
        const QString iniPath = QString::fromStdString(ini);
        EXPECT_EQ(readIniValue(iniPath, QStringLiteral("General"), QStringLiteral("Profile")),
                  QLatin1String(kProfile));
        EXPECT_EQ(
            readIniPath(iniPath, QStringLiteral("Quick Convert"), QStringLiteral("TargetDir")),
            QString::fromStdString(target));
    };
    // Runs the program over every source until it is killed or, with no moment, until the
    // batch is done; true when it was killed.
    const auto run = [&](const char* moment) {
        // As a user who says No to bringing the kept jobs back and hands the files in again
        // (the restore itself is the window tests' part): no question waits for an answer.
        fs::remove(keptList);
        std::vector<std::string> handedIn;
        for (const KillSource& source : sources) {
            const std::string path = music_ + "/" + source.name;
            if (!fs::exists(path)) {
                fs::copy_file(originals + "/" + source.name, path);
            }
            handedIn.push_back(path);
        }
        QProcess sonawell;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QString::fromStdString(bus.address()));
        if (moment != nullptr) {
            env.insert(QStringLiteral("SONAWELL_KILL_AT"), QLatin1String(moment));
        }
        sonawell.setProcessEnvironment(env);
        sonawell.setProcessChannelMode(QProcess::ForwardedChannels);
        sonawell.start(QString::fromStdString(program_.string()), {});
        EXPECT_TRUE(sonawell.waitForStarted());
        EndProgram end{sonawell};
        EXPECT_TRUE(WaitFor([&] { return OwnerPid(bus.address()) == sonawell.processId(); },
                            std::chrono::seconds(60)))
            << "the program did not take its bus name";
        const auto result = quickconvert::AddJobs(quickconvert::kProgId, handedIn, bus.address());
        EXPECT_TRUE(result.allHandedOver()) << result.unreachable;
        const auto batchDone = [&] {
            return std::none_of(handedIn.begin(), handedIn.end(),
                                [](const std::string& path) { return fs::exists(path); });
        };
        // Only a hang guard: the moment comes, or the batch ends, long before.
        bool ended = false;
        EXPECT_TRUE(WaitFor(
            [&] {
                ended = ended || sonawell.waitForFinished(50);
                return ended || batchDone();
            },
            std::chrono::seconds(600)));
        return ended && sonawell.exitStatus() == QProcess::CrashExit;
    };

    for (const char* moment : moments) {
        EXPECT_TRUE(run(moment)) << "the batch ended before " << moment;
        checkInvariants(moment);
    }
    EXPECT_FALSE(run(nullptr));
    checkInvariants("none");
    for (const KillSource& source : sources) {
        EXPECT_FALSE(fs::exists(music_ + "/" + source.name)) << source.name;
        EXPECT_EQ(OutputFault(target + "/" + source.output, source), "") << source.output;
    }
}

// Killed inside the settings save, before or after the new file takes the old one's name:
// the file holds the old value or the new one, and every other key as before.
TEST_F(QuickProgram, KilledWhileSavingTheSettingsTheFileReadsWhole) {
    struct Row {
        const char* moment;
        const char* expected;
    };
    const Row rows[] = {{"settings-save:1", "0"}, {"settings-save:2", "1"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.moment);
        const std::string ini = home_.file(std::string("settings ") + row.moment + ".ini");
        std::ofstream(ini) << "[General]\r\nProfile=" << kProfile << "\r\nDeleteSource=0\r\n";
        QProcess writer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SONAWELL_KILL_AT"), QLatin1String(row.moment));
        writer.setProcessEnvironment(env);
        writer.setProcessChannelMode(QProcess::ForwardedChannels);
        // Two saves, DeleteSource then AutoStart: the kill falls inside the first or the second.
        writer.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--save-settings"), QString::fromStdString(ini)});
        ASSERT_TRUE(writer.waitForFinished(60000));
        EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);
        const QString path = QString::fromStdString(ini);
        EXPECT_EQ(readIniValue(path, QStringLiteral("General"), QStringLiteral("DeleteSource")),
                  QLatin1String(row.expected));
        EXPECT_EQ(readIniValue(path, QStringLiteral("General"), QStringLiteral("Profile")),
                  QLatin1String(kProfile));
        EXPECT_EQ(readIniValue(path, QStringLiteral("General"), QStringLiteral("AutoStart")),
                  QString());
    }
}

// A terminal with no display, as over ssh: --help and --version still answer, in the
// user's language, and nothing waits for a window system.
TEST_F(QuickProgram, HelpAndVersionAnswerWithoutADisplay) {
    struct Row {
        QStringList arguments;
        QString lang;
        QString expected;
    };
    const Row rows[] = {
        {{QStringLiteral("--version")}, QStringLiteral("C"), QStringLiteral("Sonawell 1.21")},
        {{QStringLiteral("--help")}, QStringLiteral("C"), QStringLiteral("[FILE...]")},
        {{QStringLiteral("a.mp3"), QStringLiteral("-h")},
         QStringLiteral("de_DE.UTF-8"),
         QStringLiteral("Konvertiert Audiodateien")},
    };
    for (const Row& row : rows) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("LANGUAGE"));
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("LANG"), row.lang);
        QProcess sonawell;
        sonawell.setProcessEnvironment(env);
        // The build's own folder: it holds the translations.
        sonawell.start(testsupport::BinDir() + QStringLiteral("/sonawell"), row.arguments);
        ASSERT_TRUE(sonawell.waitForFinished(10000))
            << row.arguments.join(QLatin1Char(' ')).toStdString();
        const QString out = QString::fromUtf8(sonawell.readAllStandardOutput());
        EXPECT_EQ(sonawell.exitCode(), 0) << row.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(out.contains(row.expected))
            << row.arguments.join(QLatin1Char(' ')).toStdString() << ": " << out.toStdString();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The settings saves of KilledWhileSavingTheSettingsTheFileReadsWhole, in a process of
    // their own to be killed in.
    if (argc == 3 && std::string(argv[1]) == "--save-settings") {
        const QString ini = QString::fromLocal8Bit(argv[2]);
        writeIniValue(ini, QStringLiteral("General"), QStringLiteral("DeleteSource"),
                      QStringLiteral("1"));
        writeIniValue(ini, QStringLiteral("General"), QStringLiteral("AutoStart"),
                      QStringLiteral("1"));
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
