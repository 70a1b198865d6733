// The context-menu handler's core: what the menu offers for a selection, what choosing the
// item hands to a quick-convert server double, and the message naming what did not go over.

#include "quillmark/wma_ext_core.h"
#include "quillmark/engine_double.h"
#include "quillmark/main_loop.h"
#include "quillmark/private_bus.h"
#include "quillmark/recording_presenter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

using quillmark::MenuItem;
using quillmark::WMAExtCore;
using quillmarktest::EngineDouble;
using quillmarktest::PrivateBus;
using quillmarktest::RecordingPresenter;
using quillmarktest::RunUntil;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;
using ::testing::StartsWith;

namespace {

// The item the handler adds to an empty menu for `selection`, or "" for none.
std::string ItemFor(std::vector<std::string> selection) {
    quillmarktest::RecordedMessages messages;
    WMAExtCore handler(std::make_shared<RecordingPresenter>(messages));
    handler.Initialize(std::move(selection));
    std::vector<MenuItem> menu;
    const unsigned used = handler.QueryContextMenu(menu, 0, 7);
    if (used == 0) {
        EXPECT_THAT(menu, IsEmpty());
        return {};
    }
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu.front().commandId, 7u);
    return menu.front().text;
}

TEST(WMAExtMenu, TheFirstFileWithAKnownExtensionDecidesTheItem) {
    EXPECT_EQ(ItemFor({"/music/song.MP3"}), "Convert To WMA");
    EXPECT_EQ(ItemFor({"/music/track.wma"}), "Convert to WAV");
    EXPECT_EQ(ItemFor({"/m/x.mp2"}), "Convert To WMA");
    EXPECT_EQ(ItemFor({"/m/x.WaV"}), "Convert To WMA");
    for (const char* other : {"/m/a.flac", "/m/a.ogg", "/m/a.opus", "/m/a.m4a", "/m/a.aiff",
                              "/m/a.wv", "/m/a.ape", "/m/a.aac"}) {
        EXPECT_EQ(ItemFor({other}), "Convert To WMA") << other;
    }
    EXPECT_EQ(ItemFor({"/m/a.txt", "/m/b.wma", "/m/c.mp3"}), "Convert to WAV");
    // A folder, as the file manager marks it, holds sources to convert.
    EXPECT_EQ(ItemFor({"/m/Album A/"}), "Convert To WMA");
    EXPECT_EQ(ItemFor({"/m/a.txt", "/m/Album A/", "/m/b.wma"}), "Convert To WMA");
    EXPECT_EQ(ItemFor({"/m/c.mp3", "/m/b.wma"}), "Convert To WMA");
}

// As the converter judges names: the extension follows a dot, so "xmp3", which quick convert
// would drop, gets no item.
TEST(WMAExtMenu, AnExtensionNeedsItsDot) {
    EXPECT_EQ(ItemFor({"/m/xmp3"}), "");
    EXPECT_EQ(ItemFor({"xwma"}), "");
    EXPECT_EQ(ItemFor({"mp3"}), "");
    EXPECT_EQ(ItemFor({"/m/a.b.wma"}), "Convert to WAV");
    EXPECT_EQ(ItemFor({"/m/album.mp3/track01"}), "");
    EXPECT_EQ(ItemFor({"/m/xwma", "/m/a.wav"}), "Convert To WMA");
}

TEST(WMAExtMenu, NothingForAnUnknownOrEmptySelection) {
    EXPECT_EQ(ItemFor({"/m/a.txt", "/m/b.ogx", "/m/c.mp3 "}), "");
    EXPECT_EQ(ItemFor({}), "");
}

