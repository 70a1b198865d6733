#include "mellorin/riff_file.h"

#include "mellorin/file_bytes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace mellorin {
namespace {

TEST(RiffFileTest, ChunksAreFoundAgainPastOddSizedNeighbours) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.riff"));
    // A small buffer so that chunk headers straddle buffer boundaries.
    auto file = RiffFile::Create(path.toStdString(), 5);
    ASSERT_TRUE(file);
    ChunkInfo riff;
    riff.formType = FourCC("TEST");
    ASSERT_TRUE(file->CreateChunk(riff, true));
    ChunkInfo odd;
    odd.id = FourCC("odd ");
    ASSERT_TRUE(file->CreateChunk(odd, false));
    ASSERT_TRUE(file->Write("abc", 3));
    ASSERT_TRUE(file->Ascend(odd));
    ChunkInfo last;
    last.id = FourCC("last");
    ASSERT_TRUE(file->CreateChunk(last, false));
    ASSERT_TRUE(file->Write("wxyz", 4));
    ASSERT_TRUE(file->Ascend(last));
    ASSERT_TRUE(file->Ascend(riff));

    ASSERT_TRUE(file->Seek(0));
    ChunkInfo read;
    ASSERT_TRUE(file->DescendRiff(read));
    EXPECT_EQ(read.size, 4u + 8 + 4 + 8 + 4);
    EXPECT_EQ(read.formType, FourCC("TEST"));
    ChunkInfo found;
    ASSERT_TRUE(file->DescendFind(found, read, FourCC("last")));
    EXPECT_EQ(found.size, 4u);
    char value[4];
    ASSERT_TRUE(file->Read(value, 4));
    EXPECT_EQ(std::string(value, 4), "wxyz");

    ASSERT_TRUE(file->Seek(12));
    EXPECT_FALSE(file->DescendFind(found, read, FourCC("none")));
    ASSERT_TRUE(file->Close());

    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    ASSERT_EQ(bytes.size(), 36u);
    EXPECT_EQ(test::Le32(bytes, 16), 3u);
    EXPECT_EQ(bytes[23], 0);  // pad byte after "abc"
}

}  // namespace
}  // namespace mellorin
