#include "core/fs/path_text.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

TEST(PathRoutinesTest, GetFileExtensionKeepsCaseAfterTheLastDot) {
    EXPECT_EQ(fileExtension(S("C:\\Music\\a.MP3")), S("MP3"));
    EXPECT_EQ(fileExtension(S("/music/a.tar.Gz")), S("Gz"));
    EXPECT_EQ(fileExtension(S("C:\\My.Music\\a")), S("Music\\a"));
    EXPECT_EQ(fileExtension(S("/My.Music/a")), S("Music/a"));
    EXPECT_EQ(fileExtension(S("/music/a")), QString());
    EXPECT_EQ(fileExtension(S("a.")), QString());
}

TEST(PathRoutinesTest, ExtractFileNameIgnoresTheLastCharacter) {
    EXPECT_EQ(extractFileName(S("C:\\Music\\a.mp3")), S("a.mp3"));
    EXPECT_EQ(extractFileName(S("/music/a.mp3")), S("a.mp3"));
    EXPECT_EQ(extractFileName(S("/music\\mixed/a.mp3")), S("a.mp3"));
    EXPECT_EQ(extractFileName(S("a.mp3")), S("a.mp3"));
    EXPECT_EQ(extractFileName(S("C:\\Music\\")), S("Music\\"));
    EXPECT_EQ(extractFileName(S("/music/")), S("music/"));
    EXPECT_EQ(extractFileName(S("/")), S("/"));
    EXPECT_EQ(extractFileName(S("/a")), S("a"));
    EXPECT_EQ(extractFileName(QString()), QString());
}

TEST(PathRoutinesTest, StripTrailingSeparatorRemovesOnlyOne) {
    EXPECT_EQ(stripTrailingSeparator(S("C:\\")), S("C:"));
    EXPECT_EQ(stripTrailingSeparator(S("/music/out/")), S("/music/out"));
    EXPECT_EQ(stripTrailingSeparator(S("/music/out//")), S("/music/out/"));
    EXPECT_EQ(stripTrailingSeparator(S("C:\\out\\\\")), S("C:\\out\\"));
    EXPECT_EQ(stripTrailingSeparator(S("/music/out")), S("/music/out"));
    EXPECT_EQ(stripTrailingSeparator(S("/")), QString());
    EXPECT_EQ(stripTrailingSeparator(QString()), QString());
}

}  // namespace
