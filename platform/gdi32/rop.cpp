#include "rop.h"

#include <cstring>

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

}  // namespace gdi32
