#include "rop.h"

#include <cstring>

#include "kernels.h"

namespace gdi32 {

ResultMask MaskForFormat(int bitCount) {
    ResultMask mask{};
    std::memset(mask.bytes, 0xFF, sizeof mask.bytes);
    mask.keepsAll = true;
    if (bitCount == 32) {
        for (int i = 3; i < 16; i += 4) mask.bytes[i] = 0;
        mask.keepsAll = false;
    } else if (bitCount == 16) {
        for (int i = 1; i < 16; i += 2) mask.bytes[i] = 0x7F;
        mask.keepsAll = false;
    }
    return mask;
}

void ApplyRop(unsigned index, std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p, std::size_t n,
              const ResultMask& mask) {
    ActiveKernels().ropRows[index & 0xFFu](d, s, p, n, mask);
}

}  // namespace gdi32
