// The export table of every library we provide, each in its library's exports.cpp.
#pragma once

#include "platform/exports.h"

namespace gdi32 {
const platform::ExportTable& Exports();
}
namespace user32 {
const platform::ExportTable& Exports();
}
namespace winmm {
const platform::ExportTable& Exports();
}
namespace shell32 {
const platform::ExportTable& Exports();
}
namespace kernel32 {
const platform::ExportTable& Exports();
}
