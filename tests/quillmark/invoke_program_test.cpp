// quillmark-invoke as Dolphin, Nemo and an administrator run it.

#include "quillmark/engine_double.h"
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
    const Outcome run = Invoke({"--", "two words.mp3", "/music/b.WMA", "-dash.wav"},
                               {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}}, folder.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(engine.received(), ElementsAre(folder.file("two words.mp3"), "/music/b.WMA",
                                               folder.file("-dash.wav")));
}

TEST(QuillmarkInvoke, ReportsARefusedFileAndStillHandsOverTheRest) {
    PrivateBus bus;
    EngineDouble engine(bus.address(), "Sonawell.QuickConvertEngine", "refuse");
    const Outcome run =
        Invoke({"/m/refuse.mp3", "/m/b.mp3"}, {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("/m/refuse.mp3 was not handed over"));
    EXPECT_THAT(engine.received(), ElementsAre("/m/refuse.mp3", "/m/b.mp3"));
}

TEST(QuillmarkInvoke, WithNoServerSaysFailedDispatch) {
    PrivateBus bus;
    const Outcome run = Invoke({"/m/a.mp3"}, {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("failed dispatch"));
}

TEST(QuillmarkInvoke, HandsNothingOverWhenNoFileIsAudio) {
    PrivateBus bus;
    EngineDouble engine(bus.address());
    const Outcome run =
        Invoke({"/m/a.txt", "/m/b.ogg"}, {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("nothing handed over"));
    EXPECT_THAT(engine.received(), IsEmpty());
}

TEST(QuillmarkInvoke, RegistersAndUnregistersUnderXdgDataHome) {
    TempFolder home;
    const std::vector<std::pair<std::string, std::string>> environment = {
        {"XDG_DATA_HOME", home.file("data")},
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
    EXPECT_THAT(text, HasSubstr(std::string("Exec=\"") + QUILLMARK_INVOKE + "\" -- %F\n"));
    EXPECT_TRUE(fs::is_symlink(home.file("extensions-4/libquillmark-nautilus.so")));

    const Outcome run = Invoke({"--unregister"}, environment);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(fs::exists(menu));
    EXPECT_FALSE(fs::exists(home.file("extensions-4/libquillmark-nautilus.so")));
    EXPECT_TRUE(fs::is_directory(home.file("data/kio/servicemenus")));
}

TEST(QuillmarkInvoke, SaysClearlyWhenTheModuleNeedsSystemRegistration) {
    TempFolder home;
    const Outcome run =
        Invoke({"--register"},
               {{"XDG_DATA_HOME", home.file("data")},
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
