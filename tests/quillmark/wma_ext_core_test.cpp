// The context-menu handler's core: what the menu offers for a selection, the help text, and
// what choosing the item hands to a quick-convert server double.

#include "quillmark/wma_ext_core.h"
#include "quillmark/engine_double.h"
#include "quillmark/private_bus.h"
#include "quillmark/recording_presenter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

using quillmark::MenuItem;
using quillmark::WMAExtCore;
using quillmarktest::EngineDouble;
using quillmarktest::PrivateBus;
using quillmarktest::RecordingPresenter;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The item the handler adds to an empty menu for `selection`, or "" for none.
std::string ItemFor(std::vector<std::string> selection) {
    RecordingPresenter presenter;
    WMAExtCore handler(presenter);
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
    EXPECT_EQ(ItemFor({"/m/a.txt", "/m/b.wma", "/m/c.mp3"}), "Convert to WAV");
    EXPECT_EQ(ItemFor({"/m/c.mp3", "/m/b.wma"}), "Convert To WMA");
}

TEST(WMAExtMenu, TheLastThreeLettersCountWithoutADot) {
    EXPECT_EQ(ItemFor({"/m/xmp3"}), "Convert To WMA");
    EXPECT_EQ(ItemFor({"xwma"}), "Convert to WAV");
    // Three characters or fewer are never judged.
    EXPECT_EQ(ItemFor({"mp3"}), "");
    EXPECT_EQ(ItemFor({"wma", "/m/a.wav"}), "Convert To WMA");
}

TEST(WMAExtMenu, NothingForAnUnknownOrEmptySelection) {
    EXPECT_EQ(ItemFor({"/m/a.txt", "/m/b.ogg", "/m/c.mp3 "}), "");
    EXPECT_EQ(ItemFor({}), "");
}

