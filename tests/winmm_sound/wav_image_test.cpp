// The RIFF/WAVE walk on well-formed, oddly ordered and broken images.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "winmm/wav_image.h"

namespace {

std::vector<std::uint8_t> Seed(const std::string& name) {
    std::ifstream in(std::string(WAV_SEEDS) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WavImageTest, LayoutOfEachSeed) {
    const struct {
        const char* seed;
        bool valid;
        std::uint16_t tag;
        std::uint16_t channels;
        std::uint32_t rate;
        std::size_t dataSize;  // 0: not checked
    } cases[] = {
        {"pcm_s16_stereo_44100.wav", true, 1, 2, 44100, 8820 * 4},
        {"pcm_s24_mono_48000.wav", true, 0xFFFE, 1, 48000, 9600 * 3},
        {"ima_adpcm_mono_22050.wav", true, 0x11, 1, 22050, 0},
        {"ms_adpcm_stereo_22050.wav", true, 2, 2, 22050, 0},
        {"mulaw_mono_8000.wav", true, 7, 1, 8000, 1600},
        {"list_before_fmt.wav", true, 1, 1, 8000, 800},
        {"data_before_fmt.wav", true, 1, 1, 8000, 800},
        {"trailing_bytes.wav", true, 1, 1, 8000, 800},
        {"truncated_data.wav", true, 1, 2, 44100, (3001 - 44) / 4 * 4},
        {"odd_data.wav", true, 1, 1, 8000, 101},
        {"empty_data.wav", true, 1, 1, 8000, 0},
        {"garbage.bin", false, 0, 0, 0, 0},
        {"truncated_header.wav", false, 0, 0, 0, 0},
        {"huge_chunk.wav", false, 0, 0, 0, 0},
        {"zero_channels.wav", false, 0, 0, 0, 0},
        {"zero_block_align.wav", false, 0, 0, 0, 0},
        {"riff_size_tiny.wav", false, 0, 0, 0, 0},
        {"short_fmt.wav", false, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seed);
        const auto image = Seed(c.seed);
        ASSERT_FALSE(image.empty());
        const auto layout = winmm::ParseWav(image);
        ASSERT_EQ(layout.has_value(), c.valid);
        if (!layout) continue;
        EXPECT_EQ(layout->format.formatTag, c.tag);
        EXPECT_EQ(layout->format.channels, c.channels);
        EXPECT_EQ(layout->format.samplesPerSecond, c.rate);
        if (c.dataSize != 0) {
            EXPECT_EQ(layout->dataSize, c.dataSize);
        }

        // The rebuilt image holds the same format and data, in order, with exact sizes.
        const auto canonical = winmm::CanonicalWav(image, *layout);
        const auto again = winmm::ParseWav(canonical);
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->dataSize, layout->dataSize);
        EXPECT_EQ(again->formatSize, layout->formatSize);
        EXPECT_EQ(again->factSize, layout->factSize);
        EXPECT_TRUE(std::equal(canonical.begin() + static_cast<std::ptrdiff_t>(again->dataOffset),
                               canonical.begin() + static_cast<std::ptrdiff_t>(again->dataOffset + again->dataSize),
                               image.begin() + static_cast<std::ptrdiff_t>(layout->dataOffset)));
        const std::array<std::uint8_t, 12> head{canonical[0], canonical[1], canonical[2],  canonical[3],
                                                canonical[4], canonical[5], canonical[6],  canonical[7],
                                                canonical[8], canonical[9], canonical[10], canonical[11]};
        EXPECT_EQ(winmm::RiffImageSize(head), canonical.size());
    }
}

TEST(WavImageTest, RiffSizeInMemoryIsBounded) {
    std::array<std::uint8_t, 12> head{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
    EXPECT_EQ(winmm::RiffImageSize(head), 12u);
    head[4] = 0xFF, head[5] = 0xFF, head[6] = 0xFF, head[7] = 0xFF;
    EXPECT_FALSE(winmm::RiffImageSize(head).has_value());
    head[4] = 0, head[5] = 0, head[6] = 0, head[7] = 0;
    EXPECT_FALSE(winmm::RiffImageSize(head).has_value());
    head[0] = 'X';
    head[4] = 100;
    EXPECT_FALSE(winmm::RiffImageSize(head).has_value());
}

}  // namespace
