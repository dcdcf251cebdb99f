// A first-in first-out queue of bytes whose cost per byte stays constant however it is fed and drained.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace winsock {

class ByteQueue {
public:
    std::size_t size() const { return bytes_.size() - head_; }
    bool empty() const { return size() == 0; }

    void Append(std::span<const std::uint8_t> data) {
        // Dropping the consumed front only once it outweighs what is left keeps the moving
        // amortised to one byte per byte taken.
        if (head_ > 0 && head_ >= bytes_.size() / 2) {
            bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }

    // The next `count` bytes (fewer if fewer wait), without taking them.
    std::span<const std::uint8_t> Front(std::size_t count) const {
        return std::span<const std::uint8_t>(bytes_).subspan(head_, std::min(count, size()));
    }

    void Drop(std::size_t count) {
        head_ += std::min(count, size());
        if (head_ == bytes_.size()) Clear();
    }

    void Clear() {
        head_ = 0;
        bytes_.clear();
        // A burst may have grown the storage far beyond what a quiet connection needs.
        if (bytes_.capacity() > kKeptCapacity) bytes_.shrink_to_fit();
    }

private:
    static constexpr std::size_t kKeptCapacity = 1 << 20;
    std::vector<std::uint8_t> bytes_;
    std::size_t head_ = 0;
};

}  // namespace winsock
