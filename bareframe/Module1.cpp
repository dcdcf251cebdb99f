#include "Module1.h"

#include <cstdint>

void RemoveCaptionBar(const frame::Form& form) {
    // Exclusive-or, not a clearing: every other bit (system menu, minimise and maximise boxes) stays.
    const auto style = static_cast<std::int32_t>(GetWindowLongA(form.hWnd(), GWL_STYLE));
    SetWindowLongA(form.hWnd(), GWL_STYLE, style ^ static_cast<std::int32_t>(WS_CAPTION | WS_THICKFRAME));
    // Same place and size, top of the Z order, and the frame recomputed from the new style.
    SetWindowPos(form.hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
}
