#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <algorithm>
#include <utility>

namespace kernel32 {

RegularFile RegularFile::Open(const std::string& linuxPath) {
    RegularFile file;
    struct stat named {};
    if (::stat(linuxPath.c_str(), &named) != 0) {
        file.status_ = errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Unreadable;
        return file;
    }
    // Opening a device or a FIFO can block or act on the device, so only a regular file is opened.
    if (!S_ISREG(named.st_mode)) {
        file.status_ = Status::NotRegular;
        return file;
    }
    const int fd = ::open(linuxPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        file.status_ = errno == ENOENT || errno == ENOTDIR ? Status::Missing
                       : errno == ENXIO                    ? Status::NotRegular
                                                           : Status::Unreadable;
        return file;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) {
        ::close(fd);
        file.status_ = Status::Unreadable;
        return file;
    }
    if (!S_ISREG(opened.st_mode)) {
        ::close(fd);
        file.status_ = Status::NotRegular;
        return file;
    }
    file.fd_ = fd;
    file.status_ = Status::Open;
    file.size_ = static_cast<std::uint64_t>(opened.st_size);
    return file;
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      status_(std::exchange(other.status_, Status::Missing)),
      size_(std::exchange(other.size_, 0)) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        status_ = std::exchange(other.status_, Status::Missing);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

RegularFile::~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::int64_t RegularFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (fd_ < 0 || offset >= size_) return 0;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), size_ - offset));
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t got = ::pread(fd_, out.data() + done, wanted - done, static_cast<off_t>(offset + done));
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            return -1;
        }
    }
    return static_cast<std::int64_t>(done);
}

}  // namespace kernel32
