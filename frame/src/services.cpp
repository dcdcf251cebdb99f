#include "frame/services.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>

#include <platform/codepage.h>
#include <platform/paths.h>

#include "ending.h"
#include "picture/bmp.h"

namespace frame {

Picture DecodePicture(std::span<const std::uint8_t> bytes, std::string_view nameForErrors) {
    auto decoded = picture::DecodeBmp(bytes);
    if (auto* error = std::get_if<picture::DecodeError>(&decoded)) {
        Raise(errors::InvalidPicture,
              StandardDescription(errors::InvalidPicture) + " (" + std::string(nameForErrors) + ": " + error->reason + ")");
    }
    auto& image = std::get<picture::Image>(decoded);
    auto data = std::make_shared<PictureData>();
    data->width = image.width;
    data->height = image.height;
    data->pixels = std::move(image.pixels);
    return data;
}

Picture LoadPicture(std::string_view path) {
    const std::string linuxPath = kernel32::LinuxPathOf(path);
    std::ifstream in(linuxPath, std::ios::binary);
    if (!in) Raise(errors::FileNotFound, StandardDescription(errors::FileNotFound) + " (" + std::string(path) + ")");
    // Pictures beyond this size are refused before they are read whole.
    constexpr std::streamoff limit = 256 * 1024 * 1024;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > limit) Raise(errors::InvalidPicture, StandardDescription(errors::InvalidPicture) + " (" + std::string(path) + ")");
    in.seekg(0);
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (!in) Raise(errors::DeviceIo, StandardDescription(errors::DeviceIo) + " (" + std::string(path) + ")");
    return DecodePicture(bytes, path);
}

void MsgBox(std::string_view text) { MsgBox(text, ProgramName()); }

void MsgBox(std::string_view text, std::string_view title) { detail::ShowMessageBox(std::string(title), std::string(text)); }

std::string CStr(long long number) { return std::to_string(number); }
std::string CStr(int number) { return std::to_string(number); }
std::string CStr(short number) { return std::to_string(number); }
std::string CStr(bool value) { return value ? "True" : "False"; }

std::int32_t CLng(std::string_view text) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\x0c' || c == '\v'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
        while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    }
    std::string_view whole = text, fraction;
    if (const size_t dot = text.find('.'); dot != std::string_view::npos) {
        whole = text.substr(0, dot);
        fraction = text.substr(dot + 1);
    }
    if (whole.empty() && fraction.empty()) Raise(errors::TypeMismatch);
    auto allDigits = [](std::string_view s) {
        for (char c : s) {
            if (c < '0' || c > '9') return false;
        }
        return true;
    };
    if (!allDigits(whole) || !allDigits(fraction)) Raise(errors::TypeMismatch);

    // Whole part with a guard against anything beyond 32 bits, then round half to even.
    long long value = 0;
    for (char c : whole) {
        value = value * 10 + (c - '0');
        if (value > 4294967296LL) Raise(errors::Overflow);
    }
    if (!fraction.empty()) {
        const char first = fraction.front();
        const bool restNonZero = fraction.find_first_not_of('0', 1) != std::string_view::npos;
        if (first > '5' || (first == '5' && (restNonZero || (value % 2) == 1))) ++value;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        Raise(errors::Overflow);
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t CheckedSubtract(std::int32_t a, std::int32_t b) {
    std::int32_t result = 0;
    if (__builtin_sub_overflow(a, b, &result)) Raise(errors::Overflow);
    return result;
}

std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
    std::int32_t result = 0;
    if (__builtin_add_overflow(a, b, &result)) Raise(errors::Overflow);
    return result;
}

std::string BytesToText(std::span<const std::uint8_t> bytes) { return kernel32::Utf8FromCp932(bytes); }

AnsiString::AnsiString(std::string_view utf8) : bytes_(kernel32::Cp932FromUtf8(utf8)) {}

std::uint8_t* FirstElement(std::vector<std::uint8_t>& array) {
    if (array.empty()) Raise(errors::SubscriptOutOfRange);
    return array.data();
}

namespace {

struct OpenFile {
    std::vector<std::uint8_t> contents;  // a missing file reads as empty
    size_t position = 0;
};

std::map<int, OpenFile>& OpenFiles() {
    static std::map<int, OpenFile> files;
    return files;
}

OpenFile& FileNumbered(int fileNumber) {
    auto it = OpenFiles().find(fileNumber);
    if (it == OpenFiles().end()) Raise(errors::BadFileNameOrNumber);
    return it->second;
}

}  // namespace

void OpenForBinary(std::string_view path, int fileNumber) {
    if (fileNumber < 1 || fileNumber > 511) Raise(errors::BadFileNameOrNumber);
    if (OpenFiles().contains(fileNumber)) Raise(errors::FileAlreadyOpen);
    if (path.empty()) Raise(errors::PathFileAccess);
    OpenFile file;
    std::ifstream in(kernel32::LinuxPathOf(path), std::ios::binary);
    if (in) {
        file.contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) Raise(errors::DeviceIo);
        if (file.contents.size() > static_cast<size_t>(std::numeric_limits<std::int32_t>::max())) Raise(errors::Overflow);
    }
    OpenFiles().emplace(fileNumber, std::move(file));
}

std::int32_t FileLength(int fileNumber) { return static_cast<std::int32_t>(FileNumbered(fileNumber).contents.size()); }

void GetBytes(int fileNumber, std::vector<std::uint8_t>& array) {
    OpenFile& file = FileNumbered(fileNumber);
    const size_t available = file.contents.size() - file.position;
    const size_t count = std::min(available, array.size());
    std::copy_n(file.contents.begin() + static_cast<std::ptrdiff_t>(file.position), count, array.begin());
    std::fill(array.begin() + static_cast<std::ptrdiff_t>(count), array.end(), 0);
    file.position += count;
}

void CloseFile(int fileNumber) { OpenFiles().erase(fileNumber); }

}  // namespace frame
