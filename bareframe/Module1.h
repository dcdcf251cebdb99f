// bareframe's module: taking the caption bar and sizing frame off a form's window.
#pragma once

#include <frame/form.h>

// Flips the caption and sizing-frame bits of the form's window style and has the frame redrawn:
// on a sizable form they go, on a form already stripped they come back.
void RemoveCaptionBar(const frame::Form& form);
