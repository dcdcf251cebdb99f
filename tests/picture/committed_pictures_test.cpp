// The pictures that ship with blendview and spritemask: their exact forms, and the sprite
// technique worked through on the decoded pixels with plain AND and OR.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <variant>
#include <vector>

#include "picture/bmp.h"

namespace {

using frame::picture::DecodeBmp;
using frame::picture::DecodeError;
using frame::picture::Image;

const std::filesystem::path kSourceDir = SUITE_SOURCE_DIR;

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Image Decode(const std::vector<std::uint8_t>& bytes) {
    auto result = DecodeBmp(bytes);
    if (const auto* error = std::get_if<DecodeError>(&result)) {
        ADD_FAILURE() << "refused: " << error->reason;
        return {};
    }
    return std::get<Image>(std::move(result));
}

std::uint16_t BitCount(const std::vector<std::uint8_t>& file) {
    return static_cast<std::uint16_t>(file[28] | (file[29] << 8));
}

struct ShippedPicture {
    std::string path;
    std::size_t fileSize;
    int width;
    int height;
    int bitCount;
};

class ShippedPictureTest : public ::testing::TestWithParam<ShippedPicture> {};

TEST_P(ShippedPictureTest, HasItsSizeAndDepth) {
    const ShippedPicture& picture = GetParam();
    const auto file = ReadBytes(kSourceDir / picture.path);
    ASSERT_EQ(file.size(), picture.fileSize);
    EXPECT_EQ(BitCount(file), picture.bitCount);
    const Image image = Decode(file);
    EXPECT_EQ(image.width, picture.width);
    EXPECT_EQ(image.height, picture.height);
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedPictureTest,
                         ::testing::Values(ShippedPicture{"blendview/Picture1.bmp", 41078, 200, 200, 8},
                                           ShippedPicture{"blendview/Picture2.bmp", 120054, 200, 200, 24},
                                           ShippedPicture{"spritemask/haikei.bmp", 822, 16, 16, 24},
                                           ShippedPicture{"spritemask/pic1.bmp", 6198, 64, 32, 24},
                                           ShippedPicture{"spritemask/pic2.bmp", 6198, 64, 32, 24}));

TEST(BlendPictures, AreColourfulDifferentAndHoldWhiteAndBlack) {
    const auto first = ReadBytes(kSourceDir / "blendview/Picture1.bmp");
    const auto second = ReadBytes(kSourceDir / "blendview/Picture2.bmp");
    ASSERT_EQ(first.size(), 41078u);
    ASSERT_EQ(second.size(), 120054u);
    // Offset 1078: the whole 256-entry colour table sits between the header and the pixels.
    EXPECT_EQ(first[10] | (first[11] << 8), 1078);
    const Image a = Decode(first);
    const Image b = Decode(second);
    ASSERT_EQ(a.pixels.size(), b.pixels.size());
    for (const Image* image : {&a, &b}) {
        EXPECT_GT(std::count(image->pixels.begin(), image->pixels.end(), 0xFFFFFFu), 200);
        EXPECT_GT(std::count(image->pixels.begin(), image->pixels.end(), 0x000000u), 200);
    }
    long difference = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            difference += std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                                   static_cast<int>((b.pixels[i] >> shift) & 0xFF));
        }
    }
    EXPECT_GT(difference / static_cast<long>(a.pixels.size() * 3), 60) << "the pictures should differ plainly";
}

// A 48 x 48 surface like spritemask's drawing box, combined with source cells bit by bit.
class Surface {
public:
    Surface() : pixels_(48 * 48, 0xFFFFFF) {}

    enum class Operation { Copy, And, Or };

    void Blit(int x, int y, int width, int height, const Image& source, int sourceX, int sourceY, Operation operation) {
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) {
                std::uint32_t& target = pixels_[(y + row) * 48 + x + column];
                const std::uint32_t value = source.pixels[(sourceY + row) * source.width + sourceX + column];
                target = operation == Operation::Copy  ? value
                         : operation == Operation::And ? (target & value)
                                                       : (target | value);
            }
        }
    }

    void DrawBackground(const Image& tile) {
        for (int column = 0; column < 3; ++column) {
            for (int row = 0; row < 3; ++row) {
                Blit(column * 16, row * 16, 16, 16, tile, 0, 0, Operation::Copy);
            }
        }
    }

    const std::vector<std::uint32_t>& Pixels() const { return pixels_; }

private:
    std::vector<std::uint32_t> pixels_;
};

