#include "mellorin/wave_writer.h"

#include "mellorin/file_bytes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace mellorin {
namespace {

using test::Id;
using test::Le16;
using test::Le32;
using test::ReadBytes;

// 44.1 kHz stereo 16-bit.
constexpr WaveFormatEx kPcm{kWaveFormatPcm, 2, 44100, 176400, 4, 16, 0};

std::vector<uint8_t> PcmHeader(uint32_t riffSize, uint32_t fact, uint32_t dataSize) {
    std::vector<uint8_t> out;
    auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto putId = [&out](const char* id) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(id[i]));
    };
    putId("RIFF");
    put32(riffSize);
    putId("WAVE");
    putId("fmt ");
    put32(16);
    out.insert(out.end(), {0x01, 0x00, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1, 0x02, 0x00,
                           0x04, 0x00, 0x10, 0x00});
    putId("fact");
    put32(4);
    put32(fact);
    putId("data");
    put32(dataSize);
    return out;
}

class WaveWriterTest : public ::testing::Test {
protected:
    QString Path(const char* name = "out.wav") const { return dir_.filePath(QLatin1String(name)); }
    std::string PathUtf8(const char* name = "out.wav") const { return Path(name).toStdString(); }

    QTemporaryDir dir_;
};

TEST_F(WaveWriterTest, EmptyPcmFileIsTheBareHeader) {
    CWaveWriter writer;
    ASSERT_EQ(writer.Open(PathUtf8().c_str(), &kPcm), sw::result::kOk);
    ASSERT_EQ(writer.Close(), sw::result::kOk);
    EXPECT_EQ(ReadBytes(Path()), PcmHeader(48, 0, 0));
}

TEST_F(WaveWriterTest, OddDataIsPaddedAndCountedInRiffSize) {
    CWaveWriter writer;
    ASSERT_EQ(writer.Open(PathUtf8().c_str(), &kPcm), sw::result::kOk);
    const std::array<uint8_t, 3> samples{0xA1, 0xB2, 0xC3};
    uint32_t written = 99;
    ASSERT_EQ(writer.Write(3, samples.data(), &written), sw::result::kOk);
    EXPECT_EQ(written, 3u);
    ASSERT_EQ(writer.Close(), sw::result::kOk);

    std::vector<uint8_t> expected = PcmHeader(52, 0, 3);
    expected.insert(expected.end(), {0xA1, 0xB2, 0xC3, 0x00});
    EXPECT_EQ(ReadBytes(Path()), expected);
}

TEST_F(WaveWriterTest, NonPcmFormatKeepsTheWholeRecordAndPadsAnOddOne) {
    // A format record followed by its extra bytes, as callers lay it out in memory.
#pragma pack(push, 1)
    struct {
        WaveFormatEx format;
        uint8_t extra[3];
    } adpcm{{2, 1, 8000, 4096, 256, 4, 0}, {0x11, 0x22, 0x33}};
#pragma pack(pop)

    for (const uint16_t cbSize : {0, 3}) {
        SCOPED_TRACE(cbSize);
        adpcm.format.cbSize = cbSize;
        CWaveWriter writer;
        ASSERT_EQ(writer.Open(PathUtf8().c_str(), &adpcm.format), sw::result::kOk);
        ASSERT_EQ(writer.Close(), sw::result::kOk);
        const std::vector<uint8_t> bytes = ReadBytes(Path());

        const uint32_t fmtSize = 18u + cbSize;
        const size_t fact = 20 + fmtSize + (fmtSize & 1);
        const size_t data = fact + 12;
        ASSERT_EQ(bytes.size(), data + 8);
        EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
        EXPECT_EQ(Id(bytes, 12), "fmt ");
        EXPECT_EQ(Le32(bytes, 16), fmtSize);
        EXPECT_EQ(Le16(bytes, 20), 2);
        EXPECT_EQ(Le32(bytes, 24), 8000u);
        EXPECT_EQ(Le16(bytes, 36), cbSize);
        const std::vector<uint8_t> extra(bytes.begin() + 38, bytes.begin() + 38 + cbSize);
        EXPECT_EQ(extra, std::vector<uint8_t>(adpcm.extra, adpcm.extra + cbSize));
        if (fmtSize & 1) {
            EXPECT_EQ(bytes[20 + fmtSize], 0);
        }
        EXPECT_EQ(Id(bytes, fact), "fact");
        EXPECT_EQ(Le32(bytes, fact + 4), 4u);
        EXPECT_EQ(Le32(bytes, fact + 8), 0u);
        EXPECT_EQ(Id(bytes, data), "data");
        EXPECT_EQ(Le32(bytes, data + 4), 0u);
    }
}

TEST_F(WaveWriterTest, SamplesStayBufferedUntilCloseWhileTheSizesAreProvisional) {
    CWaveWriter writer;
    ASSERT_EQ(writer.Open(PathUtf8().c_str(), &kPcm), sw::result::kOk);
    const std::vector<uint8_t> samples(100, 0x5A);
    uint32_t written = 0;
    ASSERT_EQ(writer.Write(100, samples.data(), &written), sw::result::kOk);

    EXPECT_EQ(ReadBytes(Path()), PcmHeader(0, 0xFFFFFFFFu, 0));

    ASSERT_EQ(writer.Close(), sw::result::kOk);
    std::vector<uint8_t> expected = PcmHeader(148, 0, 100);
    expected.insert(expected.end(), samples.begin(), samples.end());
    EXPECT_EQ(ReadBytes(Path()), expected);
}