TEST(WMAExtMenu, TheItemGoesWhereTheHostAsksAndANewSelectionReplacesTheOld) {
    RecordingPresenter presenter;
    WMAExtCore handler(presenter);
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

TEST(WMAExtHelpText, IsCutToTheBufferInBothForms) {
    RecordingPresenter presenter;
    WMAExtCore handler(presenter);
    handler.Initialize({"/m/a.mp3"});

    std::array<char, 64> utf8{};
    EXPECT_EQ(handler.GetCommandString(0, quillmark::kHelpTextUtf8, utf8.data(), utf8.size()),
              quillmark::kOk);
    EXPECT_STREQ(utf8.data(), "Convert this audio file to WMA format.");
    utf8.fill('#');
    handler.GetCommandString(0, quillmark::kHelpTextUtf8, utf8.data(), 8);
    EXPECT_STREQ(utf8.data(), "Convert");
    EXPECT_EQ(utf8[8], '#');  // nothing past the size given

    std::array<char16_t, 64> utf16{};
    EXPECT_EQ(handler.GetCommandString(0, quillmark::kHelpTextUtf16, utf16.data(), utf16.size()),
              quillmark::kOk);
    EXPECT_EQ(std::u16string(utf16.data()), u"Convert this audio file to WMA format.");
    utf16.fill(u'#');
    handler.GetCommandString(0, quillmark::kHelpTextUtf16, utf16.data(), 4);
    EXPECT_EQ(std::u16string(utf16.data()), u"Con");
    EXPECT_EQ(utf16[4], u'#');

    // Exactly the text's length plus its NUL still fits whole.
    std::array<char, 39> exact{};
    handler.GetCommandString(0, quillmark::kHelpTextUtf8, exact.data(), exact.size());
    EXPECT_STREQ(exact.data(), "Convert this audio file to WMA format.");
}

TEST(WMAExtHelpText, OtherRequestsWriteNothing) {
    RecordingPresenter presenter;
    WMAExtCore handler(presenter);
    handler.Initialize({"/m/a.mp3"});
    std::array<char, 16> buffer{};
    buffer.fill('#');
    for (const unsigned verbType : {0u, 2u, 4u}) {
        EXPECT_EQ(handler.GetCommandString(0, verbType, buffer.data(), buffer.size()),
                  quillmark::kOk);
    }
    EXPECT_EQ(handler.GetCommandString(0, quillmark::kHelpTextUtf8, buffer.data(), 0),
              quillmark::kOk);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(
        handler.GetCommandString(0, quillmark::kHelpTextUtf8, static_cast<char*>(nullptr), 10),
        quillmark::kPointer);
    // The UTF-16 form asked for with a byte buffer is refused rather than written half.
    EXPECT_EQ(handler.GetCommandString(0, quillmark::kHelpTextUtf16, buffer.data(), buffer.size()),
              quillmark::kInvalidArg);
    EXPECT_EQ(buffer[0], '#');
}

class WMAExtInvoke : public ::testing::Test {
protected:
    PrivateBus bus;
    EngineDouble engine{bus.address()};
    RecordingPresenter presenter;
    WMAExtCore handler{presenter, bus.address()};
};

TEST_F(WMAExtInvoke, HandsOverEverySelectedFileInOrderWhateverItsExtension) {
    handler.Initialize({"/m/a.txt", "/m/b.wma", "/m/c.mp3"});
    EXPECT_EQ(handler.InvokeCommand(0u), quillmark::kOk);
    EXPECT_THAT(engine.received(), ElementsAre("/m/a.txt", "/m/b.wma", "/m/c.mp3"));
    EXPECT_THAT(presenter.shown, IsEmpty());
}

TEST_F(WMAExtInvoke, AStringVerbOrAnotherOffsetDoesNothing) {
    handler.Initialize({"/m/a.mp3"});
    EXPECT_EQ(handler.InvokeCommand(std::string("convert")), quillmark::kOk);
    EXPECT_EQ(handler.InvokeCommand(1u), quillmark::kOk);
    EXPECT_THAT(engine.received(), IsEmpty());
    EXPECT_FALSE(handler.lastDispatch().has_value());
    EXPECT_THAT(presenter.shown, IsEmpty());
}

TEST(WMAExtRefusal, ARefusedFileLeavesTheOthersHandedOverAndShowsNothing) {
    PrivateBus bus;
    EngineDouble engine(bus.address(), "Sonawell.QuickConvertEngine", "refuse");
    RecordingPresenter presenter;
    WMAExtCore handler(presenter, bus.address());
    handler.Initialize({"/m/refuse.mp3", "/m/b.mp3"});
    EXPECT_EQ(handler.InvokeCommand(0u), quillmark::kOk);
    EXPECT_THAT(engine.received(), ElementsAre("/m/refuse.mp3", "/m/b.mp3"));
    EXPECT_THAT(handler.lastDispatch()->handedOver, ElementsAre("/m/b.mp3"));
    EXPECT_THAT(presenter.shown, IsEmpty());
}

TEST(WMAExtNoServer, ShowsFailedDispatchAndHandsNothingOver) {
    PrivateBus bus;  // nobody owns the name and nothing can be started for it
    RecordingPresenter presenter;
    WMAExtCore handler(presenter, bus.address());
    handler.Initialize({"/m/a.mp3", "/m/b.mp3"});
    EXPECT_EQ(handler.InvokeCommand(0u), quillmark::kOk);
    EXPECT_THAT(presenter.shown, ElementsAre("failed dispatch"));
    ASSERT_TRUE(handler.lastDispatch().has_value());
    EXPECT_FALSE(handler.lastDispatch()->reached);
    EXPECT_THAT(handler.lastDispatch()->handedOver, IsEmpty());

    // A server that arrives later gets only what is handed over from then on.
    EngineDouble late(bus.address());
    handler.Initialize({"/m/c.mp3"});
    handler.InvokeCommand(0u);
    EXPECT_THAT(late.received(), ElementsAre("/m/c.mp3"));
    EXPECT_THAT(presenter.shown, ElementsAre("failed dispatch"));
}

}  // namespace
