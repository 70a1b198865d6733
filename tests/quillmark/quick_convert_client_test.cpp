// The client routine against a quick-convert server double on a bus of the test's own.

#include "quillmark/quick_convert_client.h"
#include "quillmark/engine_double.h"
#include "quillmark/private_bus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

using quillmarktest::EngineDouble;
using quillmarktest::PrivateBus;
using quillmarktest::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

std::vector<std::string> ReadRecord(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> paths;
    std::string::size_type start = 0;
    for (auto end = bytes.find('\0'); end != std::string::npos; end = bytes.find('\0', start)) {
        paths.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

TEST(QuickConvertClient, ResolvesTheProgIdWithoutRegardToCase) {
    PrivateBus bus;
    EngineDouble engine(bus.address());
    std::string error;
    EXPECT_EQ(quickconvert::ResolveBusName("Sonawell.quickConvertEngine", &error, bus.address()),
              "Sonawell.QuickConvertEngine");
    EXPECT_EQ(quickconvert::ResolveBusName("SONAWELL.QUICKCONVERTENGINE", &error, bus.address()),
              "Sonawell.QuickConvertEngine");
    EXPECT_EQ(quickconvert::ResolveBusName("Sonawell.Other", &error, bus.address()), "");
    EXPECT_THAT(error, HasSubstr("Sonawell.Other"));
}

TEST(QuickConvertClient, FindsTheOwnerByTheBusListNotByAFixedSpelling) {
    PrivateBus bus;
    EngineDouble engine(bus.address(), "sonawell.QUICKconvertENGINE");
    const auto result =
        quickconvert::AddJobs(quickconvert::kProgId, {"/music/a.mp3"}, bus.address());
    EXPECT_TRUE(result.reached);
    EXPECT_EQ(result.busName, "sonawell.QUICKconvertENGINE");
    EXPECT_THAT(engine.received(), ElementsAre("/music/a.mp3"));
}

TEST(QuickConvertClient, HandsOverEveryPathOnceInOrderAndUnchanged) {
    PrivateBus bus;
    EngineDouble engine(bus.address());
    const std::vector<std::string> files = {
        "/music/first song.mp3",
        "/music/it's \"quoted\".mp3",
        "/Musik/Grüße ünd 日本語.wav",
        "/music/two\nlines.mp3",
        "/music/back\\slash $HOME `tick` %F.wma",
        "/music/first song.mp3",  // a repeat is handed over again: the server decides
    };
    const auto result = quickconvert::AddJobs(quickconvert::kProgId, files, bus.address());
    EXPECT_TRUE(result.allHandedOver());
    EXPECT_EQ(result.handedOver, files);
    EXPECT_EQ(engine.received(), files);
}

TEST(QuickConvertClient, AFileTheServerRefusesDoesNotStopTheRest) {
    PrivateBus bus;
    EngineDouble engine(bus.address(), "Sonawell.QuickConvertEngine", "refuse");
    const auto result = quickconvert::AddJobs(
        quickconvert::kProgId, {"/m/a.mp3", "/m/refuse.mp3", "/m/c.mp3"}, bus.address());
    EXPECT_TRUE(result.reached);
    EXPECT_FALSE(result.allHandedOver());
    EXPECT_THAT(engine.received(), ElementsAre("/m/a.mp3", "/m/refuse.mp3", "/m/c.mp3"));
    EXPECT_THAT(result.handedOver, ElementsAre("/m/a.mp3", "/m/c.mp3"));
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].index, 1u);
    EXPECT_EQ(result.failures[0].path, "/m/refuse.mp3");
    EXPECT_THAT(result.failures[0].message, HasSubstr("this file was refused"));
}

