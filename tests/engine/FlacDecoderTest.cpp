#include "instructions/CFlacDecoder.h"

#include "engine/FlacTestSupport.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using KisTest::ReadFile;
using KisTest::TempFolder;

namespace {

class FlacDecoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(KisTest::FlacToolAvailable()) << "the flac tool is needed as oracle";
    }

    // Encodes a test signal and returns the FLAC file's path.
    std::string MakeStream(const std::string& name, int channels, int bits, int frames, uint32_t seed = 1,
                           const char* options = "") {
        const std::string wave = m_folder / (name + ".in.wav");
        const std::string flac = m_folder / (name + ".zdrca");
        KisTest::WriteTestWave(wave, channels, bits, frames, seed);
        EXPECT_TRUE(KisTest::EncodeWithFlacTool(wave, flac, options)) << name;
        return flac;
    }

    std::string ToolOutput(const std::string& flac) {
        const std::string wave = flac + ".tool.wav";
        EXPECT_TRUE(KisTest::DecodeWithFlacTool(flac, wave)) << flac;
        return ReadFile(wave);
    }

    // The offset of the first audio frame: after the marker and the metadata blocks.
    static size_t FirstFrameOffset(const std::string& bytes) {
        size_t offset = 4;
        for (;;) {
            const auto header = static_cast<uint8_t>(bytes.at(offset));
            const size_t length = (size_t(uint8_t(bytes.at(offset + 1))) << 16) |
                                  (size_t(uint8_t(bytes.at(offset + 2))) << 8) |
                                  uint8_t(bytes.at(offset + 3));
            offset += 4 + length;
            if (header & 0x80) return offset;
        }
    }

    TempFolder m_folder;
};

TEST_F(FlacDecoderTest, WritesTheSameFileAsTheFlacTool) {
    struct Case {
        int channels, bits, frames;
    };
    // Odd frame counts give odd data sizes for 8-bit and 24-bit mono: the pad byte must match too.
    const Case cases[] = {{1, 16, 20001}, {2, 16, 30000}, {1, 24, 20001}, {2, 24, 25000},
                          {1, 8, 9999},   {2, 8, 5000},   {3, 16, 4000},  {6, 24, 3001}};
    CFlacDecoder decoder;
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.channels) + "ch" + std::to_string(c.bits);
        const std::string flac = MakeStream(name, c.channels, c.bits, c.frames);
        const std::string output = m_folder / (name + ".wav");
        ASSERT_EQ(decoder.Decode(flac.c_str(), output.c_str()), 0) << name;
        const std::string expected = ToolOutput(flac);
        ASSERT_FALSE(expected.empty()) << name;
        EXPECT_TRUE(ReadFile(output) == expected) << name << ": differs from the flac tool's output";
    }
}

TEST_F(FlacDecoderTest, FollowsTheChannelMaskTagAndUnknownLengthsAsTheFlacTool) {
    const std::string stereo = MakeStream("mask", 2, 16, 4000);
    ASSERT_TRUE(KisTest::RunCommand("metaflac --set-tag=WAVEFORMATEXTENSIBLE_CHANNEL_MASK=0x0001 " +
                                    KisTest::ShellQuoted(stereo)));
    const std::string maskOutput = m_folder / "mask.wav";
    ASSERT_EQ(CFlacDecoder::DecodeFile(stereo.c_str(), maskOutput.c_str()), 0);
    EXPECT_TRUE(ReadFile(maskOutput) == ToolOutput(stereo));

    // Encoded from a pipe, the stream knows neither its length nor its signature.
    const std::string wave = m_folder / "pipe.in.wav";
    const std::string piped = m_folder / "pipe.zdrca";
    KisTest::WriteTestWave(wave, 1, 16, 7001);
    ASSERT_TRUE(KisTest::RunCommand("{ tail -c +45 " + KisTest::ShellQuoted(wave) +
                                    " | flac -s -f --force-raw-format --endian=little --sign=signed "
                                    "--channels=1 --bps=16 --sample-rate=44100 -c - > " +
                                    KisTest::ShellQuoted(piped) + "; }"));
    const std::string pipedOutput = m_folder / "pipe.wav";
    ASSERT_EQ(CFlacDecoder::DecodeFile(piped.c_str(), pipedOutput.c_str()), 0);
    const std::string expected = ToolOutput(piped);
    EXPECT_EQ(expected.size(), 44u + 7001u * 2u);
    EXPECT_TRUE(ReadFile(pipedOutput) == expected);
}

