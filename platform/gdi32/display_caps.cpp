#include "display_caps.h"

namespace gdi32 {
namespace {
DisplayCaps (*provider)() = nullptr;
}

void SetDisplayCapsProvider(DisplayCaps (*newProvider)()) { provider = newProvider; }

DisplayCaps CurrentDisplayCaps() { return provider ? provider() : DisplayCaps{}; }

}  // namespace gdi32
