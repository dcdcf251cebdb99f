// The bitmap reader against hand-built files: every form pixel by pixel, every broken file refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "bmp_forms.h"
#include "picture/bmp.h"

namespace {

using frame::picture::DecodeBmp;
using frame::picture::DecodeError;
using frame::picture::Image;
using picture_test::BmpParts;
using picture_test::MalformedFile;
using picture_test::ValidForm;

std::string FormName(const ::testing::TestParamInfo<ValidForm>& info) { return info.param.name; }
std::string FileName(const ::testing::TestParamInfo<MalformedFile>& info) { return info.param.name; }

class ValidFormTest : public ::testing::TestWithParam<ValidForm> {};

TEST_P(ValidFormTest, DecodesEveryPixel) {
    const ValidForm& form = GetParam();
    const auto result = DecodeBmp(form.file);
    if (const auto* error = std::get_if<DecodeError>(&result)) {
        FAIL() << "refused: " << error->reason;
    }
    const Image& image = std::get<Image>(result);
    ASSERT_EQ(image.width, form.width);
    ASSERT_EQ(image.height, form.height);
    ASSERT_EQ(image.pixels.size(), form.pixels.size());
    for (std::size_t i = 0; i < form.pixels.size(); ++i) {
        EXPECT_EQ(image.pixels[i], form.pixels[i])
            << "pixel x " << i % form.width << ", y " << i / form.width << std::hex << ": got 0x" << image.pixels[i]
            << ", want 0x" << form.pixels[i];
    }
}

// Cutting a file anywhere gives either a refusal or, when only padding or nothing that matters
// was lost, the same picture: never a different picture, never a crash.
TEST_P(ValidFormTest, EveryPrefixIsRefusedOrComplete) {
    const ValidForm& form = GetParam();
    for (std::size_t length = 0; length < form.file.size(); ++length) {
        const auto result = DecodeBmp(std::span(form.file).first(length));
        if (const auto* image = std::get_if<Image>(&result)) {
            EXPECT_EQ(image->pixels, form.pixels) << "prefix of " << length << " bytes";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, ValidFormTest, ::testing::ValuesIn(picture_test::ValidForms()), FormName);

class MalformedFileTest : public ::testing::TestWithParam<MalformedFile> {};

TEST_P(MalformedFileTest, IsRefusedWithItsReason) {
    const MalformedFile& file = GetParam();
    const auto result = DecodeBmp(file.file);
    const auto* error = std::get_if<DecodeError>(&result);
    ASSERT_NE(error, nullptr) << "accepted";
    EXPECT_NE(error->reason.find(file.reason), std::string::npos) << "reason: " << error->reason;
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedFileTest, ::testing::ValuesIn(picture_test::MalformedFiles()), FileName);

TEST(RunLengthDecode, EndMarkAloneLeavesALargePictureInEntryZero) {
    BmpParts parts;
    parts.width = 1000;
    parts.height = 700;
    parts.bitCount = 8;
    parts.compression = 1;
    parts.clrUsed = 2;
    parts.palette = {0x445566, 0xFFFFFF};
    parts.pixels = {0x00, 0x01};
    const auto result = DecodeBmp(parts.Build());
    const auto* image = std::get_if<Image>(&result);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels, std::vector<std::uint32_t>(1000 * 700, 0x445566));
}

TEST(Limits, LargestAllowedDimensionsAreAccepted) {
    // 32768 x 1 at 1 bit: the widest row there may be, held in 4 KiB of file.
    BmpParts parts;
    parts.width = frame::picture::kMaxBitmapDimension;
    parts.height = 1;
    parts.bitCount = 1;
    parts.palette = {0x000000, 0xFFFFFF};
    parts.pixels.assign(32768 / 8, 0xFF);
    const auto result = DecodeBmp(parts.Build());
    const auto* image = std::get_if<Image>(&result);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels, std::vector<std::uint32_t>(32768, 0xFFFFFF));

    parts.width += 1;
    parts.pixels.push_back(0xFF);
    EXPECT_TRUE(std::holds_alternative<DecodeError>(DecodeBmp(parts.Build())));
}

}  // namespace