class SpritePictures : public ::testing::Test {
protected:
    void SetUp() override {
        tile_ = Decode(ReadBytes(kSourceDir / "spritemask/haikei.bmp"));
        first_ = Decode(ReadBytes(kSourceDir / "spritemask/pic1.bmp"));
        second_ = Decode(ReadBytes(kSourceDir / "spritemask/pic2.bmp"));
        ASSERT_EQ(tile_.width, 16);
        ASSERT_EQ(first_.width, 64);
        ASSERT_EQ(second_.width, 64);
    }

    static std::uint32_t At(const Image& image, int x, int y) { return image.pixels[y * image.width + x]; }

    // The fighter over nine tiles, drawn directly: its own pixels inside pic1's black silhouette.
    std::vector<std::uint32_t> ExpectedScene() const {
        Surface scene;
        scene.DrawBackground(tile_);
        std::vector<std::uint32_t> pixels = scene.Pixels();
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                if (At(first_, 32 + x, y) == 0x000000) pixels[(8 + y) * 48 + 8 + x] = At(first_, x, y);
            }
        }
        return pixels;
    }

    Image tile_;
    Image first_;
    Image second_;
};

TEST_F(SpritePictures, MasksAreTheFightersExactSilhouette) {
    int inside = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool silhouette = At(first_, 32 + x, y) == 0x000000;
            EXPECT_EQ(At(first_, 32 + x, y), silhouette ? 0x000000u : 0xFFFFFFu) << x << "," << y;
            EXPECT_EQ(At(second_, 32 + x, y), silhouette ? 0xFFFFFFu : 0x000000u) << x << "," << y;
            if (silhouette) {
                ++inside;
                EXPECT_EQ(At(first_, x, y), At(second_, x, y)) << "same fighter at " << x << "," << y;
            } else {
                EXPECT_EQ(At(first_, x, y), 0x000000u) << "pic1 fighter on black at " << x << "," << y;
                EXPECT_EQ(At(second_, x, y), 0xFFFFFFu) << "pic2 fighter on white at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(inside, 200);
    EXPECT_LT(inside, 32 * 32 - 200);
}

TEST_F(SpritePictures, TileRepeatsWithoutSeams) {
    // Neighbouring pixels across the tile's edges differ no more than neighbours inside it.
    auto distance = [](std::uint32_t a, std::uint32_t b) {
        int sum = 0;
        for (int shift : {0, 8, 16}) {
            sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        }
        return sum;
    };
    long inner = 0;
    long edge = 0;
    for (int i = 0; i < 16; ++i) {
        for (int j = 0; j < 15; ++j) {
            inner += distance(At(tile_, j, i), At(tile_, j + 1, i)) + distance(At(tile_, i, j), At(tile_, i, j + 1));
        }
        edge += distance(At(tile_, 15, i), At(tile_, 0, i)) + distance(At(tile_, i, 15), At(tile_, i, 0));
    }
    EXPECT_LE(edge * 15, inner * 2) << "edge steps " << edge << " against inner steps " << inner;
}

TEST_F(SpritePictures, AndMaskThenOrFighterShowsTheFighterOverTheTiles) {
    Surface surface;
    surface.DrawBackground(tile_);
    surface.Blit(8, 8, 32, 32, first_, 32, 0, Surface::Operation::And);
    surface.Blit(8, 8, 32, 32, first_, 0, 0, Surface::Operation::Or);
    EXPECT_EQ(surface.Pixels(), ExpectedScene());
}

TEST_F(SpritePictures, OrMaskThenAndFighterShowsTheFighterOverTheTiles) {
    Surface surface;
    surface.DrawBackground(tile_);
    surface.Blit(8, 8, 32, 32, second_, 32, 0, Surface::Operation::Or);
    surface.Blit(8, 8, 32, 32, second_, 0, 0, Surface::Operation::And);
    EXPECT_EQ(surface.Pixels(), ExpectedScene());
}

TEST_F(SpritePictures, ExpectedSceneShowsBothFighterAndSea) {
    // Guards the comparison above against a blank fighter or a fighter covering everything.
    const auto scene = ExpectedScene();
    Surface background;
    background.DrawBackground(tile_);
    const auto changed = std::inner_product(scene.begin(), scene.end(), background.Pixels().begin(), 0, std::plus<>(),
                                            [](std::uint32_t a, std::uint32_t b) { return a != b ? 1 : 0; });
    EXPECT_GT(changed, 200);
    EXPECT_LT(changed, 32 * 32);
}

}  // namespace
