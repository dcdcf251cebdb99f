// The export tables of every library we provide; each lives with its library.
#pragma once

#include "platform/exports.h"

namespace gdi32 { const platform::ExportTable& Exports(); }
namespace user32 {
const platform::ExportTable& WindowExports();
const platform::ExportTable& DisplayExports();
}
namespace winmm {
const platform::ExportTable& TimeExports();
const platform::ExportTable& JoystickExports();
const platform::ExportTable& SoundExports();
}
namespace shell32 { const platform::ExportTable& Exports(); }
namespace kernel32 { const platform::ExportTable& Exports(); }
