// quillmark-invoke as Dolphin, Nemo and an administrator run it.

#include "quillmark/engine_double.h"
#include "quillmark/notification_double.h"
#include "quillmark/private_bus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <fstream>

using quillmarktest::EngineDouble;
using quillmarktest::PrivateBus;
using quillmarktest::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out, err;
};

Outcome Invoke(const std::vector<std::string>& arguments,
               const std::vector<std::pair<std::string, std::string>>& environment,
               const std::string& workingDir = {}) {
    std::vector<const char*> argv = {QUILLMARK_INVOKE};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    g_auto(GStrv) envp = g_get_environ();
    // English unless a test asks for another language, from the build's catalogues.
    envp = g_environ_setenv(envp, "LC_ALL", "C.UTF-8", TRUE);
    envp = g_environ_unsetenv(envp, "LANGUAGE");
    envp = g_environ_setenv(envp, "QUILLMARK_LOCALEDIR", QUILLMARK_TEST_LOCALEDIR, TRUE);
    for (const auto& [name, value] : environment) {
        envp = g_environ_setenv(envp, name.c_str(), value.c_str(), TRUE);
    }
    g_autofree char* out = nullptr;
    g_autofree char* err = nullptr;
    int status = 0;
    g_autoptr(GError) error = nullptr;
    Outcome run;
    if (!g_spawn_sync(workingDir.empty() ? nullptr : workingDir.c_str(),
                      const_cast<char**>(argv.data()), envp, G_SPAWN_DEFAULT, nullptr, nullptr,
                      &out, &err, &status, &error)) {
        ADD_FAILURE() << error->message;
        return run;
    }
    run.exitCode = g_spawn_check_wait_status(status, nullptr) ? 0 : WEXITSTATUS(status);
    run.out = out ? out : "";
    run.err = err ? err : "";
    return run;
}

TEST(QuillmarkInvoke, SaysItsVersion) {
    const Outcome run = Invoke({"--version"}, {});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Quillmark Module 1.0.0.1\n");
}

TEST(QuillmarkInvoke, HandsTheFilesOverInOrderWithAbsolutePaths) {
    PrivateBus bus;
    EngineDouble engine(bus.address());
    TempFolder folder;
    // Paths as typed, URIs as Dolphin and Nemo fill in %U.
    const Outcome run = Invoke({"--", "two words.mp3", "/music/b.WMA", "-dash.wav",
                                "file:///music/two%0Alines.mp3", "file:///music/caf%E9.mp3"},
                               {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}}, folder.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(engine.received(),
                ElementsAre(folder.file("two words.mp3"), "/music/b.WMA", folder.file("-dash.wav"),
                            "/music/two\nlines.mp3", "file:///music/caf%E9.mp3"));
}

TEST(QuillmarkInvoke, NamesWhatItCouldNotHandOverAndStillHandsOverTheRest) {
    PrivateBus bus;
    EngineDouble engine(bus.address(), "Sonawell.QuickConvertEngine", "refuse");
    const Outcome run = Invoke(
        {"/m/refuse.mp3", "quillmark-test://host/c.mp3", "/m/b.mp3", "file://otherhost/m/d.mp3"},
        {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "quillmark-invoke: 3 files were not handed over to Sonawell.\n\n"
              "Sonawell refused it: this file was refused\n/m/refuse.mp3\n\n"
              "It can't be handed over: not a local file; Sonawell reads local files only\n"
              "quillmark-test://host/c.mp3\nfile://otherhost/m/d.mp3\n");
    EXPECT_THAT(engine.received(), ElementsAre("/m/refuse.mp3", "/m/b.mp3"));
}

TEST(QuillmarkInvoke, SpeaksGermanUnderAGermanLocale) {
    // gettext heeds LANGUAGE under any locale but plain C; C.UTF-8 is on every Debian system.
    const std::vector<std::pair<std::string, std::string>> german = {{"LANGUAGE", "de"}};
    const Outcome help = Invoke({"--help"}, german);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, ::testing::StartsWith("Aufruf: quillmark-invoke DATEI|URI...\n"));

    PrivateBus bus;
    EngineDouble engine(bus.address(), "Sonawell.QuickConvertEngine", "refuse");
    const Outcome run = Invoke({"/m/refuse.mp3", "quillmark-test://host/c.mp3"},
                               {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}, german.front()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "quillmark-invoke: 2 Dateien wurden nicht an Sonawell übergeben.\n\n"
              "Von Sonawell abgelehnt: this file was refused\n/m/refuse.mp3\n\n"
              "Kann nicht übergeben werden: keine lokale Datei; Sonawell liest nur lokale "
              "Dateien\nquillmark-test://host/c.mp3\n");
}

