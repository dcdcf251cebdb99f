// The bitmap writer: exact file sizes and headers, and pictures that read back unchanged.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "picture/bmp.h"

namespace {

using frame::picture::DecodeBmp;
using frame::picture::EncodeBmp;
using frame::picture::Image;

std::uint32_t Field32(const std::vector<std::uint8_t>& file, std::size_t at) {
    return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (static_cast<std::uint32_t>(file[at + 3]) << 24);
}

std::uint16_t Field16(const std::vector<std::uint8_t>& file, std::size_t at) {
    return static_cast<std::uint16_t>(file[at] | (file[at + 1] << 8));
}

Image Pattern(int width, int height, const std::vector<std::uint32_t>& colours) {
    Image image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        image.pixels.push_back(colours[(i * 7 + i / width) % colours.size()]);
    }
    return image;
}

const std::vector<std::uint32_t> kColours = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFEDCBA};

struct RoundTrip {
    std::string name;
    int bitCount;
    int width;
    int height;
};

class RoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, ReadsBackTheSamePixels) {
    const RoundTrip& trip = GetParam();
    const Image image = Pattern(trip.width, trip.height, kColours);
    const auto file = EncodeBmp(image, trip.bitCount, trip.bitCount == 8 ? kColours : std::vector<std::uint32_t>{});
    const auto result = DecodeBmp(file);
    const auto* decoded = std::get_if<Image>(&result);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->width, image.width);
    EXPECT_EQ(decoded->height, image.height);
    EXPECT_EQ(decoded->pixels, image.pixels);
}

INSTANTIATE_TEST_SUITE_P(Depths, RoundTripTest,
                         ::testing::Values(RoundTrip{"indexed_odd_width", 8, 5, 3}, RoundTrip{"indexed_one", 8, 1, 1},
                                           RoundTrip{"rgb_padded", 24, 3, 4}, RoundTrip{"rgb_aligned", 24, 4, 2},
                                           RoundTrip{"rgbx", 32, 3, 2}),
                         [](const auto& info) { return info.param.name; });

struct FileLayout {
    int bitCount;
    std::size_t paletteSize;
    std::size_t fileSize;
    std::uint32_t offBits;
    std::uint32_t clrUsed;
};

class FileLayoutTest : public ::testing::TestWithParam<FileLayout> {};

TEST_P(FileLayoutTest, HeadersDescribeTheFile) {
    const FileLayout& layout = GetParam();
    std::vector<std::uint32_t> palette;
    for (std::size_t i = 0; i < layout.paletteSize; ++i) palette.push_back(static_cast<std::uint32_t>(i * 0x010101));
    const Image image{200, 200, std::vector<std::uint32_t>(200 * 200, 0)};
    const auto file = EncodeBmp(image, layout.bitCount, palette);
    ASSERT_EQ(file.size(), layout.fileSize);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Field32(file, 2), layout.fileSize);
    EXPECT_EQ(Field32(file, 10), layout.offBits);
    EXPECT_EQ(Field32(file, 14), 40u);
    EXPECT_EQ(Field32(file, 18), 200u);
    EXPECT_EQ(Field32(file, 22), 200u);  // positive: bottom-up
    EXPECT_EQ(Field16(file, 26), 1);
    EXPECT_EQ(Field16(file, 28), layout.bitCount);
    EXPECT_EQ(Field32(file, 30), 0u);
    EXPECT_EQ(Field32(file, 34), layout.fileSize - layout.offBits);
    EXPECT_EQ(Field32(file, 46), layout.clrUsed);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileLayoutTest,
                         ::testing::Values(FileLayout{8, 256, 41078, 1078, 0}, FileLayout{8, 16, 40118, 118, 16},
                                           FileLayout{24, 0, 120054, 54, 0}, FileLayout{32, 0, 160054, 54, 0}));

TEST(EncodeBmp, RepeatedPaletteColourUsesItsFirstEntry) {
    const Image image{1, 1, {0x00AA00}};
    const auto file = EncodeBmp(image, 8, std::vector<std::uint32_t>{0x000000, 0x00AA00, 0x00AA00});
    EXPECT_EQ(file[Field32(file, 10)], 1);
}

TEST(EncodeBmp, RefusesWhatItCannotWrite) {
    const Image image{2, 1, {0x010101, 0x020202}};
    const std::vector<std::uint32_t> both = {0x010101, 0x020202};
    const std::vector<std::uint32_t> one = {0x010101};
    EXPECT_THROW(EncodeBmp(image, 16), std::invalid_argument);
    EXPECT_THROW(EncodeBmp(image, 4, both), std::invalid_argument);
    EXPECT_THROW(EncodeBmp(image, 8), std::invalid_argument);
    EXPECT_THROW(EncodeBmp(image, 8, one), std::invalid_argument);
    EXPECT_THROW(EncodeBmp(image, 8, std::vector<std::uint32_t>(257, 0x010101)), std::invalid_argument);
    EXPECT_THROW(EncodeBmp(Image{3, 1, {0, 0}}, 24), std::invalid_argument);
    EXPECT_THROW(EncodeBmp(Image{0, 0, {}}, 24), std::invalid_argument);
    EXPECT_NO_THROW(EncodeBmp(image, 8, both));
}

}  // namespace
