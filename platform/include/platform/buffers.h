// Byte arrays that the form run time hands out by address, known here with their length, so that a
// Windows function given only an address (sndPlaySoundA with SND_MEMORY) reads no further than the
// array goes.
#pragma once

#include <cstddef>
#include <optional>

namespace platform {

// Records the array at `address` of `size` bytes; it replaces every array recorded before that
// overlaps it, as memory that was freed and handed out again. Recording no bytes forgets `address`.
void KnowBuffer(const void* address, std::size_t size);

// How many bytes lie from `address` to the end of the recorded array that holds it; nothing when
// no recorded array holds it (its length cannot be known).
std::optional<std::size_t> KnownBytesFrom(const void* address);

}  // namespace platform
