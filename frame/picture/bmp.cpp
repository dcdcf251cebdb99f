#include "picture/bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <new>
#include <optional>
#include <stdexcept>
#include <unordered_map>

#include "win32/gdi32.h"

namespace frame::picture {
namespace {

using Bytes = std::span<const std::uint8_t>;

// Header sizes the reader knows: OS/2-style core, info, the two Adobe extensions, V4 and V5.
constexpr DWORD kCoreHeaderSize = 12;
constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kInfoV2HeaderSize = 52;
constexpr DWORD kInfoV3HeaderSize = 56;
constexpr DWORD kV4HeaderSize = 108;
constexpr DWORD kV5HeaderSize = 124;
constexpr std::size_t kFileHeaderSize = sizeof(BITMAPFILEHEADER);
constexpr WORD kBitmapMagic = 0x4D42;  // "BM"
// Windows CE's variant of BI_BITFIELDS that adds an alpha mask; the alpha is not shown.
constexpr DWORD BI_ALPHABITFIELDS = 6;

std::uint16_t ReadU16(Bytes bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t ReadU32(Bytes bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

DecodeError Fail(const char* reason) { return DecodeError{reason}; }

// One colour channel of a 16- or 32-bit pixel: where its bits are and how to widen them to 8.
class ChannelMask {
public:
    ChannelMask() = default;
    explicit ChannelMask(std::uint32_t mask)
        : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), bits_(std::popcount(mask)) {
        if (bits_ <= 8) {
            // Replicating the bits from the top keeps 0 at 0 and the full value at 255.
            for (std::uint32_t value = 0; value < (1u << bits_); ++value) {
                std::uint32_t widened = 0;
                int filled = 0;
                while (bits_ > 0 && filled < 8) {
                    widened = (widened << bits_) | value;
                    filled += bits_;
                }
                expand_[value] = static_cast<std::uint8_t>(bits_ == 0 ? 0 : widened >> (filled - 8));
            }
        }
    }

    bool Contiguous() const {
        const std::uint32_t shifted = mask_ >> shift_;
        return (shifted & (shifted + 1)) == 0;
    }
    std::uint32_t Mask() const { return mask_; }

    std::uint32_t Extract(std::uint32_t pixel) const {
        const std::uint32_t value = (pixel & mask_) >> shift_;
        return bits_ <= 8 ? expand_[value] : value >> (bits_ - 8);
    }

private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    int bits_ = 0;
    std::array<std::uint8_t, 256> expand_{};
};

struct BitMasks {
    ChannelMask red;
    ChannelMask green;
    ChannelMask blue;

    std::uint32_t Colour(std::uint32_t pixel) const {
        return (red.Extract(pixel) << 16) | (green.Extract(pixel) << 8) | blue.Extract(pixel);
    }
};

// Everything the pixel decoders need, read and checked from the headers.
struct Layout {
    BITMAPINFOHEADER info{};
    bool topDown = false;
    std::array<std::uint32_t, 3> masks{};      // red, green, blue; used for 16 and 32 bits
    std::array<std::uint32_t, 256> palette{};  // entries past the file's table stay black
    std::size_t pixelOffset = 0;
};

std::optional<DecodeError> ReadHeaders(Bytes bytes, Layout& layout) {
    if (bytes.size() < kFileHeaderSize) {
        return Fail("file too short for a bitmap header");
    }
    BITMAPFILEHEADER file{};
    file.bfType = ReadU16(bytes, 0);
    file.bfSize = ReadU32(bytes, 2);
    file.bfOffBits = ReadU32(bytes, 10);
    if (file.bfType != kBitmapMagic) {
        return Fail("not a bitmap file (bad magic)");
    }
    if (bytes.size() < kFileHeaderSize + 4) {
        return Fail("truncated header");
    }
    BITMAPINFOHEADER& info = layout.info;
    info.biSize = ReadU32(bytes, kFileHeaderSize);
    switch (info.biSize) {
        case kCoreHeaderSize:
        case kInfoHeaderSize:
        case kInfoV2HeaderSize:
        case kInfoV3HeaderSize:
        case kV4HeaderSize:
        case kV5HeaderSize: break;
        default: return Fail("unsupported header size");
    }
    const std::size_t headerEnd = kFileHeaderSize + info.biSize;
    if (bytes.size() < headerEnd) {
        return Fail("truncated header");
    }
    const bool core = info.biSize == kCoreHeaderSize;
    const std::size_t at = kFileHeaderSize;
    if (core) {
        info.biWidth = ReadU16(bytes, at + 4);
        info.biHeight = ReadU16(bytes, at + 6);
        info.biPlanes = ReadU16(bytes, at + 8);
        info.biBitCount = ReadU16(bytes, at + 10);
        info.biCompression = BI_RGB;
    } else {
        info.biWidth = static_cast<LONG>(ReadU32(bytes, at + 4));
        info.biHeight = static_cast<LONG>(ReadU32(bytes, at + 8));
        info.biPlanes = ReadU16(bytes, at + 12);
        info.biBitCount = ReadU16(bytes, at + 14);
        info.biCompression = ReadU32(bytes, at + 16);
        info.biSizeImage = ReadU32(bytes, at + 20);
        info.biClrUsed = ReadU32(bytes, at + 32);
    }

    if (info.biPlanes != 1) {
        return Fail("planes must be 1");
    }
    const WORD bitCount = info.biBitCount;
    const bool knownDepth =
        core ? (bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24)
             : (bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32);
    if (!knownDepth) {
        return Fail("unsupported bit count");
    }
    switch (info.biCompression) {
        case BI_RGB: break;
        case BI_RLE8:
            if (bitCount != 8) return Fail("compression does not match bit count");
            break;
        case BI_RLE4:
            if (bitCount != 4) return Fail("compression does not match bit count");
            break;
        case BI_BITFIELDS:
        case BI_ALPHABITFIELDS:
            if (bitCount != 16 && bitCount != 32) return Fail("compression does not match bit count");
            break;
        default: return Fail("unsupported compression");
    }

    if (info.biWidth <= 0) {
        return Fail("width must be positive");
    }
    if (info.biHeight == 0) {
        return Fail("height must not be zero");
    }
    const std::int64_t width = info.biWidth;
    const std::int64_t height = info.biHeight < 0 ? -std::int64_t{info.biHeight} : std::int64_t{info.biHeight};
    if (width > kMaxBitmapDimension || height > kMaxBitmapDimension || width * height > kMaxBitmapPixels) {
        return Fail("image too large");
    }
    layout.topDown = info.biHeight < 0;
    if (layout.topDown && (info.biCompression == BI_RLE8 || info.biCompression == BI_RLE4)) {
        return Fail("run-length encoded bitmaps must be bottom-up");
    }

    // Masks: after a 40-byte header they follow it; the larger headers hold them inside.
    std::size_t tableStart = headerEnd;
    if (bitCount == 16) {
        layout.masks = {0x7C00, 0x03E0, 0x001F};
    } else if (bitCount == 32) {
        layout.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    }
    if (info.biCompression == BI_BITFIELDS || info.biCompression == BI_ALPHABITFIELDS) {
        const std::size_t maskAt = kFileHeaderSize + kInfoHeaderSize;
        if (info.biSize == kInfoHeaderSize) {
            tableStart += info.biCompression == BI_ALPHABITFIELDS ? 16 : 12;
            if (bytes.size() < tableStart) {
                return Fail("truncated bit masks");
            }
        }
        layout.masks = {ReadU32(bytes, maskAt), ReadU32(bytes, maskAt + 4), ReadU32(bytes, maskAt + 8)};
        const std::uint32_t limit = bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        for (std::uint32_t mask : layout.masks) {
            if (mask > limit) {
                return Fail("bit mask wider than the pixel");
            }
            if (!ChannelMask(mask).Contiguous()) {
                return Fail("bit mask not contiguous");
            }
        }
    }

    if (bitCount <= 8) {
        const std::size_t fullTable = std::size_t{1} << bitCount;
        const std::size_t entries =
            (core || info.biClrUsed == 0) ? fullTable : std::min<std::size_t>(info.biClrUsed, fullTable);
        const std::size_t entrySize = core ? 3 : 4;
        if (bytes.size() < tableStart || (bytes.size() - tableStart) / entrySize < entries) {
            return Fail("truncated colour table");
        }
        for (std::size_t i = 0; i < entries; ++i) {
            const std::size_t entry = tableStart + i * entrySize;
            // RGBQUAD and RGBTRIPLE both start blue, green, red.
            layout.palette[i] =
                (std::uint32_t{bytes[entry + 2]} << 16) | (std::uint32_t{bytes[entry + 1]} << 8) | bytes[entry];
        }
    }

    if (file.bfOffBits > bytes.size()) {
        return Fail("pixel data offset past the end of the file");
    }
    if (file.bfOffBits < headerEnd) {
        return Fail("pixel data offset inside the header");
    }
    layout.pixelOffset = file.bfOffBits;
    return std::nullopt;
}

void DecodeRows(Bytes data, const Layout& layout, std::size_t stride, Image& image) {
    const int width = image.width;
    const int height = image.height;
    const WORD bitCount = layout.info.biBitCount;
    const auto& palette = layout.palette;
    BitMasks masks;
    if (bitCount == 16 || bitCount == 32) {
        masks = {ChannelMask(layout.masks[0]), ChannelMask(layout.masks[1]), ChannelMask(layout.masks[2])};
    }
    const bool plain32 = layout.masks == std::array<std::uint32_t, 3>{0x00FF0000, 0x0000FF00, 0x000000FF};
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* source = data.data() + static_cast<std::size_t>(row) * stride;
        const int targetRow = layout.topDown ? row : height - 1 - row;
        std::uint32_t* target = image.pixels.data() + static_cast<std::size_t>(targetRow) * width;
        switch (bitCount) {
            case 1:
                for (int x = 0; x < width; ++x) {
                    target[x] = palette[(source[x >> 3] >> (7 - (x & 7))) & 1];
                }
                break;
            case 4:
                for (int x = 0; x < width; ++x) {
                    target[x] = palette[(source[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F];
                }
                break;
            case 8:
                for (int x = 0; x < width; ++x) {
                    target[x] = palette[source[x]];
                }
                break;
            case 16:
                for (int x = 0; x < width; ++x) {
                    target[x] = masks.Colour(static_cast<std::uint32_t>(source[2 * x] | (source[2 * x + 1] << 8)));
                }
                break;
            case 24:
                for (int x = 0; x < width; ++x) {
                    const std::uint8_t* p = source + 3 * x;
                    target[x] = (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
                }
                break;
            case 32:
                for (int x = 0; x < width; ++x) {
                    const std::uint8_t* p = source + 4 * x;
                    const std::uint32_t value = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                                                (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
                    target[x] = plain32 ? (value & 0x00FFFFFF) : masks.Colour(value);
                }
                break;
            default: break;
        }
    }
}

// Runs of BI_RLE8 / BI_RLE4 from the bottom row up. Every step consumes at least two bytes and
// writes at most 255 pixels after a bounds check, so the work is bounded by the input.
std::optional<DecodeError> DecodeRunLengths(Bytes data, const Layout& layout, Image& image) {
    const bool fourBit = layout.info.biCompression == BI_RLE4;
    const std::int64_t width = image.width;
    const std::int64_t height = image.height;
    const auto& palette = layout.palette;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::size_t at = 0;
    auto put = [&](unsigned index) {
        image.pixels[static_cast<std::size_t>((height - 1 - y) * width + x)] = palette[index];
        ++x;
    };
    while (true) {
        if (data.size() - at < 2) {
            // A stream that stops right after its last end of line has said everything.
            if (y >= height) return std::nullopt;
            return Fail("truncated RLE data");
        }
        const unsigned count = data[at];
        const unsigned value = data[at + 1];
        at += 2;
        if (count > 0) {
            if (y >= height || x + count > width) {
                return Fail("RLE data runs off the image");
            }
            for (unsigned i = 0; i < count; ++i) {
                put(fourBit ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                if (++y > height) return Fail("RLE data runs off the image");
                break;
            case 1:  // end of bitmap
                return std::nullopt;
            case 2: {  // delta
                if (data.size() - at < 2) return Fail("truncated RLE data");
                x += data[at];
                y += data[at + 1];
                at += 2;
                if (x > width || y > height) return Fail("RLE data runs off the image");
                break;
            }
            default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
                const std::size_t length = fourBit ? (value + 1) / 2 : value;
                if (y >= height || x + value > width) return Fail("RLE data runs off the image");
                if (data.size() - at < length) return Fail("truncated RLE data");
                for (unsigned i = 0; i < value; ++i) {
                    const std::uint8_t byte = data[at + (fourBit ? i / 2 : i)];
                    put(fourBit ? ((i & 1) ? (byte & 0x0F) : (byte >> 4)) : byte);
                }
                at += std::min(data.size() - at, (length + 1) & ~std::size_t{1});
                break;
            }
        }
    }
}

}  // namespace

std::variant<Image, DecodeError> DecodeBmp(std::span<const std::uint8_t> bytes) {
    Layout layout;
    if (auto error = ReadHeaders(bytes, layout)) {
        return *error;
    }
    const BITMAPINFOHEADER& info = layout.info;
    Image image;
    image.width = info.biWidth;
    image.height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    const auto pixelCount = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    Bytes data = bytes.subspan(layout.pixelOffset);

    const bool runLengths = info.biCompression == BI_RLE8 || info.biCompression == BI_RLE4;
    std::size_t stride = 0;
    if (runLengths) {
        if (info.biSizeImage != 0 && info.biSizeImage < data.size()) {
            data = data.first(info.biSizeImage);
        }
    } else {
        // The rows must all be there before anything is allocated; the last may lack its padding.
        const std::uint64_t rowBits = static_cast<std::uint64_t>(image.width) * info.biBitCount;
        stride = static_cast<std::size_t>((rowBits + 31) / 32 * 4);
        const std::uint64_t needed = static_cast<std::uint64_t>(stride) * (image.height - 1) + (rowBits + 7) / 8;
        if (data.size() < needed) {
            return Fail("truncated pixel data");
        }
    }

    try {
        // Pixels that run-length data skips keep colour-table entry 0, like a zeroed bitmap.
        image.pixels.assign(pixelCount, runLengths ? layout.palette[0] : 0);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
    if (runLengths) {
        if (auto error = DecodeRunLengths(data, layout, image)) {
            return *error;
        }
    } else {
        DecodeRows(data, layout, stride, image);
    }
    return image;
}

std::vector<std::uint8_t> EncodeBmp(const Image& image, int bitCount, std::span<const std::uint32_t> palette) {
    if (bitCount != 8 && bitCount != 24 && bitCount != 32) {
        throw std::invalid_argument("EncodeBmp: bit count must be 8, 24 or 32");
    }
    if (image.width <= 0 || image.height <= 0 || image.width > kMaxBitmapDimension ||
        image.height > kMaxBitmapDimension ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
        throw std::invalid_argument("EncodeBmp: bad image size");
    }
    if (bitCount == 8 && (palette.empty() || palette.size() > 256)) {
        throw std::invalid_argument("EncodeBmp: an 8-bit image needs 1 to 256 palette colours");
    }

    const std::size_t tableEntries = bitCount == 8 ? palette.size() : 0;
    const std::size_t stride = (static_cast<std::size_t>(image.width) * bitCount + 31) / 32 * 4;
    const std::size_t imageSize = stride * static_cast<std::size_t>(image.height);
    const std::size_t offset = kFileHeaderSize + kInfoHeaderSize + tableEntries * sizeof(RGBQUAD);

    BITMAPFILEHEADER file{};
    file.bfType = kBitmapMagic;
    file.bfSize = static_cast<DWORD>(offset + imageSize);
    file.bfOffBits = static_cast<DWORD>(offset);
    BITMAPINFOHEADER info{};
    info.biSize = kInfoHeaderSize;
    info.biWidth = image.width;
    info.biHeight = image.height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bitCount);
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(imageSize);
    info.biXPelsPerMeter = 3780;  // 96 dots per inch
    info.biYPelsPerMeter = 3780;
    info.biClrUsed = tableEntries == 256 ? 0 : static_cast<DWORD>(tableEntries);

    std::vector<std::uint8_t> out;
    out.reserve(offset + imageSize);
    auto put16 = [&out](std::uint32_t value) {
        out.push_back(static_cast<std::uint8_t>(value));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    };
    auto put32 = [&](std::uint32_t value) {
        put16(value & 0xFFFF);
        put16(value >> 16);
    };
    put16(file.bfType);
    put32(file.bfSize);
    put16(file.bfReserved1);
    put16(file.bfReserved2);
    put32(file.bfOffBits);
    put32(info.biSize);
    put32(static_cast<std::uint32_t>(info.biWidth));
    put32(static_cast<std::uint32_t>(info.biHeight));
    put16(info.biPlanes);
    put16(info.biBitCount);
    put32(info.biCompression);
    put32(info.biSizeImage);
    put32(static_cast<std::uint32_t>(info.biXPelsPerMeter));
    put32(static_cast<std::uint32_t>(info.biYPelsPerMeter));
    put32(info.biClrUsed);
    put32(info.biClrImportant);

    std::unordered_map<std::uint32_t, std::uint8_t> indexOf;
    for (std::size_t i = 0; i < tableEntries; ++i) {
        const RGBQUAD quad{static_cast<BYTE>(palette[i]), static_cast<BYTE>(palette[i] >> 8),
                           static_cast<BYTE>(palette[i] >> 16), 0};
        out.insert(out.end(), {quad.rgbBlue, quad.rgbGreen, quad.rgbRed, quad.rgbReserved});
        indexOf.emplace(palette[i] & 0x00FFFFFF, static_cast<std::uint8_t>(i));  // first entry wins
    }

    for (int row = image.height - 1; row >= 0; --row) {
        const std::uint32_t* source = image.pixels.data() + static_cast<std::size_t>(row) * image.width;
        const std::size_t rowStart = out.size();
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t colour = source[x] & 0x00FFFFFF;
            if (bitCount == 8) {
                const auto found = indexOf.find(colour);
                if (found == indexOf.end()) {
                    throw std::invalid_argument("EncodeBmp: pixel colour not in the palette");
                }
                out.push_back(found->second);
            } else {
                out.insert(out.end(), {static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                                       static_cast<std::uint8_t>(colour >> 16)});
                if (bitCount == 32) out.push_back(0);
            }
        }
        out.resize(rowStart + stride, 0);
    }
    return out;
}

}  // namespace frame::picture
