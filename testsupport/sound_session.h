// A PipeWire server of the test's own (pipewire, wireplumber, pipewire-pulse, on their own session
// bus and runtime directory), started here and stopped by process id, and a recording of what its
// default sink plays (parec on the sink's monitor). While it lives, this process plays to it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

#include "compositor_session.h"
#include "session_environment.h"

namespace testsupport {

class PipewireSession {
public:
    static std::string Unavailable();
    PipewireSession();
    ~PipewireSession();
    PipewireSession(const PipewireSession&) = delete;
    PipewireSession& operator=(const PipewireSession&) = delete;

    bool ok() const { return ok_; }
    // Records the default sink's monitor, mono 16-bit at kRecordRate, until StopRecording.
    bool StartRecording();
    std::vector<std::int16_t> StopRecording();
    static constexpr int kRecordRate = 48000;
    std::string Diagnostics() const;

private:
    OwnSession ownSession_;
    std::unique_ptr<WorkDir> dir_;
    std::vector<pid_t> servers_;  // in the order they started
    pid_t recorder_ = -1;
    std::string monitor_;
    bool ok_ = false;
};

// The loudest sample and how long (in samples) the sound stays above a tenth of it, start to end.
struct Loudness {
    int peak = 0;
    std::size_t first = 0;
    std::size_t last = 0;
};
Loudness Measure(const std::vector<std::int16_t>& samples);

// A 16-bit PCM WAV file's first channel and its rate; empty when it is none.
struct WavSound {
    int rate = 0;
    std::vector<std::int16_t> samples;
};
WavSound ReadWav16(const std::string& path);

}  // namespace testsupport