TEST(QuickConvertClient, ANameThatIsNotUtf8GoesOverAsAFileUri) {
    PrivateBus bus;
    EngineDouble engine(bus.address());
    const std::string latin1 = "/m/caf\xe9 \"1\".mp3";
    const std::string relative = "caf\xe9.mp3";  // a URI needs an absolute path
    const auto result =
        quickconvert::AddJobs(quickconvert::kProgId, {latin1, relative, "/m/b.mp3"}, bus.address());
    EXPECT_THAT(engine.received(), ElementsAre("file:///m/caf%E9%20%221%22.mp3", "/m/b.mp3"));
    EXPECT_THAT(result.handedOver, ElementsAre(latin1, "/m/b.mp3"));
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].index, 1u);
    EXPECT_EQ(result.failures[0].kind, quickconvert::FailureKind::CannotCarry);
    EXPECT_THAT(result.failures[0].message, HasSubstr("not valid UTF-8"));
}

TEST(QuickConvertClient, AServerThatNeverAnswersGetsOneBoundForTheWholeList) {
    PrivateBus bus;
    EngineDouble engine(bus.address(), "Sonawell.QuickConvertEngine", {}, false);
    std::vector<std::string> files;
    for (int n = 0; n < 10; ++n) {
        files.push_back("/m/" + std::to_string(n) + ".mp3");
    }
    const auto start = std::chrono::steady_clock::now();
    const auto result =
        quickconvert::AddJobs(quickconvert::kProgId, files, bus.address(), std::chrono::seconds(2));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::seconds(2));
    // A bound per file would take 20 s; a busy machine adds nowhere near as much to one.
    EXPECT_LT(took, std::chrono::seconds(12));
    EXPECT_EQ(engine.received(), files);
    EXPECT_TRUE(result.reached);
    EXPECT_THAT(result.handedOver, IsEmpty());
    ASSERT_EQ(result.failures.size(), files.size());
    for (const quickconvert::CallFailure& failure : result.failures) {
        EXPECT_EQ(failure.kind, quickconvert::FailureKind::NoAnswer);
        EXPECT_EQ(failure.message, "no answer within 2 s");
    }
}

TEST(QuickConvertClient, NoOwnerAndNothingToStartIsItsOwnFailure) {
    PrivateBus bus;  // nothing activatable
    const auto result = quickconvert::AddJobs(quickconvert::kProgId, {"/m/a.mp3"}, bus.address());
    EXPECT_FALSE(result.reached);
    EXPECT_THAT(result.handedOver, IsEmpty());
    EXPECT_THAT(result.failures, IsEmpty());
    EXPECT_THAT(result.unreachable, HasSubstr("Sonawell.quickConvertEngine"));
}

TEST(QuickConvertClient, NoBusIsUnreachableToo) {
    TempFolder folder;
    const auto result = quickconvert::AddJobs(quickconvert::kProgId, {"/m/a.mp3"},
                                              "unix:path=" + folder.file("no-bus-here"));
    EXPECT_FALSE(result.reached);
    EXPECT_THAT(result.handedOver, IsEmpty());
    EXPECT_THAT(result.unreachable, HasSubstr("session bus"));
}

TEST(QuickConvertClient, TheFirstCallStartsTheServerThroughItsServiceFile) {
    TempFolder folder;
    const std::string services = folder.file("services");
    ASSERT_TRUE(std::filesystem::create_directory(services));
    const std::string record = folder.file("record");
    quillmarktest::WriteServiceFile(services, "Sonawell.QuickConvertEngine",
                                    std::string(QUILLMARK_TEST_ENGINE) + " " + record);
    PrivateBus bus(services);

    EXPECT_EQ(quickconvert::ResolveBusName(quickconvert::kProgId, nullptr, bus.address()),
              "Sonawell.QuickConvertEngine");
    const auto result = quickconvert::AddJobs(quickconvert::kProgId,
                                              {"/m/one.mp3", "/m/two three.wav"}, bus.address());
    EXPECT_TRUE(result.allHandedOver()) << result.unreachable;
    EXPECT_THAT(ReadRecord(record), ElementsAre("/m/one.mp3", "/m/two three.wav"));
}

TEST(QuickConvertClient, AServerThatCannotBeStartedIsUnreachable) {
    TempFolder folder;
    const std::string services = folder.file("services");
    ASSERT_TRUE(std::filesystem::create_directory(services));
    quillmarktest::WriteServiceFile(services, "Sonawell.QuickConvertEngine",
                                    folder.file("no-such-program"));
    PrivateBus bus(services);
    const auto result =
        quickconvert::AddJobs(quickconvert::kProgId, {"/m/a.mp3", "/m/b.mp3"}, bus.address());
    EXPECT_FALSE(result.reached);
    EXPECT_THAT(result.handedOver, IsEmpty());
    EXPECT_THAT(result.failures, IsEmpty());
    EXPECT_THAT(result.unreachable, HasSubstr("Spawn"));
}

