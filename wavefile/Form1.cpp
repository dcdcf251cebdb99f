// wavefile: "再生" plays the sound straight from its file, in the background.
#include <frame/form.h>

#include "Module1.h"

namespace {

// SND_ASYNC: returns at once. SND_NODEFAULT: a file that cannot be played stays silent.
void Command1_Click() {
    sndPlaySoundA(frame::AnsiString("C:\\Windows\\Media\\The Microsoft Sound.wav"), SND_ASYNC | SND_NODEFAULT);
}

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Command1_Click", Command1_Click},
};
