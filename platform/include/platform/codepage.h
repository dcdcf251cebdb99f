// Conversions between the suite's UTF-8 text and the system code page (932).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kernel32 {

// Characters that code page 932 cannot hold become '?', as WideCharToMultiByte's default does.
std::string Cp932FromUtf8(std::string_view utf8);

// Each byte that does not begin a valid character (a lone lead byte, a bad trail, a cut-off pair at
// the end) becomes U+FFFD and decoding goes on with the next byte, so nothing that follows is lost.
// NUL bytes stay as they are.
std::string Utf8FromCp932(std::span<const std::uint8_t> bytes);
std::string Utf8FromCp932(std::string_view bytes);

// The same, except that bytes at the very end which begin a character they do not finish (the first
// byte of a double-byte character) are left undecoded and counted in `unfinished`.
std::string Utf8FromCp932(std::span<const std::uint8_t> bytes, std::size_t* unfinished);

// The same, except that bytes at the very end which begin a character they do not finish (the first
// byte of a double-byte character) are left undecoded and counted in `unfinished`.
std::string Utf8FromCp932(std::span<const std::uint8_t> bytes, std::size_t* unfinished);

}  // namespace kernel32
