// Opening a file that the programs read whole (a picture, a sound, a byte-access file) without
// ever blocking and without reading past the size it had when it was opened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kernel32 {

class RegularFile {
public:
    enum class Status {
        Open,
        Missing,     // nothing by that name (a dangling link included)
        NotRegular,  // a directory, FIFO, device or socket, or a link to one: refused before it is read
        Unreadable,  // there, but it cannot be opened for reading
    };

    // Looks at what the path names before opening it, then opens it without waiting and checks the
    // opened file again, so a FIFO put in its place meanwhile is refused too.
    static RegularFile Open(const std::string& linuxPath);

    RegularFile() = default;
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    Status status() const { return status_; }
    bool is_open() const { return status_ == Status::Open; }
    // The size when it was opened; nothing beyond it is ever read.
    std::uint64_t size() const { return size_; }

    // Reads from `offset` into `out`, stopping at the size taken at open (or earlier if the file
    // shrank meanwhile); returns how many bytes were read, or -1 on a read error.
    std::int64_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;

private:
    int fd_ = -1;
    Status status_ = Status::Missing;
    std::uint64_t size_ = 0;
};

}  // namespace kernel32
