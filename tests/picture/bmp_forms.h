// Small bitmap files of every form the reader takes, and of the ways a file can be broken,
// written field by field so each case states exactly the bytes it tests. Shared by the decoder
// tests and the program that writes the fuzzing seeds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace picture_test {

// The parts of a bitmap file; Build() lays them out in order and fills in the sizes and offset.
struct BmpParts {
    std::uint16_t magic = 0x4D42;
    std::uint32_t headerSize = 40;  // 12 writes the core header
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> masks;    // after a 40-byte header, inside a larger one
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB, written as RGBQUAD (RGBTRIPLE for core)
    std::vector<std::uint8_t> gap;       // between the colour table and the pixel data
    std::vector<std::uint8_t> pixels;
    std::optional<std::uint32_t> offBits;  // replaces the computed offset

    std::vector<std::uint8_t> Build() const;
};

// Rows given in file order, each padded to a multiple of four bytes.
std::vector<std::uint8_t> PaddedRows(const std::vector<std::vector<std::uint8_t>>& rows);

struct ValidForm {
    std::string name;
    std::vector<std::uint8_t> file;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // top-down, 0x00RRGGBB
};

struct MalformedFile {
    std::string name;
    std::vector<std::uint8_t> file;
    std::string reason;  // a part of the decoder's reason
};

std::vector<ValidForm> ValidForms();
std::vector<MalformedFile> MalformedFiles();

}  // namespace picture_test
