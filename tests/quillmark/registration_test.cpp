// Registration on a temporary XDG tree: the entries appear once, are replaced cleanly, go
// away again with the folders made for them; what they hold is what the file managers parse.

#include "quillmark/registration.h"
#include "quillmark/private_bus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using quillmarktest::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

namespace {

const char* const kFolders[] = {"kio/servicemenus", "nemo/actions", "icons/hicolor/scalable/apps"};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The argument list a file manager builds from an Exec= line of `group`: unquoted as a shell
// would, then field codes expanded per argument (%% is a literal %; %U is left in place).
std::vector<std::string> ExecArguments(const std::string& file, const char* group) {
    g_autoptr(GKeyFile) keys = g_key_file_new();
    g_autoptr(GError) error = nullptr;
    EXPECT_TRUE(g_key_file_load_from_file(keys, file.c_str(), G_KEY_FILE_NONE, &error))
        << (error ? error->message : "");
    g_autofree char* exec = g_key_file_get_string(keys, group, "Exec", &error);
    if (exec == nullptr) {
        ADD_FAILURE() << file << ": no Exec in " << group;
        return {};
    }
    g_auto(GStrv) argv = nullptr;
    EXPECT_TRUE(g_shell_parse_argv(exec, nullptr, &argv, &error)) << exec;
    std::vector<std::string> arguments;
    for (char** argument = argv; argument != nullptr && *argument != nullptr; ++argument) {
        std::string expanded;
        for (const char* c = *argument; *c != '\0'; ++c) {
            expanded += *c;
            if (c[0] == '%' && c[1] == '%') {
                ++c;
            }
        }
        arguments.push_back(expanded);
    }
    return arguments;
}

int Validate(const std::string& desktopFile, std::string* output) {
    const char* argv[] = {"desktop-file-validate", desktopFile.c_str(), nullptr};
    g_autofree char* out = nullptr;
    g_autofree char* err = nullptr;
    int status = -1;
    if (!g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                      nullptr, &out, &err, &status, nullptr)) {
        return -1;
    }
    *output = std::string(out ? out : "") + (err ? err : "");
    return status;
}

class Registration : public ::testing::Test {
protected:
    Registration() {
        paths.dataHome = home.file("data");
        paths.extensionDir = home.file("extensions-4");
        // Everything a path can hold that an Exec= line must quote.
        paths.invokeProgram = home.file("bin dir/it's \"odd\" \\ $HOME `x` 100%/quillmark-invoke");
        paths.module = QUILLMARK_NAUTILUS_MODULE_OR_EMPTY;
        if (paths.module.empty()) {
            paths.module = home.file("libquillmark-nautilus.so");
            Write(paths.module, "module");
        }
    }
    std::string Entry(const std::string& relative) const { return paths.dataHome + "/" + relative; }
    std::string Link() const { return paths.extensionDir + "/libquillmark-nautilus.so"; }

    TempFolder home;
    quillmark::RegistrationPaths paths;
};

TEST_F(Registration, WritesEachEntryOnce) {
    const auto outcome = quillmark::Register(paths);
    EXPECT_TRUE(outcome.ok());
    EXPECT_THAT(outcome.moduleNote, IsEmpty());
    EXPECT_THAT(Names(Entry("kio/servicemenus")), ElementsAre("quillmark-convert-to-wav.desktop",
                                                              "quillmark-convert-to-wma.desktop"));
    EXPECT_THAT(Names(Entry("nemo/actions")), ElementsAre("quillmark-convert-to-wav.nemo_action",
                                                          "quillmark-convert-to-wma.nemo_action"));
    EXPECT_THAT(Names(Entry("icons/hicolor/scalable/apps")), ElementsAre("quillmark.svg"));
    EXPECT_THAT(Read(Entry("icons/hicolor/scalable/apps/quillmark.svg")), HasSubstr("<svg"));
    EXPECT_EQ(fs::read_symlink(Link()), paths.module);
    // Dolphin runs a service menu from a user folder only when it is executable.
    EXPECT_EQ(access(Entry("kio/servicemenus/quillmark-convert-to-wma.desktop").c_str(), X_OK), 0);
}

