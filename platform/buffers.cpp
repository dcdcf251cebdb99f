#include "platform/buffers.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace platform {
namespace {

// Arrays are recorded each time a program takes an address; a few dozen cover every program, and
// the oldest goes first so that the record cannot grow without bound.
constexpr std::size_t kMaxRecorded = 64;

struct Recorded {
    std::size_t size = 0;
    std::uint64_t stamp = 0;
};

struct Registry {
    std::mutex mutex;
    std::map<std::uintptr_t, Recorded> arrays;  // by start address; never overlapping
    std::uint64_t nextStamp = 0;
};

Registry& Arrays() {
    static Registry registry;
    return registry;
}

}  // namespace

void KnowBuffer(const void* address, std::size_t size) {
    const auto start = reinterpret_cast<std::uintptr_t>(address);
    const std::uintptr_t end = size > UINTPTR_MAX - start ? UINTPTR_MAX : start + size;
    Registry& registry = Arrays();
    std::lock_guard lock(registry.mutex);
    auto& arrays = registry.arrays;
    auto it = arrays.upper_bound(start);
    if (it != arrays.begin()) {
        auto before = std::prev(it);
        if (before->first + before->second.size > start || before->first == start) it = before;
    }
    while (it != arrays.end() && (it->first < end || it->first == start)) it = arrays.erase(it);
    if (size == 0) return;
    if (arrays.size() >= kMaxRecorded) {
        auto oldest = arrays.begin();
        for (auto candidate = arrays.begin(); candidate != arrays.end(); ++candidate) {
            if (candidate->second.stamp < oldest->second.stamp) oldest = candidate;
        }
        arrays.erase(oldest);
    }
    arrays[start] = Recorded{end - start, registry.nextStamp++};
}

std::optional<std::size_t> KnownBytesFrom(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    Registry& registry = Arrays();
    std::lock_guard lock(registry.mutex);
    auto it = registry.arrays.upper_bound(at);
    if (it == registry.arrays.begin()) return std::nullopt;
    --it;
    const std::uintptr_t offset = at - it->first;
    if (offset >= it->second.size) return std::nullopt;
    return it->second.size - offset;
}

}  // namespace platform
