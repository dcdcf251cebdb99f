// The raster-engine path the tests run on (see kernel_path_main.cpp).
#pragma once

#include "gdi32/kernels.h"

namespace gditest {
gdi32::KernelPath TestedPath();
}