TEST(WMAExtMenu, TheItemGoesWhereTheHostAsksAndANewSelectionReplacesTheOld) {
    quillmarktest::RecordedMessages messages;
    WMAExtCore handler(std::make_shared<RecordingPresenter>(messages));
    handler.Initialize({"/m/a.wma"});
    std::vector<MenuItem> menu = {{"Open", 1}, {"Copy", 2}};
    EXPECT_EQ(handler.QueryContextMenu(menu, 1, 40), 1u);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[1].text, "Convert to WAV");
    EXPECT_EQ(menu[1].commandId, 40u);
    EXPECT_EQ(menu[2].text, "Copy");

    handler.Initialize({"/m/readme.txt"});
    std::vector<MenuItem> second;
    EXPECT_EQ(handler.QueryContextMenu(second, 0, 40), 0u);
    EXPECT_THAT(second, IsEmpty());
}

TEST(WMAExtMessage, NamesEveryFileNotHandedOverUnderItsReason) {
    using quickconvert::FailureKind;
    const std::vector<std::string> files = {"/m/a.mp3", "/m/caf\xe9.mp3", "/m/c.mp3"};
    quickconvert::AddJobsResult result;
    result.reached = true;
    result.handedOver = {"/m/a.mp3"};
    result.failures = {
        {1, files[1], FailureKind::Refused, "GDBus.Error:Sonawell.Error.Closing: closing"},
        {2, files[2], FailureKind::NoAnswer, "no answer within 20 s"}};
    EXPECT_EQ(quillmark::FailureText(files, result),
              "2 files were not handed over to Sonawell.\n\n"
              "Sonawell refused it: closing\n/m/caf\uFFFD.mp3\n\n"
              "Sonawell gave no answer within 20 s\n/m/c.mp3");
    EXPECT_THAT(quillmark::NotHandedOver(files, result), ElementsAre(files[1], files[2]));

    result.failures.clear();
    EXPECT_EQ(quillmark::FailureText(files, result), "");

    // Unreached, every file is named; a long list is cut to what fits on a screen.
    std::vector<std::string> many;
    for (int i = 0; i < 12; ++i) {
        many.push_back("/m/" + std::to_string(i) + ".mp3");
    }
    quickconvert::AddJobsResult unreached;
    unreached.unreachable = "GDBus.Error:org.freedesktop.DBus.Error.ServiceUnknown: not here";
    const std::string text = quillmark::FailureText(many, unreached);
    EXPECT_THAT(text, StartsWith("12 files were not handed over to Sonawell.\n\n"
                                 "Sonawell could not be reached: not here\n/m/0.mp3\n"));
    EXPECT_THAT(text, EndsWith("\n/m/9.mp3\nand 2 more"));
    EXPECT_EQ(quillmark::NotHandedOver(many, unreached), many);
}

class WMAExtInvoke : public ::testing::Test {
protected:
    // Invokes the item and waits for the hand-over's outcome.
    std::optional<quickconvert::AddJobsResult> Invoke(
        const quillmark::Command& command,
        std::chrono::milliseconds limit = std::chrono::seconds(60)) {
        std::optional<quickconvert::AddJobsResult> outcome;
        handler.setObserver(
            [&outcome](const quickconvert::AddJobsResult& result) { outcome = result; });
        EXPECT_EQ(handler.InvokeCommand(command), sw::result::kOk);
        RunUntil([&outcome] { return outcome.has_value(); }, limit);
        return outcome;
    }

    PrivateBus bus;
    EngineDouble engine{bus.address()};
    quillmarktest::RecordedMessages messages;
    std::shared_ptr<RecordingPresenter> presenter = std::make_shared<RecordingPresenter>(messages);
    WMAExtCore handler{presenter, {bus.address()}};
};

TEST_F(WMAExtInvoke, HandsOverEverySelectedFileInOrderWhateverItsExtension) {
    handler.Initialize({"/m/a.txt", "/m/b.wma", "/m/c.mp3"});
    ASSERT_TRUE(Invoke(0u).has_value());
    EXPECT_THAT(engine.received(), ElementsAre("/m/a.txt", "/m/b.wma", "/m/c.mp3"));
    EXPECT_THAT(presenter->shown, IsEmpty());
}