TEST_F(Registration, EveryExecLineNamesTheProgramExactly) {
    ASSERT_TRUE(quillmark::Register(paths).ok());
    const std::vector<std::string> expected = {paths.invokeProgram, "--", "%U"};
    for (const char* name :
         {"quillmark-convert-to-wma.desktop", "quillmark-convert-to-wav.desktop"}) {
        const std::string file = Entry(std::string("kio/servicemenus/") + name);
        EXPECT_EQ(ExecArguments(file, "Desktop Entry"), expected) << name;
    }
    EXPECT_EQ(ExecArguments(Entry("kio/servicemenus/quillmark-convert-to-wma.desktop"),
                            "Desktop Action convertToWma"),
              expected);
    EXPECT_EQ(ExecArguments(Entry("kio/servicemenus/quillmark-convert-to-wav.desktop"),
                            "Desktop Action convertToWav"),
              expected);
    for (const char* name :
         {"quillmark-convert-to-wma.nemo_action", "quillmark-convert-to-wav.nemo_action"}) {
        EXPECT_EQ(ExecArguments(Entry(std::string("nemo/actions/") + name), "Nemo Action"),
                  expected)
            << name;
    }
}

TEST_F(Registration, TheMenusOfferTheRightCommandForTheRightFiles) {
    ASSERT_TRUE(quillmark::Register(paths).ok());
    const std::string toWma = Read(Entry("kio/servicemenus/quillmark-convert-to-wma.desktop"));
    EXPECT_THAT(toWma, HasSubstr("\nName=Convert To WMA\n"));
    EXPECT_THAT(toWma, HasSubstr("\nComment=Convert this audio file to WMA format.\n"));
    EXPECT_THAT(toWma, HasSubstr("MimeType=audio/mpeg;audio/mp2;audio/x-wav;audio/flac;"
                                 "audio/x-vorbis+ogg;audio/x-opus+ogg;audio/mp4;audio/x-m4b;"
                                 "audio/aac;audio/x-aiff;audio/x-wavpack;audio/x-ape;\n"));
    const std::string toWav = Read(Entry("kio/servicemenus/quillmark-convert-to-wav.desktop"));
    EXPECT_THAT(toWav, HasSubstr("\nName=Convert to WAV\n"));
    EXPECT_THAT(toWav, HasSubstr("\nComment=Convert this audio file to WAV format.\n"));
    EXPECT_THAT(toWav, HasSubstr("MimeType=audio/x-ms-wma;\n"));
    const std::string nemoWma = Read(Entry("nemo/actions/quillmark-convert-to-wma.nemo_action"));
    EXPECT_THAT(nemoWma, HasSubstr("Name=Convert To WMA\n"));
    EXPECT_THAT(nemoWma, HasSubstr("Comment=Convert this audio file to WMA format.\n"));
    EXPECT_THAT(nemoWma, HasSubstr("Extensions=mp3;mp2;wav;flac;ogg;oga;opus;m4a;m4b;aac;aif;"
                                   "aiff;aifc;wv;ape;\n"));
    const std::string nemoWav = Read(Entry("nemo/actions/quillmark-convert-to-wav.nemo_action"));
    EXPECT_THAT(nemoWav, HasSubstr("Name=Convert to WAV\n"));
    EXPECT_THAT(nemoWav, HasSubstr("Comment=Convert this audio file to WAV format.\n"));
    EXPECT_THAT(nemoWav, HasSubstr("Extensions=wma;\n"));
    // Each in German too, for the file managers to pick under a German locale.
    EXPECT_THAT(toWma, HasSubstr("\nName[de]=Quillmark: In WMA umwandeln\n"));
    EXPECT_THAT(toWma, HasSubstr("\nComment[de]=Diese Audiodatei in das WMA-Format umwandeln.\n"));
    EXPECT_THAT(toWma, HasSubstr("\nName=Convert To WMA\nName[de]=In WMA umwandeln\n"));
    EXPECT_THAT(toWav, HasSubstr("\nName[de]=Quillmark: In WAV umwandeln\n"));
    EXPECT_THAT(nemoWma, HasSubstr("\nName[de]=In WMA umwandeln\n"));
    EXPECT_THAT(nemoWma,
                HasSubstr("\nComment[de]=Diese Audiodatei in das WMA-Format umwandeln.\n"));
    EXPECT_THAT(nemoWav, HasSubstr("\nName[de]=In WAV umwandeln\n"));
}

TEST_F(Registration, DesktopFileValidateAcceptsTheServiceMenus) {
    ASSERT_TRUE(quillmark::Register(paths).ok());
    for (const std::string& name : Names(Entry("kio/servicemenus"))) {
        std::string output;
        EXPECT_EQ(Validate(Entry("kio/servicemenus/" + name), &output), 0) << name << output;
    }
}

