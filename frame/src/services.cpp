#include "frame/services.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

#include <platform/buffers.h>
#include <platform/codepage.h>
#include <platform/paths.h>
#include <platform/regular_file.h>

#include "ending.h"
#include "picture/bmp.h"

namespace frame {

Picture DecodePicture(std::span<const std::uint8_t> bytes, std::string_view nameForErrors) {
    auto decoded = picture::DecodeBmp(bytes);
    if (auto* error = std::get_if<picture::DecodeError>(&decoded)) {
        Raise(errors::InvalidPicture, StandardDescription(errors::InvalidPicture) + " (" + std::string(nameForErrors) +
                                          ": " + error->reason + ")");
    }
    auto& image = std::get<picture::Image>(decoded);
    auto data = std::make_shared<PictureData>();
    data->width = image.width;
    data->height = image.height;
    data->pixels = std::move(image.pixels);
    return data;
}

namespace {

[[noreturn]] void RaiseNaming(int number, std::string_view path) {
    Raise(number, StandardDescription(number) + " (" + std::string(path) + ")");
}

}  // namespace

Picture LoadPicture(std::string_view path) {
    const auto file = kernel32::RegularFile::Open(kernel32::LinuxPathOf(path));
    using Status = kernel32::RegularFile::Status;
    if (file.status() == Status::Missing) RaiseNaming(errors::FileNotFound, path);
    if (!file.is_open()) RaiseNaming(errors::PathFileAccess, path);
    // Pictures beyond this size are refused before they are read.
    constexpr std::uint64_t limit = 256 * 1024 * 1024;
    if (file.size() > limit) RaiseNaming(errors::InvalidPicture, path);
    std::vector<std::uint8_t> bytes(static_cast<size_t>(file.size()));
    const std::int64_t got = file.ReadAt(0, bytes);
    if (got < 0) RaiseNaming(errors::DeviceIo, path);
    bytes.resize(static_cast<size_t>(got));
    return DecodePicture(bytes, path);
}

void MsgBox(std::string_view text) { MsgBox(text, ProgramName()); }

void MsgBox(std::string_view text, std::string_view title) {
    detail::ShowMessageBox(std::string(title), std::string(text));
}

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
    platform::KnowBuffer(array.data(), array.size());
    return array.data();
}

std::string ArrivalText::BytesToText(std::span<const std::uint8_t> bytes) {
    std::string text;
    size_t unfinished = 0;
    if (kept_.empty()) {
        text = kernel32::Utf8FromCp932(bytes, &unfinished);
        kept_.assign(bytes.end() - static_cast<std::ptrdiff_t>(unfinished), bytes.end());
    } else {
        std::vector<std::uint8_t> joined = std::move(kept_);
        joined.insert(joined.end(), bytes.begin(), bytes.end());
        text = kernel32::Utf8FromCp932(joined, &unfinished);
        kept_.assign(joined.end() - static_cast<std::ptrdiff_t>(unfinished), joined.end());
    }
    return text;
}

std::string ArrivalText::Rest() {
    const std::string text = kernel32::Utf8FromCp932(kept_);
    kept_.clear();
    return text;
}

namespace {

struct OpenFile {
    kernel32::RegularFile file;  // not open: a missing file, read as empty
    std::uint64_t position = 0;
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
    OpenFile opened{kernel32::RegularFile::Open(kernel32::LinuxPathOf(path))};
    using Status = kernel32::RegularFile::Status;
    if (opened.file.status() != Status::Open && opened.file.status() != Status::Missing) {
        RaiseNaming(errors::PathFileAccess, path);
    }
    // The length is a 32-bit number: a longer file fails here, before anything is read.
    if (opened.file.size() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        RaiseNaming(errors::Overflow, path);
    }
    OpenFiles().emplace(fileNumber, std::move(opened));
}

std::int32_t FileLength(int fileNumber) { return static_cast<std::int32_t>(FileNumbered(fileNumber).file.size()); }

void GetBytes(int fileNumber, std::vector<std::uint8_t>& array) {
    OpenFile& opened = FileNumbered(fileNumber);
    const std::int64_t got = opened.file.ReadAt(opened.position, array);
    if (got < 0) Raise(errors::DeviceIo);
    const auto count = static_cast<size_t>(got);
    std::fill(array.begin() + static_cast<std::ptrdiff_t>(count), array.end(), 0);
    opened.position += count;
}

void CloseFile(int fileNumber) { OpenFiles().erase(fileNumber); }

}  // namespace frame
