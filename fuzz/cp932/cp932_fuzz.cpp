// Received network bytes decoded as code page 932, and any text encoded back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Well-formed UTF-8: shortest forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
            (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

// Bytes below 0x3F are never part of a double-byte character nor a replacement, so each one in
// the input must come out as itself: a broken character must not take them with it.
std::size_t CountLowBytes(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += static_cast<unsigned char>(c) < 0x3F;
    return count;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string text = kernel32::Utf8FromCp932(bytes);
    Check(IsValidUtf8(text));
    Check(CountLowBytes(text) == CountLowBytes(bytes));
    // Decoding in two arrivals loses nothing below 0x3F either, wherever the cut falls.
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    const std::string halves =
        kernel32::Utf8FromCp932(bytes.substr(0, cut)) + kernel32::Utf8FromCp932(bytes.substr(cut));
    Check(IsValidUtf8(halves));
    Check(CountLowBytes(halves) == CountLowBytes(bytes));

    // What was decoded goes back out as bytes that decode to the same text; a replacement
    // character, which 932 cannot hold, goes out as '?'.
    const std::string encoded = kernel32::Cp932FromUtf8(text);
    Check(kernel32::Utf8FromCp932(encoded) == ReplaceAll(text, "\uFFFD", "?"));

    // Arbitrary input taken as UTF-8 text: never longer, low bytes kept.
    const std::string sent = kernel32::Cp932FromUtf8(bytes);
    Check(sent.size() <= size);
    Check(CountLowBytes(sent) == CountLowBytes(bytes));
    return 0;
}
