#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace kernel32 {
namespace {

// iconv descriptors keep shift state, so each direction is opened once and reset per call.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns how many input bytes were consumed. `cutOff` tells whether
    // it stopped at a character that the input ends inside of.
    size_t Convert(const char* in, size_t size, std::string& out, bool* cutOff = nullptr) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        size_t inLeft = size;
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (r == static_cast<size_t>(-1) && errno != E2BIG) {
                if (cutOff != nullptr) *cutOff = errno == EINVAL;
                break;
            }
        }
        return size - inLeft;
    }

private:
    iconv_t cd_;
};

std::mutex& ConversionMutex() {
    static std::mutex m;
    return m;
}

size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

// How many bytes one '?' stands for where conversion stopped: a whole character that code page
// 932 lacks, or a broken sequence up to (not including) the first byte that cannot continue it,
// so that text after a cut-off sequence is kept.
size_t UnconvertibleLength(std::string_view utf8) {
    const size_t length = std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[0])), utf8.size());
    size_t used = 1;
    while (used < length && (static_cast<unsigned char>(utf8[used]) & 0xC0) == 0x80) ++used;
    return used;
}

std::string Decode(std::string_view bytes, std::size_t* unfinished) {
    std::lock_guard lock(ConversionMutex());
    static Converter converter("UTF-8", "CP932");
    std::string out;
    size_t pos = 0;
    if (unfinished != nullptr) *unfinished = 0;
    while (pos < bytes.size()) {
        bool cutOff = false;
        pos += converter.Convert(bytes.data() + pos, bytes.size() - pos, out, &cutOff);
        if (pos < bytes.size()) {
            if (cutOff && unfinished != nullptr) {
                *unfinished = bytes.size() - pos;
                break;
            }
            out += "\xEF\xBF\xBD";
            ++pos;
        }
    }
    return out;
}

}  // namespace

std::string Cp932FromUtf8(std::string_view utf8) {
    std::lock_guard lock(ConversionMutex());
    static Converter converter("CP932", "UTF-8");
    std::string out;
    size_t pos = 0;
    while (pos < utf8.size()) {
        pos += converter.Convert(utf8.data() + pos, utf8.size() - pos, out);
        if (pos < utf8.size()) {
            out += '?';
            pos += UnconvertibleLength(utf8.substr(pos));
        }
    }
    return out;
}

std::string Utf8FromCp932(std::span<const std::uint8_t> bytes) {
    return Decode(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), nullptr);
}

std::string Utf8FromCp932(std::string_view bytes) { return Decode(bytes, nullptr); }

std::string Utf8FromCp932(std::span<const std::uint8_t> bytes, std::size_t* unfinished) {
    return Decode(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), unfinished);
}

}  // namespace kernel32
