// The run time's services: pictures, message boxes, conversions and byte-access files.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "frame/errors.h"

namespace frame {

// A loaded picture: top-down pixels 0x00RRGGBB.
struct PictureData {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};
using Picture = std::shared_ptr<const PictureData>;

// Loads a BMP file (run-time error 53 when missing, 75 when the path names no regular file, such as
// a directory, FIFO, device or socket, 481 when it is no readable picture or is too large).
Picture LoadPicture(std::string_view path);
Picture DecodePicture(std::span<const std::uint8_t> bytes, std::string_view nameForErrors);

// A modal message box with an OK button, titled with the program's name unless given a title.
void MsgBox(std::string_view text);
void MsgBox(std::string_view text, std::string_view title);

// The deliverable's name ("blendview").
const std::string& ProgramName();

// Number and truth value to text: decimal, minus sign when negative, no leading blank.
std::string CStr(long long number);
std::string CStr(int number);
std::string CStr(short number);
std::string CStr(bool value);  // "True" or "False"

// Text to a 32-bit integer: blanks around it, a sign and a fraction (rounded half to even) are
// accepted; anything else raises error 13, a value out of range error 6.
std::int32_t CLng(std::string_view text);

// Signed 32-bit arithmetic as the programs write it: an overflow raises error 6.
std::int32_t CheckedSubtract(std::int32_t a, std::int32_t b);
std::int32_t CheckedAdd(std::int32_t a, std::int32_t b);

// Bytes in the system code page (932) to text.
std::string BytesToText(std::span<const std::uint8_t> bytes);

// Bytes that arrive in pieces to text, as BytesToText gives them, except that a piece that ends in
// the first byte of a double-byte character keeps that byte back and puts it in front of the next
// piece, so a character split across two pieces shows whole.
class ArrivalText {
public:
    std::string BytesToText(std::span<const std::uint8_t> bytes);
    // The byte kept back, shown alone as BytesToText shows it, and forgotten ("" when none).
    std::string Rest();

private:
    std::vector<std::uint8_t> kept_;
};

// Text to the system code page, NUL-terminated, for the ANSI entries of the Windows libraries.
class AnsiString {
public:
    explicit AnsiString(std::string_view utf8);
    const char* c_str() const { return bytes_.c_str(); }
    operator const char*() const { return bytes_.c_str(); }

private:
    std::string bytes_;
};

// Address of element 0 of a byte array; error 9 when the array has no elements. The Windows layer
// learns the array's length with it, so that a function given the address reads no further.
std::uint8_t* FirstElement(std::vector<std::uint8_t>& array);

// Byte-access files by number, the way the programs open them: open, length, read, close.
// Windows paths ("C:\...") are mapped onto the suite's drive folders. A file that does not exist
// opens as an empty file (nothing is created), as opening for binary access would give. A path that
// names no regular file (a directory, FIFO, device or socket, or a link to one) or cannot be read
// fails at once with error 75, a file longer than 2^31 - 1 bytes with error 6. The length is taken
// at the open; reads never go past it.
void OpenForBinary(std::string_view path, int fileNumber);
std::int32_t FileLength(int fileNumber);
// Reads from the current position into the whole array (short reads leave the rest zero).
void GetBytes(int fileNumber, std::vector<std::uint8_t>& array);
void CloseFile(int fileNumber);

}  // namespace frame
