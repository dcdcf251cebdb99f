// Process-wide state built on first use and never destroyed, so that calls made while other static
// objects are being destroyed at exit still find it whole.
#pragma once

#include <memory>

namespace gdi32 {

template <typename T>
T& Immortal() {
    alignas(T) static unsigned char storage[sizeof(T)];
    static T* const object = std::construct_at(reinterpret_cast<T*>(storage));
    return *object;
}

}  // namespace gdi32
