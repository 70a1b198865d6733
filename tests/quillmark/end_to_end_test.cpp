// From the context-menu command to converted files: with Sonawell not running,
// quillmark-invoke hands two MP3 files to the bus, the bus starts the real program from its
// service file, and two WMA files with the MP3s' tags appear.

#include "quillmark/private_bus.h"
#include "support/audio_fixtures.h"

#include <asffile.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

using quillmarktest::PrivateBus;
using quillmarktest::TempFolder;
namespace fs = std::filesystem;

namespace {

constexpr char kProfile[] = "Audio for CD quality (128 Kbps, 44 kHz, stereo)";

struct Outcome {
    int exitCode = -1;
    std::string err;
};

Outcome RunInvoke(const std::vector<std::string>& files, const std::string& busAddress) {
    std::vector<const char*> argv = {QUILLMARK_INVOKE};
    for (const std::string& file : files) {
        argv.push_back(file.c_str());
    }
    argv.push_back(nullptr);
    g_auto(GStrv) envp =
        g_environ_setenv(g_get_environ(), "DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), TRUE);
    g_autofree char* err = nullptr;
    int status = 0;
    Outcome outcome;
    if (g_spawn_sync(nullptr, const_cast<char**>(argv.data()), envp, G_SPAWN_STDOUT_TO_DEV_NULL,
                     nullptr, nullptr, nullptr, &err, &status, nullptr)) {
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.err = err ? err : "";
    }
    return outcome;
}

// Ends the program the bus started for the name, if any.
void StopOwner(const std::string& busAddress) {
    g_autoptr(GDBusConnection) bus = g_dbus_connection_new_for_address_sync(
        busAddress.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (bus == nullptr) {
        return;
    }
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetConnectionUnixProcessID", g_variant_new("(s)", "Sonawell.QuickConvertEngine"),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (reply != nullptr) {
        guint32 pid = 0;
        g_variant_get(reply, "(u)", &pid);
        kill(static_cast<pid_t>(pid), SIGTERM);
        // Gone before the bus is torn down, so nothing outlives the test; the bus reaps it.
        // The bound only catches a program that will not end.
        for (int i = 0; i < 1200 && kill(static_cast<pid_t>(pid), 0) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
}

std::string AsfTitle(const std::string& path) {
    TagLib::ASF::File file(path.c_str());
    return file.isValid() && file.tag() != nullptr ? file.tag()->title().to8Bit(true)
                                                   : std::string();
}

TEST(QuickConvertEndToEnd, TwoMp3FilesBecomeTwoTaggedWmaFiles) {
    // The build makes the program before this test (see CMakeLists.txt): a program that is
    // not there, or whose server does not answer when the bus starts it, is a failure here.
    const fs::path installed = fs::path(testsupport::BinDir().toStdString()) / "sonawell";
    ASSERT_TRUE(fs::exists(installed)) << installed;
    TempFolder home;
    // A program folder of the test's own, so the program reads the settings written here.
    const fs::path program = fs::path(home.path()) / "program";
    fs::create_directories(program);
    for (const char* name : {"sonawell", "libmellorin.so", "libid3prop.so"}) {
        if (fs::exists(installed.parent_path() / name)) {
            fs::copy_file(installed.parent_path() / name, program / name);
        }
    }
    std::ofstream(program / "Sonawell.ini")
        << "[General]\nProfile=" << kProfile << "\nAutoStart=1\nDeleteSource=0\n"
        << "[Quick Convert]\nProfile=" << kProfile << "\nSameTargetDir=1\n";

    const std::string music = home.file("my music");
    fs::create_directories(music);
    const std::vector<std::pair<std::string, QByteArray>> sources = {
        {music + "/first song.mp3", "First Light"}, {music + "/second.mp3", "Second Wind"}};
    for (const auto& [path, title] : sources) {
        ASSERT_TRUE(testsupport::MakeMp3(QString::fromStdString(path), 2.0));
        testsupport::Id3v1 tag;
        tag.title = title;
        tag.artist = "Quillmark Test";
        tag.track = 1;
        ASSERT_TRUE(testsupport::AppendId3v1(QString::fromStdString(path), tag));
    }

    const std::string services = home.file("services");
    fs::create_directories(services);
    quillmarktest::WriteServiceFile(services, "Sonawell.QuickConvertEngine",
                                    (program / "sonawell").string());
    // The program the bus starts inherits the bus's environment.
    g_setenv("XDG_DATA_HOME", home.file("data").c_str(), TRUE);
    g_setenv("XDG_CONFIG_HOME", home.file("config").c_str(), TRUE);
    g_setenv("XDG_STATE_HOME", home.file("state").c_str(), TRUE);
    g_setenv("QT_QPA_PLATFORM", "offscreen", TRUE);
    PrivateBus bus(services);
    struct Stop {
        const std::string& address;
        ~Stop() { StopOwner(address); }
    } stop{bus.address()};

    const Outcome invoke = RunInvoke({sources[0].first, sources[1].first}, bus.address());
    ASSERT_EQ(invoke.exitCode, 0) << invoke.err;

    // A bound so a broken run fails instead of hanging; the conversion itself takes seconds.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {music + "/first song.wma", "First Light"}, {music + "/second.wma", "Second Wind"}};
    for (const auto& [target, title] : expected) {
        while (AsfTitle(target) != title && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        EXPECT_EQ(AsfTitle(target), title) << target;
        EXPECT_EQ(testsupport::ProbeCodecAndFormat(QString::fromStdString(target)),
                  QStringLiteral("wmav2|asf"));
    }
}

}  // namespace