// The folders a session bus searches, as a user with Sonawell installed has them, until the
// end of the test; each with its own service file for the name when given one.
class SessionFolders {
public:
    SessionFolders(const std::string& userExec, const std::string& systemExec)
        : user_(folder_.file("data/dbus-1/services")),
          system_(folder_.file("system/dbus-1/services")) {
        std::filesystem::create_directories(user_);
        std::filesystem::create_directories(system_);
        if (!userExec.empty()) {
            quillmarktest::WriteServiceFile(user_, "Sonawell.QuickConvertEngine", userExec);
        }
        if (!systemExec.empty()) {
            quillmarktest::WriteServiceFile(system_, "Sonawell.QuickConvertEngine", systemExec);
        }
        Set("XDG_DATA_HOME", folder_.file("data"));
        Set("XDG_DATA_DIRS", folder_.file("elsewhere") + ":" + folder_.file("system"));
        Set("XDG_RUNTIME_DIR", folder_.path());  // so that the machine's own are not searched
    }
    ~SessionFolders() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                g_setenv(name.c_str(), value->c_str(), TRUE);
            } else {
                g_unsetenv(name.c_str());
            }
        }
    }
    SessionFolders(const SessionFolders&) = delete;
    SessionFolders& operator=(const SessionFolders&) = delete;

    std::string userFile() const { return user_ + "/Sonawell.QuickConvertEngine.service"; }
    std::string systemFile() const { return system_ + "/Sonawell.QuickConvertEngine.service"; }
    std::string file(const std::string& name) const { return folder_.file(name); }

private:
    void Set(const std::string& name, const std::string& value) {
        const char* old = g_getenv(name.c_str());
        saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        g_setenv(name.c_str(), value.c_str(), TRUE);
    }

    TempFolder folder_;
    std::string user_;
    std::string system_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A run from a build folder since deleted left a user service file behind, and the package
// installed since provides the name: the file goes and the installed server gets the files.
TEST(QuickConvertClient, AUserServiceFileNamingAMissingProgramGivesWayToTheInstalledOne) {
    TempFolder scratch;
    const std::string record = scratch.file("record");
    SessionFolders folders(scratch.file("gone/build/bin/sonawell"),
                           std::string(QUILLMARK_TEST_ENGINE) + " " + record);
    PrivateBus bus{quillmarktest::SessionServiceFolders{}};

    const auto result =
        quickconvert::AddJobs(quickconvert::kProgId, {"/m/a.mp3", "/m/b.mp3"}, bus.address());
    EXPECT_TRUE(result.allHandedOver()) << result.unreachable;
    EXPECT_THAT(ReadRecord(record), ElementsAre("/m/a.mp3", "/m/b.mp3"));
    EXPECT_EQ(result.removedServiceFile, folders.userFile());
    EXPECT_FALSE(std::filesystem::exists(folders.userFile()));
    EXPECT_TRUE(std::filesystem::exists(folders.systemFile()));
}

// With nothing installed, the user's file is the only way to start Sonawell: it stays, and
// the hand-over says why it failed.
TEST(QuickConvertClient, AUserServiceFileWithNoInstalledOneStaysWhenItsProgramIsMissing) {
    TempFolder scratch;
    SessionFolders folders(scratch.file("gone/build/bin/sonawell"), {});
    PrivateBus bus{quillmarktest::SessionServiceFolders{}};

    const auto result = quickconvert::AddJobs(quickconvert::kProgId, {"/m/a.mp3"}, bus.address());
    EXPECT_FALSE(result.reached);
    EXPECT_THAT(result.unreachable, HasSubstr("Failed to execute program"));
    EXPECT_EQ(result.removedServiceFile, "");
    EXPECT_TRUE(std::filesystem::exists(folders.userFile()));
}

}  // namespace