TEST_F(FlacDecoderTest, OverwritesAnExistingFileAndCanBeCalledAgainAfterAFailure) {
    const std::string flac = MakeStream("again", 2, 24, 12000);
    const std::string output = m_folder / "again.wav";
    KisTest::WriteFile(output, std::string(1 << 20, 'x'));
    CFlacDecoder decoder;
    const std::string missing = m_folder / "missing.zdrca";
    EXPECT_NE(decoder.Decode(missing.c_str(), (m_folder / "missing.wav").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "missing.wav"));
    ASSERT_EQ(decoder.Decode(flac.c_str(), output.c_str()), 0);
    const std::string first = ReadFile(output);
    EXPECT_TRUE(first == ToolOutput(flac));
    ASSERT_EQ(decoder.Decode(flac.c_str(), output.c_str()), 0);
    EXPECT_TRUE(ReadFile(output) == first);
}

TEST_F(FlacDecoderTest, DamagedStreamsFailWithoutLeavingAWaveFile) {
    const std::string flac = MakeStream("good", 2, 16, 40000, 7);
    const std::string bytes = ReadFile(flac);
    const size_t frames = FirstFrameOffset(bytes);

    // Cut off in the middle of the audio.
    const std::string truncated = m_folder / "truncated.zdrca";
    KisTest::WriteFile(truncated, bytes.substr(0, frames + (bytes.size() - frames) / 2));
    // A flipped byte inside a frame: the frame's checksum no longer holds.
    std::string flippedFrame = bytes;
    flippedFrame[frames + (bytes.size() - frames) / 3] ^= 0x10;
    const std::string corrupt = m_folder / "corrupt.zdrca";
    KisTest::WriteFile(corrupt, flippedFrame);
    // Intact frames of other audio than the header's MD5 signature was made of: every frame checksum
    // holds, only the signature check can tell.
    const std::string other = MakeStream("other", 2, 16, 40000, 8);
    const std::string otherBytes = ReadFile(other);
    ASSERT_EQ(FirstFrameOffset(otherBytes), frames);
    const std::string spliced = m_folder / "spliced.zdrca";
    KisTest::WriteFile(spliced, bytes.substr(0, frames) + otherBytes.substr(frames));
    // A damaged sample rate in the stream's header (44,100 Hz read as 1,006,660 Hz): the frames, which
    // carry their own rate, disagree, and neither checksum covers the header.
    std::string wrongRate = bytes;
    ASSERT_EQ(static_cast<uint8_t>(wrongRate[18]), 0x0A);
    wrongRate[18] = static_cast<char>(0xF5);
    const std::string rate = m_folder / "rate.zdrca";
    KisTest::WriteFile(rate, wrongRate);
    // Not a FLAC stream at all.
    const std::string garbage = m_folder / "garbage.zdrca";
    KisTest::WriteFile(garbage, std::string(5000, 'g'));

    CFlacDecoder decoder;
    for (const std::string& input : {truncated, corrupt, spliced, rate}) {
        const std::string output = input + ".wav";
        KisTest::WriteFile(output, "old content");
        EXPECT_NE(decoder.Decode(input.c_str(), output.c_str()), 0) << input;
        EXPECT_FALSE(std::filesystem::exists(output)) << input;
    }
    // A source that is no stream fails before the output is touched.
    const std::string garbageOutput = garbage + ".wav";
    KisTest::WriteFile(garbageOutput, "old content");
    EXPECT_NE(decoder.Decode(garbage.c_str(), garbageOutput.c_str()), 0);
    EXPECT_EQ(ReadFile(garbageOutput), "old content");

    // The decoder is still good for the next file.
    const std::string output = m_folder / "good.wav";
    ASSERT_EQ(decoder.Decode(flac.c_str(), output.c_str()), 0);
    EXPECT_TRUE(ReadFile(output) == ToolOutput(flac));
}

} // namespace
