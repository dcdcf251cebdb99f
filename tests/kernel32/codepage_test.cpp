// Code page 932 conversions: what SendData puts on the wire and how received bytes read as text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"

namespace {

using kernel32::Cp932FromUtf8;
using kernel32::Utf8FromCp932;

const std::string kReplacement = "\uFFFD";

struct Case {
    const char* name;
    std::string from;
    std::string to;
};

std::string Bytes(std::initializer_list<unsigned char> bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(Cp932, DecodesReceivedBytes) {
    const std::vector<Case> cases = {
        {"empty", "", ""},
        {"ascii", "Hello, world!\r\n", "Hello, world!\r\n"},
        {"backslash and tilde stay ASCII", "\\~", "\\~"},
        {"hiragana and katakana", Bytes({0x82, 0xA0, 0x83, 0x41}), "あア"},
        {"kanji", Bytes({0x8A, 0xBF, 0x8E, 0x9A}), "漢字"},
        {"trail byte 0x5C belongs to its kanji", Bytes({0x95, 0x5C, 0x5C}), "表\\"},
        {"half-width katakana", Bytes({0xB1, 0xB2, 0xDF, 0xA1}), "ｱｲﾟ｡"},
        {"full-width tilde", Bytes({0x81, 0x60}), "～"},
        {"NEC and IBM extensions", Bytes({0x87, 0x40, 0xFA, 0x40}), "①ⅰ"},
        {"user-defined area", Bytes({0xF0, 0x40}), "\uE000"},
        {"NUL bytes kept", Bytes({'a', 0x00, 0x82, 0xA0, 0x00}), std::string("a\0あ\0", 6)},
        {"first half of a split character", Bytes({'A', 0x93}), "A" + kReplacement},
        {"second half of a split character", Bytes({0xFA}), kReplacement},
        {"second half before a line end", Bytes({0xFA, 0x0D, 0x0A}), kReplacement + "\r\n"},
        {"lead byte before a line end keeps the line end", Bytes({0x82, 0x0D, 0x0A}), kReplacement + "\r\n"},
        {"lead byte before a byte that cannot trail", Bytes({0x81, 0x7F, 'x'}),
         kReplacement + "\x7F"
                        "x"},
        {"bytes that begin nothing", Bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF, 'z'}),
         kReplacement + kReplacement + kReplacement + kReplacement + kReplacement + "z"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8FromCp932(c.from), c.to) << c.name;
        const std::vector<std::uint8_t> bytes(c.from.begin(), c.from.end());
        EXPECT_EQ(Utf8FromCp932(std::span<const std::uint8_t>(bytes)), c.to) << c.name << " (byte span)";
    }
}

TEST(Cp932, EncodesTextToSend) {
    const std::vector<Case> cases = {
        {"empty", "", ""},
        {"ascii", "GET / HTTP/1.0\r\n", "GET / HTTP/1.0\r\n"},
        {"hiragana", "こんにちは", Bytes({0x82, 0xB1, 0x82, 0xF1, 0x82, 0xC9, 0x82, 0xBF, 0x82, 0xCD})},
        {"kanji with a 0x5C trail", "表示", Bytes({0x95, 0x5C, 0x8E, 0xA6})},
        {"half-width katakana", "ｱｲｳ", Bytes({0xB1, 0xB2, 0xB3})},
        {"ideographic space", "\u3000", Bytes({0x81, 0x40})},
        {"NEC circled digit", "①", Bytes({0x87, 0x40})},
        // Input methods outside Windows type these; Windows sends them as the look-alikes it has.
        {"wave dash and full-width tilde", "〜～", Bytes({0x81, 0x60, 0x81, 0x60})},
        {"minus sign", "\u2212", Bytes({0x81, 0x7C})},
        {"NUL kept", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"accented letter 932 lacks", "caf\u00E9", "caf?"},
        {"emoji between letters", "a\U0001F600b", "a?b"},
        {"hangul", "\uD55C\uAE00", "??"},
        {"cut-off sequence keeps what follows",
         "\xE3\x81"
         "A",
         "?A"},
        {"stray continuation byte",
         "\x80"
         "A",
         "?A"},
        {"four-byte lead without its tail",
         "\xF0"
         "AB",
         "?AB"},
        {"invalid lead byte",
         "\xFF"
         "A",
         "?A"},
        {"encoded surrogate",
         "\xED\xA0\x80"
         "A",
         "?A"},
    };
    for (const auto& c : cases) EXPECT_EQ(Cp932FromUtf8(c.from), c.to) << c.name;
}

// Every single byte: ASCII as itself, half-width katakana, everything else one replacement.
TEST(Cp932, EverySingleByteDecodesToOneCharacter) {
    for (int b = 0; b < 256; ++b) {
        const std::string decoded = Utf8FromCp932(std::string(1, static_cast<char>(b)));
        std::string expected;
        if (b < 0x80) {
            expected = std::string(1, static_cast<char>(b));
        } else if (b >= 0xA1 && b <= 0xDF) {
            const char32_t c = 0xFF61 + (b - 0xA1);
            expected = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                        static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            expected = kReplacement;
        }
        EXPECT_EQ(decoded, expected) << "byte " << b;
    }
}

// Whatever a received double-byte character decodes to goes back out as a code that decodes the same.
TEST(Cp932, DecodedDoubleByteCharactersEncodeBack) {
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string text = Utf8FromCp932(pair);
            if (text.find(kReplacement) != std::string::npos) continue;
            ++characters;
            const std::string back = Cp932FromUtf8(text);
            ASSERT_EQ(back.size(), 2u) << std::hex << lead << " " << trail;
            EXPECT_EQ(Utf8FromCp932(back), text) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_GT(characters, 7000);
}

}  // namespace