TEST(QuillmarkInvoke, RetryInTheNotificationHandsOverWhatWasLeft) {
    PrivateBus bus;
    EngineDouble engine(bus.address(), "Sonawell.QuickConvertEngine", "refuse");
    quillmarktest::NotificationDouble notifications(bus.address(), {"retry", "cancel"});
    const Outcome run =
        Invoke({"/m/refuse & <1>.mp3", "/m/b.mp3"}, {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(engine.received(),
                ElementsAre("/m/refuse & <1>.mp3", "/m/b.mp3", "/m/refuse & <1>.mp3"));
    const std::string body =
        "1 file was not handed over to Sonawell.\n\n"
        "Sonawell refused it: this file was refused\n/m/refuse &amp; &lt;1&gt;.mp3";
    EXPECT_THAT(notifications.bodies(), ElementsAre(body, body));
}

TEST(QuillmarkInvoke, WithNoServerNamesTheFilesAndWhy) {
    PrivateBus bus;
    const Outcome run = Invoke({"/m/a.mp3"}, {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("1 file was not handed over to Sonawell.\n\n"
                                   "Sonawell could not be reached: "));
    EXPECT_THAT(run.err, HasSubstr("\n/m/a.mp3\n"));
}

TEST(QuillmarkInvoke, HandsNothingOverWhenNoFileIsAudio) {
    PrivateBus bus;
    EngineDouble engine(bus.address());
    const Outcome run = Invoke({"/m/a.txt", "/m/b.ogx", "/m/xmp3", "file:///m/xwma"},
                               {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("nothing handed over"));
    EXPECT_THAT(engine.received(), IsEmpty());
}

TEST(QuillmarkInvoke, RegistersAndUnregistersUnderXdgDataHome) {
    TempFolder home;
    const std::vector<std::pair<std::string, std::string>> environment = {
        {"XDG_DATA_HOME", home.file("data")},
        {"XDG_DATA_DIRS", home.file("no-system-install")},
        {"QUILLMARK_NAUTILUS_EXTENSION_DIR", home.file("extensions-4")},
    };
    const std::string menu = home.file("data/kio/servicemenus/quillmark-convert-to-wma.desktop");
    for (int round = 0; round < 2; ++round) {
        const Outcome run = Invoke({"--register"}, environment);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_THAT(run.err, IsEmpty());
    }
    std::ifstream in(menu);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_THAT(text, HasSubstr(std::string("Exec=\"") + QUILLMARK_INVOKE + "\" -- %U\n"));
    EXPECT_TRUE(fs::is_symlink(home.file("extensions-4/libquillmark-nautilus.so")));

    const Outcome run = Invoke({"--unregister"}, environment);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(fs::exists(menu));
    EXPECT_FALSE(fs::exists(home.file("extensions-4/libquillmark-nautilus.so")));
    EXPECT_THAT(run.out, HasSubstr("removed " + home.file("data/kio/servicemenus") + "\n"));
    EXPECT_FALSE(fs::exists(home.file("data/kio")));
    EXPECT_TRUE(fs::is_directory(home.file("data")));
}

TEST(QuillmarkInvoke, RegisteringForAUserSkipsWhatTheSystemInstallProvides) {
    TempFolder home;
    const std::string system = home.file("usr-share");
    const std::vector<std::string> provided = {"kio/servicemenus/quillmark-convert-to-wma.desktop",
                                               "nemo/actions/quillmark-convert-to-wma.nemo_action",
                                               "nemo/actions/quillmark-convert-to-wav.nemo_action"};
    for (const std::string& entry : provided) {
        fs::create_directories(fs::path(system + "/" + entry).parent_path());
        std::ofstream(system + "/" + entry) << "installed";
    }
    // A copy of ours from before the system install would be a second menu item.
    fs::create_directories(home.file("data/nemo/actions"));
    std::ofstream(home.file("data/nemo/actions/quillmark-convert-to-wma.nemo_action")) << "old";
    const Outcome run =
        Invoke({"--register"}, {{"XDG_DATA_HOME", home.file("data")},
                                {"XDG_DATA_DIRS", home.file("elsewhere") + ":" + system},
                                {"QUILLMARK_NAUTILUS_EXTENSION_DIR", home.file("extensions-4")}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const std::string& entry : provided) {
        EXPECT_THAT(run.out,
                    HasSubstr("skipped " + home.file("data/" + entry) +
                              ": the system install provides " + system + "/" + entry + "\n"));
        EXPECT_FALSE(fs::exists(home.file("data/" + entry))) << entry;
    }
    EXPECT_TRUE(fs::exists(home.file("data/kio/servicemenus/quillmark-convert-to-wav.desktop")));
}

TEST(QuillmarkInvoke, SaysClearlyWhenTheModuleNeedsSystemRegistration) {
    TempFolder home;
    const Outcome run =
        Invoke({"--register"},
               {{"XDG_DATA_HOME", home.file("data")},
                {"XDG_DATA_DIRS", home.file("no-system-install")},
                {"QUILLMARK_NAUTILUS_EXTENSION_DIR", "/proc/quillmark-test/extensions-4"}});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.err, HasSubstr("GNOME Files module needs system registration"));
    EXPECT_TRUE(fs::exists(home.file("data/nemo/actions/quillmark-convert-to-wma.nemo_action")));
}

TEST(QuillmarkInvoke, RefusesUnknownOptions) {
    const Outcome run = Invoke({"--frobnicate"}, {});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("unknown option --frobnicate"));
}

}  // namespace