TEST_F(Registration, RegisteringAgainReplacesOurEntriesAndNothingElse) {
    ASSERT_TRUE(quillmark::Register(paths).ok());
    const std::string menu = Entry("kio/servicemenus/quillmark-convert-to-wma.desktop");
    const std::string fresh = Read(menu);
    Write(menu, "[Desktop Entry]\nbroken");
    Write(Entry("kio/servicemenus/someone-else.desktop"), "theirs");
    fs::remove(Link());
    fs::create_symlink("/nowhere/old-module.so", Link());

    ASSERT_TRUE(quillmark::Register(paths).ok());
    EXPECT_EQ(Read(menu), fresh);
    EXPECT_THAT(Names(Entry("kio/servicemenus")),
                ElementsAre("quillmark-convert-to-wav.desktop", "quillmark-convert-to-wma.desktop",
                            "someone-else.desktop"));
    EXPECT_EQ(Read(Entry("kio/servicemenus/someone-else.desktop")), "theirs");
    EXPECT_EQ(fs::read_symlink(Link()), paths.module);
}

TEST_F(Registration, UnregisteringRemovesOurEntriesAndTheEmptyFoldersRegistrationMade) {
    fs::create_directories(Entry("nemo/actions"));  // Nemo's, from before
    ASSERT_TRUE(quillmark::Register(paths).ok());
    Write(Entry("kio/servicemenus/someone-else.desktop"), "theirs");
    const auto outcome = quillmark::Unregister(paths);
    EXPECT_TRUE(outcome.ok());
    EXPECT_THAT(outcome.done, ::testing::Contains(Link()));
    for (const char* gone :
         {"kio/servicemenus/quillmark-convert-to-wma.desktop",
          "nemo/actions/quillmark-convert-to-wav.nemo_action", "icons", "quillmark"}) {
        EXPECT_FALSE(fs::exists(Entry(gone))) << gone;
        EXPECT_THAT(outcome.done, ::testing::Contains(Entry(gone))) << gone;
    }
    EXPECT_THAT(Names(Entry("kio/servicemenus")), ElementsAre("someone-else.desktop"));
    EXPECT_THAT(Names(Entry("nemo/actions")), IsEmpty());
    EXPECT_THAT(Names(paths.extensionDir), IsEmpty());

    // Nothing left to remove is no failure.
    const auto again = quillmark::Unregister(paths);
    EXPECT_TRUE(again.ok());
    EXPECT_THAT(again.done, IsEmpty());
}

TEST_F(Registration, AFolderInTheWayIsReportedAndTheRestIsWritten) {
    fs::create_directories(Entry("icons/hicolor/scalable/apps/quillmark.svg"));
    const auto outcome = quillmark::Register(paths);
    ASSERT_EQ(outcome.errors.size(), 1u);
    EXPECT_THAT(outcome.errors[0], HasSubstr("quillmark.svg"));
    EXPECT_EQ(Names(Entry("kio/servicemenus")).size(), 2u);
    EXPECT_EQ(Names(Entry("nemo/actions")).size(), 2u);
    EXPECT_TRUE(fs::is_directory(Entry("icons/hicolor/scalable/apps/quillmark.svg")));
}

TEST_F(Registration, AnInstalledModuleIsLeftAsItIs) {
    fs::create_directories(paths.extensionDir);
    Write(Link(), "installed by the package");
    const auto outcome = quillmark::Register(paths);
    EXPECT_TRUE(outcome.ok());
    EXPECT_THAT(outcome.skipped, ElementsAre(Link() + ": installed, GNOME Files loads it"));
    EXPECT_FALSE(fs::is_symlink(Link()));
    EXPECT_TRUE(quillmark::Unregister(paths).ok());
    EXPECT_EQ(Read(Link()), "installed by the package");
}

TEST_F(Registration, WithoutRightsToTheModuleFolderTheRestIsRegisteredAndSaidSo) {
    paths.extensionDir = "/proc/quillmark-test/extensions-4";  // no one may create this
    const auto outcome = quillmark::Register(paths);
    EXPECT_TRUE(outcome.ok());
    EXPECT_THAT(outcome.moduleNote, HasSubstr("needs system registration"));
    EXPECT_EQ(Names(Entry("kio/servicemenus")).size(), 2u);
}

}  // namespace
