#include "bmp_forms.h"

#include <utility>

namespace picture_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

// A 16-entry table whose entry 0 is not black, so pixels that run-length data skips show.
std::vector<std::uint32_t> SixteenColours() {
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < 16; ++i) {
        colours.push_back(0x202020 + i * 0x0A0B0C);
    }
    return colours;
}

std::vector<std::uint32_t> Lookup(const std::vector<std::uint32_t>& palette, const std::vector<int>& indexes) {
    std::vector<std::uint32_t> colours;
    for (int index : indexes) {
        colours.push_back(index < static_cast<int>(palette.size()) ? palette[index] : 0);
    }
    return colours;
}

BmpParts Rgb24(int width, int height, Bytes pixels) {
    BmpParts parts;
    parts.width = width;
    parts.height = height;
    parts.pixels = std::move(pixels);
    return parts;
}

// A 4 x 2 24-bit picture: the same pixels in each header form.
constexpr std::uint32_t kSmallTop[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
constexpr std::uint32_t kSmallBottom[4] = {0x000000, 0x123456, 0x808080, 0xFEDCBA};

Bytes Row24(const std::uint32_t (&colours)[4]) {
    Bytes row;
    for (std::uint32_t colour : colours) {
        row.push_back(static_cast<std::uint8_t>(colour));
        row.push_back(static_cast<std::uint8_t>(colour >> 8));
        row.push_back(static_cast<std::uint8_t>(colour >> 16));
    }
    return row;
}

std::vector<std::uint32_t> SmallExpected() {
    std::vector<std::uint32_t> pixels(std::begin(kSmallTop), std::end(kSmallTop));
    pixels.insert(pixels.end(), std::begin(kSmallBottom), std::end(kSmallBottom));
    return pixels;
}

BmpParts Small24(std::uint32_t headerSize) {
    BmpParts parts = Rgb24(4, 2, PaddedRows({Row24(kSmallBottom), Row24(kSmallTop)}));
    parts.headerSize = headerSize;
    return parts;
}

// 16-bit 5-6-5 pixels: white, red, green, the lowest green step, a mid grey.
const std::vector<std::uint16_t> k565Values = {0xFFFF, 0xF800, 0x07E0, 0x0020, 0x8410};
const std::vector<std::uint32_t> k565Colours = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x000400, 0x848284};

Bytes Row16(const std::vector<std::uint16_t>& values) {
    Bytes row;
    for (std::uint16_t value : values) Put16(row, value);
    return row;
}

Bytes Row32(const std::vector<std::uint32_t>& values) {
    Bytes row;
    for (std::uint32_t value : values) Put32(row, value);
    return row;
}

BmpParts Rle8(int width, int height, Bytes stream) {
    BmpParts parts;
    parts.width = width;
    parts.height = height;
    parts.bitCount = 8;
    parts.compression = kRle8;
    parts.clrUsed = 16;
    parts.palette = SixteenColours();
    parts.pixels = std::move(stream);
    return parts;
}

BmpParts Rle4(int width, int height, Bytes stream) {
    BmpParts parts = Rle8(width, height, std::move(stream));
    parts.bitCount = 4;
    parts.compression = kRle4;
    parts.clrUsed = 0;
    return parts;
}

}  // namespace

