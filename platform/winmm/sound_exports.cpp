#include "tables.h"
#include "winmm/sound.h"

namespace winmm {

const platform::ExportTable& SoundExports() {
    static const platform::Export entries[] = {PLATFORM_EXPORT(sndPlaySoundA)};
    static const platform::ExportTable table{"winmm.dll", entries};
    return table;
}

}  // namespace winmm
