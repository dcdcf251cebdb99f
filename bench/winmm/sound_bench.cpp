// How fast sndPlaySoundA(..., SND_ASYNC) returns, and how soon the sound reaches the audio device.
// By default the sound goes to SDL's disk driver writing into /dev/null, which asks for a buffer at
// the pace a sound card would (every 512 frames at 44.1 kHz); set SDL_AUDIODRIVER to measure another
// driver.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/buffers.h"
#include "platform/paths.h"
#include "winmm/sound.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kChime = "C:\\Windows\\Media\\The Microsoft Sound.wav";

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Per-call figures besides the mean: the median, the 99th percentile and the worst call.
class Timings {
public:
    void Add(benchmark::State& state, double seconds) {
        samples_.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    void Report(benchmark::State& state) {
        if (samples_.empty()) return;
        std::sort(samples_.begin(), samples_.end());
        const auto at = [&](double q) {
            return samples_[static_cast<std::size_t>(q * (samples_.size() - 1))] * 1000.0;
        };
        state.counters["p50_ms"] = at(0.5);
        state.counters["p99_ms"] = at(0.99);
        state.counters["max_ms"] = samples_.back() * 1000.0;
    }

private:
    std::vector<double> samples_;
};

// Each call opens the device: the first sound a program plays.
void BM_AsyncReturn_FirstCall(benchmark::State& state) {
    Timings timings;
    for (auto _ : state) {
        winmm::ResetSoundForTesting();
        const auto start = Clock::now();
        const BOOL played = winmm::sndPlaySoundA(kChime, SND_ASYNC | SND_NODEFAULT);
        const double took = Seconds(Clock::now() - start);
        if (!played) state.SkipWithError("no sound device");
        timings.Add(state, took);
    }
    timings.Report(state);
    winmm::ResetSoundForTesting();
}
BENCHMARK(BM_AsyncReturn_FirstCall)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// Times each call of sndPlaySoundA(sound, flags) while the device is open and a sound plays, so
// that each call gives way to a new one.
void TimeLaterCalls(benchmark::State& state, LPCSTR sound, UINT flags) {
    winmm::sndPlaySoundA(kChime, SND_ASYNC | SND_NODEFAULT);
    Timings timings;
    for (auto _ : state) {
        const auto start = Clock::now();
        const BOOL played = winmm::sndPlaySoundA(sound, flags);
        const double took = Seconds(Clock::now() - start);
        if (!played) state.SkipWithError("no sound device");
        timings.Add(state, took);
    }
    timings.Report(state);
    winmm::sndPlaySoundA(nullptr, 0);
}

void BM_AsyncReturn_LaterCall(benchmark::State& state) { TimeLaterCalls(state, kChime, SND_ASYNC | SND_NODEFAULT); }
BENCHMARK(BM_AsyncReturn_LaterCall)->UseManualTime()->Iterations(500)->Unit(benchmark::kMillisecond);

// The same sound from a WAV image in memory (copied by the call).
void BM_AsyncReturn_Memory(benchmark::State& state) {
    std::ifstream file(kernel32::LinuxPathOf(kChime), std::ios::binary);
    const std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    platform::KnowBuffer(image.data(), image.size());  // as the form run time does for its arrays
    TimeLaterCalls(state, image.data(), SND_ASYNC | SND_MEMORY);
}
BENCHMARK(BM_AsyncReturn_Memory)->UseManualTime()->Iterations(500)->Unit(benchmark::kMillisecond);

// From the call to the moment the sound's first samples are handed to the device.
void BM_DelayToDevice(benchmark::State& state) {
    winmm::sndPlaySoundA(kChime, SND_ASYNC | SND_NODEFAULT);
    Timings timings;
    for (auto _ : state) {
        // Calls at random moments within the device's buffer period.
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + std::rand() % 12000));
        const auto start = Clock::now();
        if (!winmm::sndPlaySoundA(kChime, SND_ASYNC | SND_NODEFAULT)) state.SkipWithError("no sound device");
        std::optional<Clock::time_point> reached;
        while (!(reached = winmm::LastSoundStartForTesting()) && Clock::now() - start < std::chrono::seconds(1)) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        if (!reached) {
            state.SkipWithError("the sound never reached the device");
            break;
        }
        const double took = Seconds(*reached - start);
        timings.Add(state, took);
    }
    timings.Report(state);
    winmm::sndPlaySoundA(nullptr, 0);
}
BENCHMARK(BM_DelayToDevice)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "disk", 0);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    winmm::ResetSoundForTesting();
    return 0;
}