std::vector<std::uint8_t> BmpParts::Build() const {
    Bytes header;
    if (headerSize == 12) {
        Put32(header, 12);
        Put16(header, static_cast<std::uint32_t>(width));
        Put16(header, static_cast<std::uint32_t>(height));
        Put16(header, planes);
        Put16(header, bitCount);
    } else {
        Put32(header, headerSize);
        Put32(header, static_cast<std::uint32_t>(width));
        Put32(header, static_cast<std::uint32_t>(height));
        Put16(header, planes);
        Put16(header, bitCount);
        Put32(header, compression);
        Put32(header, sizeImage);
        Put32(header, 2835);
        Put32(header, 2835);
        Put32(header, clrUsed);
        Put32(header, 0);
        for (std::uint32_t mask : masks) {
            Put32(header, mask);
        }
        if (headerSize > 40) {
            header.resize(headerSize, 0);
        }
    }
    Bytes table;
    for (std::uint32_t colour : palette) {
        table.push_back(static_cast<std::uint8_t>(colour));
        table.push_back(static_cast<std::uint8_t>(colour >> 8));
        table.push_back(static_cast<std::uint8_t>(colour >> 16));
        if (headerSize != 12) table.push_back(0);
    }
    const std::size_t offset = 14 + header.size() + table.size() + gap.size();
    Bytes file;
    Put16(file, magic);
    Put32(file, static_cast<std::uint32_t>(offset + pixels.size()));
    Put32(file, 0);
    Put32(file, offBits.value_or(static_cast<std::uint32_t>(offset)));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), table.begin(), table.end());
    file.insert(file.end(), gap.begin(), gap.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

std::vector<std::uint8_t> PaddedRows(const std::vector<std::vector<std::uint8_t>>& rows) {
    Bytes out;
    for (const auto& row : rows) {
        out.insert(out.end(), row.begin(), row.end());
        out.resize((out.size() + 3) / 4 * 4, 0);
    }
    return out;
}

std::vector<ValidForm> ValidForms() {
    std::vector<ValidForm> forms;
    auto add = [&forms](std::string name, const BmpParts& parts, int width, int height,
                        std::vector<std::uint32_t> pixels) {
        forms.push_back({std::move(name), parts.Build(), width, height, std::move(pixels)});
    };

    {
        // Ten pixels a row: the second byte is only partly used and the row is padded.
        BmpParts parts;
        parts.width = 10;
        parts.height = 2;
        parts.bitCount = 1;
        parts.palette = {0x102030, 0xA0B0C0};
        parts.pixels = PaddedRows({{0xC0, 0xC0}, {0xAA, 0x80}});
        add("1bpp_width10", parts, 10, 2,
            Lookup(parts.palette, {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1}));
    }
    {
        BmpParts parts;
        parts.width = 5;
        parts.height = 1;
        parts.bitCount = 4;
        parts.clrUsed = 3;
        parts.palette = {0x111111, 0x00FF00, 0xABCDEF};
        parts.pixels = PaddedRows({{0x01, 0x23, 0xF0}});
        add("4bpp_short_table", parts, 5, 1, Lookup(parts.palette, {0, 1, 2, 3, 15}));
    }
    {
        BmpParts parts;
        parts.width = 3;
        parts.height = -2;
        parts.bitCount = 8;
        for (std::uint32_t i = 0; i < 256; ++i) {
            parts.palette.push_back((i << 16) | ((255 - i) << 8) | (i ^ 0x5A));
        }
        parts.pixels = PaddedRows({{0, 1, 255}, {128, 7, 200}});
        add("8bpp_top_down", parts, 3, 2, Lookup(parts.palette, {0, 1, 255, 128, 7, 200}));
    }
    {
        BmpParts parts;
        parts.width = 4;
        parts.height = 1;
        parts.bitCount = 8;
        parts.clrUsed = 2;
        parts.palette = {0xFFFFFF, 0x336699};
        parts.pixels = {1, 0, 5, 255};
        add("8bpp_two_colours", parts, 4, 1, {0x336699, 0xFFFFFF, 0, 0});
    }
    {
        BmpParts parts;
        parts.width = 4;
        parts.height = 1;
        parts.bitCount = 16;
        parts.pixels = PaddedRows({Row16({0x7FFF, 0x7C00, 0x0421, 0x001F})});
        add("16bpp_555", parts, 4, 1, {0xFFFFFF, 0xFF0000, 0x080808, 0x0000FF});
    }
    {
        BmpParts parts;
        parts.width = 5;
        parts.height = 1;
        parts.bitCount = 16;
        parts.compression = kBitFields;
        parts.masks = {0xF800, 0x07E0, 0x001F};
        parts.pixels = PaddedRows({Row16(k565Values)});
        add("16bpp_565_bitfields", parts, 5, 1, k565Colours);
    }
    add("24bpp_bottom_up", Small24(40), 4, 2, SmallExpected());
    {
        BmpParts parts = Rgb24(3, -2, PaddedRows({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}));
        add("24bpp_top_down", parts, 3, 2, {0x030201, 0x060504, 0x090807, 0x0C0B0A, 0x0F0E0D, 0x121110});
    }
    {
        BmpParts parts;
        parts.width = 2;
        parts.height = 1;
        parts.bitCount = 32;
        parts.pixels = {0x30, 0x20, 0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
        add("32bpp_rgb_alpha_ignored", parts, 2, 1, {0x102030, 0xFFFFFF});
    }
    {
        BmpParts parts;
        parts.width = 1;
        parts.height = 1;
        parts.bitCount = 32;
        parts.compression = kBitFields;
        parts.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
        parts.pixels = {0x11, 0x22, 0x33, 0x44};
        add("32bpp_bitfields_reversed", parts, 1, 1, {0x112233});
    }
    {
        // Ten bits a channel keep their top eight.
        BmpParts parts;
        parts.width = 2;
        parts.height = 1;
        parts.bitCount = 32;
        parts.compression = kBitFields;
        parts.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
        parts.pixels = Row32({(0x3FFu << 20) | (0x200u << 10) | 0x001u, (0x004u << 20) | (0x3FCu << 10) | 0x155u});
        add("32bpp_10bit_channels", parts, 2, 1, {0xFF8000, 0x01FF55});
    }
    {
        BmpParts parts;
        parts.width = 2;
        parts.height = 1;
        parts.bitCount = 32;
        parts.compression = kAlphaBitFields;
        parts.masks = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
        parts.pixels = Row32({0xAABBCC01, 0x00000000});
        add("32bpp_alphabitfields", parts, 2, 1, {0xCCBBAA, 0x000000});
    }
    {
        BmpParts parts = Small24(40);
        parts.gap = {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x11};
        add("24bpp_gap_before_pixels", parts, 4, 2, SmallExpected());
    }
    {
        // A 40-byte header that declares a colour table for a true-colour picture.
        BmpParts parts = Small24(40);
        parts.clrUsed = 2;
        parts.palette = {0x010203, 0x040506};
        add("24bpp_optional_table", parts, 4, 2, SmallExpected());
    }
    add("v4_24bpp", Small24(108), 4, 2, SmallExpected());
    add("v5_24bpp", Small24(124), 4, 2, SmallExpected());
    add("core_24bpp", Small24(12), 4, 2, SmallExpected());
    {
        BmpParts parts;
        parts.headerSize = 124;
        parts.width = 5;
        parts.height = -1;
        parts.bitCount = 16;
        parts.compression = kBitFields;
        parts.masks = {0xF800, 0x07E0, 0x001F, 0};
        parts.pixels = PaddedRows({Row16(k565Values)});
        add("v5_16bpp_565_top_down", parts, 5, 1, k565Colours);
    }
    {
        BmpParts parts;
        parts.headerSize = 56;
        parts.width = 5;
        parts.height = 1;
        parts.bitCount = 16;
        parts.compression = kBitFields;
        parts.masks = {0xF800, 0x07E0, 0x001F, 0};
        parts.pixels = PaddedRows({Row16(k565Values)});
        add("v3_16bpp_565", parts, 5, 1, k565Colours);
    }
    {
        // V4 header with BI_RGB: the masks it carries are not used.
        BmpParts parts;
        parts.headerSize = 108;
        parts.width = 1;
        parts.height = 1;
        parts.bitCount = 32;
        parts.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
        parts.pixels = {0x11, 0x22, 0x33, 0x44};
        add("v4_32bpp_rgb", parts, 1, 1, {0x332211});
    }
    {
        BmpParts parts;
        parts.headerSize = 12;
        parts.width = 3;
        parts.height = 2;
        parts.bitCount = 8;
        for (std::uint32_t i = 0; i < 256; ++i) {
            parts.palette.push_back(i * 0x010000 + (i / 2) * 0x000100 + (255 - i));
        }
        parts.pixels = PaddedRows({{9, 8, 7}, {0, 100, 255}});
        add("core_8bpp", parts, 3, 2, Lookup(parts.palette, {0, 100, 255, 9, 8, 7}));
    }
    {
        BmpParts parts;
        parts.headerSize = 12;
        parts.width = 3;
        parts.height = 1;
        parts.bitCount = 1;
        parts.palette = {0xFF00FF, 0x00FFFF};
        parts.pixels = PaddedRows({{0x40}});
        add("core_1bpp", parts, 3, 1, Lookup(parts.palette, {0, 1, 0}));
    }
    {
        // Bottom row: encoded run, absolute run with a pad byte, end of line.
        // Second row: a run, then a delta one right and one up into the third row.
        // Third row: one pixel at x 3, end of line. Top row: absolute run of four, end of bitmap.
        BmpParts parts = Rle8(6, 4, {0x03, 0x01, 0x00, 0x03, 0x02, 0x03, 0x04, 0x00, 0x00, 0x00,  //
                                     0x02, 0x05, 0x00, 0x02, 0x01, 0x01,                          //
                                     0x01, 0x06, 0x00, 0x00,                                      //
                                     0x00, 0x04, 0x07, 0x08, 0x09, 0x0A, 0x00, 0x01});
        add("rle8", parts, 6, 4, Lookup(parts.palette, {7, 8, 9, 10, 0, 0,  //
                                                        0, 0, 0, 6,  0, 0,  //
                                                        5, 5, 0, 0,  0, 0,  //
                                                        1, 1, 1, 2,  3, 4}));
    }
    {
        // A stream that stops right after the end of its last line, with no end-of-bitmap mark.
        BmpParts parts = Rle8(2, 2, {0x02, 0x03, 0x00, 0x00, 0x01, 0x04, 0x00, 0x00});
        add("rle8_without_end_mark", parts, 2, 2, Lookup(parts.palette, {4, 0, 3, 3}));
    }
    {
        // biSizeImage ends the stream before trailing bytes that would be an error.
        BmpParts parts = Rle8(2, 1, {0x02, 0x09, 0x00, 0x00, 0x00, 0x00});
        parts.sizeImage = 4;
        add("rle8_size_image", parts, 2, 1, Lookup(parts.palette, {9, 9}));
    }
    {
        // Bottom row: run of five alternating nibbles, delta right, one pixel, end of line.
        // Middle row: two absolute runs (three nibbles, then four). Top row: an absolute run of
        // five nibbles with its pad byte, then end of bitmap.
        BmpParts parts = Rle4(7, 3, {0x05, 0x12, 0x00, 0x02, 0x01, 0x00, 0x01, 0xF0, 0x00, 0x00,  //
                                     0x00, 0x03, 0x34, 0x50, 0x00, 0x04, 0x67, 0x89, 0x00, 0x00,  //
                                     0x00, 0x05, 0xAB, 0xCD, 0xE0, 0x00, 0x00, 0x01});
        add("rle4", parts, 7, 3, Lookup(parts.palette, {10, 11, 12, 13, 14, 0, 0,  //
                                                        3,  4,  5,  6,  7,  8, 9,  //
                                                        1,  2,  1,  2,  1,  0, 15}));
    }
    return forms;
}

std::vector<MalformedFile> MalformedFiles() {
    std::vector<MalformedFile> files;
    auto add = [&files](std::string name, Bytes file, std::string reason) {
        files.push_back({std::move(name), std::move(file), std::move(reason)});
    };
    const Bytes good = Small24(40).Build();
    auto prefix = [&good](std::size_t length) { return Bytes(good.begin(), good.begin() + length); };

    add("empty", {}, "too short");
    add("short_file_header", prefix(10), "too short");
    add("file_header_only", prefix(14), "truncated header");
    add("short_info_header", prefix(30), "truncated header");
    {
        BmpParts parts = Small24(40);
        parts.magic = 0x4142;
        add("bad_magic", parts.Build(), "bad magic");
    }
    {
        BmpParts parts = Small24(40);
        parts.headerSize = 20;
        add("header_size_20", parts.Build(), "unsupported header size");
    }
    {
        BmpParts parts = Small24(40);
        parts.offBits = static_cast<std::uint32_t>(parts.Build().size() + 1);
        add("offset_past_end", parts.Build(), "past the end");
    }
    {
        BmpParts parts = Small24(40);
        parts.offBits = 20;
        add("offset_inside_header", parts.Build(), "inside the header");
    }
    add("truncated_rows", prefix(good.size() - 12), "truncated pixel data");
    add("no_pixel_data", prefix(54), "truncated pixel data");
    {
        BmpParts parts = Rgb24(100000, 100000, {0, 0, 0, 0});
        add("absurd_size", parts.Build(), "too large");
    }
    {
        BmpParts parts = Rgb24(30000, 30000, {0, 0, 0, 0});
        add("too_many_pixels", parts.Build(), "too large");
    }
    {
        BmpParts parts = Rgb24(40000, 1, {0, 0, 0, 0});
        add("too_wide", parts.Build(), "too large");
    }
    {
        BmpParts parts = Rgb24(1, -2147483647 - 1, {0, 0, 0, 0});
        add("most_negative_height", parts.Build(), "too large");
    }
    {
        BmpParts parts = Rgb24(1000, 1000, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        add("pixels_beyond_file", parts.Build(), "truncated pixel data");
    }
    {
        BmpParts parts = Small24(40);
        parts.width = -4;
        add("negative_width", parts.Build(), "width must be positive");
    }
    {
        BmpParts parts = Small24(40);
        parts.width = 0;
        add("zero_width", parts.Build(), "width must be positive");
    }
    {
        BmpParts parts = Small24(40);
        parts.height = 0;
        add("zero_height", parts.Build(), "height must not be zero");
    }
    {
        BmpParts parts = Small24(12);
        parts.width = 0;
        add("core_zero_width", parts.Build(), "width must be positive");
    }
    {
        BmpParts parts = Small24(40);
        parts.planes = 0;
        add("zero_planes", parts.Build(), "planes must be 1");
    }
    {
        BmpParts parts = Small24(40);
        parts.bitCount = 7;
        add("bitcount_7", parts.Build(), "unsupported bit count");
    }
    {
        BmpParts parts = Small24(40);
        parts.bitCount = 0;
        add("bitcount_0", parts.Build(), "unsupported bit count");
    }
    {
        BmpParts parts = Small24(12);
        parts.bitCount = 16;
        add("core_bitcount_16", parts.Build(), "unsupported bit count");
    }
    {
        BmpParts parts = Small24(40);
        parts.compression = 4;
        add("jpeg_compression", parts.Build(), "unsupported compression");
    }
    {
        BmpParts parts = Small24(40);
        parts.compression = kRle8;
        add("rle8_with_24bpp", parts.Build(), "does not match");
    }
    {
        BmpParts parts = Small24(40);
        parts.compression = kBitFields;
        parts.masks = {0xFF0000, 0xFF00, 0xFF};
        add("bitfields_with_24bpp", parts.Build(), "does not match");
    }
    {
        BmpParts parts;
        parts.bitCount = 16;
        parts.compression = kBitFields;
        parts.masks = {0x0F0F, 0x00F0, 0x0000};
        parts.pixels = {0, 0, 0, 0};
        add("mask_not_contiguous", parts.Build(), "not contiguous");
    }
    {
        BmpParts parts;
        parts.bitCount = 16;
        parts.compression = kBitFields;
        parts.masks = {0x1F0000, 0x07E0, 0x001F};
        parts.pixels = {0, 0, 0, 0};
        add("mask_wider_than_pixel", parts.Build(), "wider than the pixel");
    }
    {
        BmpParts parts;
        parts.bitCount = 16;
        parts.compression = kBitFields;
        parts.masks = {0xF800};
        parts.offBits = 54;
        add("truncated_masks", parts.Build(), "truncated bit masks");
    }
    {
        BmpParts parts;
        parts.bitCount = 8;
        parts.palette = {0x010203, 0x040506};  // 256 entries declared by biClrUsed 0
        add("truncated_colour_table", parts.Build(), "truncated colour table");
    }
    add("rle8_run_off_row", Rle8(4, 2, {0x05, 0x01, 0x00, 0x01}).Build(), "runs off");
    add("rle8_absolute_off_row", Rle8(2, 1, {0x00, 0x03, 0x01, 0x02, 0x03, 0x00, 0x00, 0x01}).Build(), "runs off");
    add("rle8_delta_off_image", Rle8(4, 2, {0x00, 0x02, 0x01, 0x05, 0x00, 0x01}).Build(), "runs off");
    add("rle8_rows_past_top", Rle8(2, 1, {0x02, 0x01, 0x00, 0x00, 0x02, 0x01, 0x00, 0x01}).Build(), "runs off");
    add("rle8_many_line_ends", Rle8(2, 1, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}).Build(), "runs off");
    add("rle4_run_off_row", Rle4(3, 1, {0x04, 0x12, 0x00, 0x01}).Build(), "runs off");
    add("rle8_no_end", Rle8(4, 2, {0x02, 0x01}).Build(), "truncated RLE data");
    add("rle8_odd_byte", Rle8(4, 2, {0x02, 0x01, 0x00}).Build(), "truncated RLE data");
    add("rle8_absolute_truncated", Rle8(8, 1, {0x00, 0x05, 0x01, 0x02}).Build(), "truncated RLE data");
    add("rle8_delta_truncated", Rle8(8, 2, {0x00, 0x02, 0x01}).Build(), "truncated RLE data");
    add("rle4_absolute_truncated", Rle4(8, 1, {0x00, 0x06, 0x12, 0x34}).Build(), "truncated RLE data");
    add("rle8_empty_stream", Rle8(8, 2, {}).Build(), "truncated RLE data");
    {
        BmpParts parts = Rle8(2, -2, {0x00, 0x01});
        add("rle8_top_down", parts.Build(), "bottom-up");
    }
    return files;
}

}  // namespace picture_test
