// wavememory: "メモリーにロード" reads the WAV file into memory; "再生" plays it from there.
#include <frame/form.h>

#include "Module1.h"

namespace {

void Command1_Click() {
    frame::OpenForBinary("C:\\Windows\\Media\\The Microsoft Sound.wav", 1);
    WaveData = std::vector<std::uint8_t>(static_cast<size_t>(frame::FileLength(1)));
    frame::GetBytes(1, WaveData);
    frame::CloseFile(1);
}

// Errors are ignored: before a load the buffer has no element 0, and nothing plays.
// SND_ASYNC: returns at once. SND_MEMORY: the first argument is the WAV image itself.
void Command2_Click() {
    frame::ResumeNext(
        [] { sndPlaySoundA(reinterpret_cast<LPCSTR>(frame::FirstElement(WaveData)), SND_ASYNC | SND_MEMORY); });
}

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Command1_Click", Command1_Click},
    {"Command2_Click", Command2_Click},
};