TEST_F(WMAExtInvoke, AStringVerbOrAnotherOffsetDoesNothing) {
    handler.Initialize({"/m/a.mp3"});
    // Long enough for a hand-over to a server that answers at once.
    EXPECT_FALSE(Invoke(std::string("convert"), std::chrono::milliseconds(500)).has_value());
    EXPECT_FALSE(Invoke(1u, std::chrono::milliseconds(500)).has_value());
    EXPECT_THAT(engine.received(), IsEmpty());
    EXPECT_THAT(presenter->shown, IsEmpty());
}

TEST(WMAExtRefusal, ARefusedFileIsNamedAndRetryHandsOverOnlyIt) {
    PrivateBus bus;
    EngineDouble engine(bus.address(), "Sonawell.QuickConvertEngine", "refuse");
    quillmarktest::RecordedMessages messages;
    auto presenter = std::make_shared<RecordingPresenter>(messages);
    WMAExtCore handler(presenter, {bus.address()});
    handler.Initialize({"/m/refuse.mp3", "/m/b.mp3"});
    int outcomes = 0;
    handler.setObserver([&outcomes](const quickconvert::AddJobsResult&) { ++outcomes; });
    handler.InvokeCommand(0u);
    ASSERT_TRUE(RunUntil([&] { return outcomes == 1; }, std::chrono::seconds(60)));
    EXPECT_THAT(engine.received(), ElementsAre("/m/refuse.mp3", "/m/b.mp3"));
    ASSERT_EQ(presenter->shown.size(), 1u);
    EXPECT_EQ(presenter->shown[0],
              "1 file was not handed over to Sonawell.\n\n"
              "Sonawell refused it: this file was refused\n/m/refuse.mp3");

    presenter->retries[0]();
    ASSERT_TRUE(RunUntil([&] { return outcomes == 2; }, std::chrono::seconds(60)));
    EXPECT_THAT(engine.received(), ElementsAre("/m/refuse.mp3", "/m/b.mp3", "/m/refuse.mp3"));
    EXPECT_EQ(presenter->shown.size(), 2u);
}

TEST(WMAExtNoServer, NamesEveryFileAndRetryReachesAServerThatCameLater) {
    PrivateBus bus;  // nobody owns the name and nothing can be started for it
    quillmarktest::RecordedMessages messages;
    auto presenter = std::make_shared<RecordingPresenter>(messages);
    WMAExtCore handler(presenter, {bus.address()});
    handler.Initialize({"/m/a.mp3", "/m/b.mp3"});
    std::vector<quickconvert::AddJobsResult> outcomes;
    handler.setObserver(
        [&outcomes](const quickconvert::AddJobsResult& result) { outcomes.push_back(result); });
    EXPECT_EQ(handler.InvokeCommand(0u), sw::result::kOk);
    ASSERT_TRUE(RunUntil([&] { return outcomes.size() == 1; }, std::chrono::seconds(60)));
    EXPECT_FALSE(outcomes[0].reached);
    EXPECT_THAT(outcomes[0].handedOver, IsEmpty());
    ASSERT_EQ(presenter->shown.size(), 1u);
    EXPECT_THAT(presenter->shown[0], StartsWith("2 files were not handed over to Sonawell.\n\n"
                                                "Sonawell could not be reached: "));
    EXPECT_THAT(presenter->shown[0], EndsWith("\n/m/a.mp3\n/m/b.mp3"));

    EngineDouble late(bus.address());
    presenter->retries[0]();
    ASSERT_TRUE(RunUntil([&] { return outcomes.size() == 2; }, std::chrono::seconds(60)));
    EXPECT_TRUE(outcomes[1].allHandedOver());
    EXPECT_THAT(late.received(), ElementsAre("/m/a.mp3", "/m/b.mp3"));
    EXPECT_EQ(presenter->shown.size(), 1u);
}

}  // namespace
