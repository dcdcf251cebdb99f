// tickplot: the timer asks for 1, 2, 3... ms; each tick plots the interval it really waited.
#include <frame/declare.h>
#include <frame/form.h>

namespace {

const frame::Declare<DWORD()> timeGetTime{"winmm.dll", "timeGetTime"};

const frame::PictureBox Picture1{"Picture1"};
const frame::Timer Timer1{"Timer1"};
const frame::CommandButton Command1{"Command1"};

constexpr COLORREF Black = 0x00000000;
constexpr COLORREF Blue = 0x00FF0000;
constexpr COLORREF Red = 0x000000FF;

// The clock at the previous tick; the start button does not reset it.
std::int32_t LastTickTime = 0;

// "開始": the grid, the diagonal of a perfect timer, then ticks from 1 ms up.
void Command1_Click() {
    for (int y = 500; y >= 0; y -= 100) Picture1.lineStep(0, y, 500, 0, Black);
    for (int x = 500; x >= 0; x -= 100) Picture1.lineStep(x, 0, 0, 500, Black);
    Picture1.lineStep(0, 500, 500, -500, Blue);
    Timer1.setInterval(1);
    Timer1.setEnabled(true);
    Command1.setEnabled(false);
}

// Requested interval across, measured interval up; then ask for one millisecond more.
void Timer1_Timer() {
    const auto now = static_cast<std::int32_t>(timeGetTime());
    const std::int32_t x = Timer1.interval();
    // Taken modulo 2^32, the difference stays right when the count wraps between two ticks.
    const auto elapsed =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(LastTickTime));
    const long long y = 500LL - elapsed;
    if (y >= 0 && y <= 500) Picture1.pset(x, static_cast<int>(y), Red);  // elsewhere it would not be seen
    LastTickTime = now;
    Timer1.setInterval(Timer1.interval() + 1);
}

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Command1_Click", Command1_Click},
    {"Timer1_Timer", Timer1_Timer},
};