TEST_F(WaveWriterTest, ManyWritesAcrossBufferBoundariesKeepEveryByteInOrder) {
    std::vector<uint8_t> samples(3 * RiffFile::kDefaultBufferSize + 1001);
    std::iota(samples.begin(), samples.end(), uint8_t{7});
    CWaveWriter writer;
    ASSERT_EQ(writer.Open(PathUtf8().c_str(), &kPcm), sw::result::kOk);
    size_t offset = 0;
    for (uint32_t step = 1; offset < samples.size(); step = step * 3 + 1) {
        const auto count = static_cast<uint32_t>(std::min<size_t>(step, samples.size() - offset));
        uint32_t written = 0;
        ASSERT_EQ(writer.Write(count, samples.data() + offset, &written), sw::result::kOk);
        ASSERT_EQ(written, count);
        offset += count;
    }
    // Full buffers have reached the disk already; the rest waits for Close.
    const auto onDisk = ReadBytes(Path()).size();
    EXPECT_GT(onDisk, 56u);
    EXPECT_LT(onDisk, 56u + samples.size());
    ASSERT_EQ(writer.Close(), sw::result::kOk);

    const std::vector<uint8_t> bytes = ReadBytes(Path());
    ASSERT_EQ(bytes.size(), 56 + samples.size() + 1);
    EXPECT_EQ(Le32(bytes, 52), samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), bytes.begin() + 56));
    EXPECT_EQ(bytes.back(), 0);
}

TEST_F(WaveWriterTest, ArgumentAndOrderErrors) {
    CWaveWriter writer;
    uint32_t written = 42;
    const uint8_t byte = 1;
    EXPECT_EQ(writer.Close(), sw::result::kNotInitialized);
    EXPECT_EQ(writer.Write(1, &byte, &written), sw::result::kNotInitialized);
    EXPECT_EQ(written, 42u);
    EXPECT_FALSE(QFile::exists(Path()));

    ASSERT_EQ(writer.Open(PathUtf8().c_str(), &kPcm), sw::result::kOk);
    EXPECT_EQ(writer.Write(1, nullptr, &written), sw::result::kInvalidArg);
    EXPECT_EQ(writer.Write(1, &byte, nullptr), sw::result::kInvalidArg);
    EXPECT_EQ(written, 42u);
    EXPECT_EQ(writer.Write(0, &byte, &written), sw::result::kOk);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(writer.Close(), sw::result::kOk);
    EXPECT_EQ(writer.Close(), sw::result::kNotInitialized);
    EXPECT_EQ(ReadBytes(Path()), PcmHeader(48, 0, 0));
}

TEST_F(WaveWriterTest, OpenReplacesAnExistingFileAndFailsWhereNoFileCanBeMade) {
    {
        QFile old(Path());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    CWaveWriter writer;
    ASSERT_EQ(writer.Open(PathUtf8().c_str(), &kPcm), sw::result::kOk);
    ASSERT_EQ(writer.Close(), sw::result::kOk);
    EXPECT_EQ(ReadBytes(Path()), PcmHeader(48, 0, 0));

    const std::string missingFolder = PathUtf8("no/such/folder.wav");
    EXPECT_EQ(writer.Open(missingFolder.c_str(), &kPcm), sw::result::kFail);
    EXPECT_EQ(writer.Close(), sw::result::kNotInitialized);
}

TEST_F(WaveWriterTest, DestructionCompletesTheFile) {
    {
        CWaveWriter writer;
        ASSERT_EQ(writer.Open(PathUtf8().c_str(), &kPcm), sw::result::kOk);
        const std::array<uint8_t, 5> samples{1, 2, 3, 4, 5};
        uint32_t written = 0;
        ASSERT_EQ(writer.Write(5, samples.data(), &written), sw::result::kOk);
    }
    std::vector<uint8_t> expected = PcmHeader(54, 0, 5);
    expected.insert(expected.end(), {1, 2, 3, 4, 5, 0});
    EXPECT_EQ(ReadBytes(Path()), expected);
}

TEST_F(WaveWriterTest, DataThatWouldOverflowTheRiffSizeIsRefused) {
    EXPECT_EQ(CWaveWriter::kMaxRiffSize, 0xFFFFFFFFu);
    // A limit that leaves room for 10 sample bytes after the 48 bytes of header chunks.
    CWaveWriter writer(48 + 10);
    ASSERT_EQ(writer.Open(PathUtf8().c_str(), &kPcm), sw::result::kOk);
    const std::vector<uint8_t> samples(16, 0x33);
    uint32_t written = 0;
    ASSERT_EQ(writer.Write(9, samples.data(), &written), sw::result::kOk);  // 9 + pad byte fits
    EXPECT_EQ(writer.Write(2, samples.data(), &written), sw::result::kFail);
    EXPECT_EQ(written, 0u);
    ASSERT_EQ(writer.Write(1, samples.data(), &written), sw::result::kOk);
    EXPECT_EQ(writer.Write(1, samples.data(), &written), sw::result::kFail);
    ASSERT_EQ(writer.Close(), sw::result::kOk);

    std::vector<uint8_t> expected = PcmHeader(58, 0, 10);
    expected.insert(expected.end(), 10, 0x33);
    EXPECT_EQ(ReadBytes(Path()), expected);
}

}  // namespace
}  // namespace mellorin
