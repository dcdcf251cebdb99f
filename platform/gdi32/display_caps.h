// What GetDeviceCaps reports for the screen; the display part of user32 supplies it.
#pragma once

namespace gdi32 {

struct DisplayCaps {
    int bitsPerPixel = 32;
    int width = 1024;
    int height = 768;
    int refreshRate = 60;
};

// Set once by the display layer; without one the defaults above stand.
void SetDisplayCapsProvider(DisplayCaps (*provider)());
DisplayCaps CurrentDisplayCaps();

}  // namespace gdi32
