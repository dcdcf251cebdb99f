// The picture box's off-screen image, for whoever needs to look at what it holds.
#pragma once

#include <QImage>

#include "kinds.h"

namespace frame {

// A copy of the box's image, or a null image when `object` is no picture box.
QImage OffscreenImageOf(const ControlObject& object);

}  // namespace frame
