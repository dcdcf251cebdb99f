#include "sound_session.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "x_session.h"
#include "x_session_wait.h"

namespace testsupport {
namespace {

bool OnPath(const std::string& tool) { return RunCommand({"sh", "-c", "command -v " + tool}).exitCode == 0; }

}  // namespace

std::string PipewireSession::Unavailable() {
    for (const char* tool : {"pipewire", "wireplumber", "pipewire-pulse", "pactl", "parec", "dbus-daemon"}) {
        if (!OnPath(tool)) return std::string(tool) + " is not installed";
    }
    return {};
}

PipewireSession::PipewireSession() {
    dir_ = std::make_unique<WorkDir>("pipewire");
    if (dir_->path().empty()) return;
    const std::string& dir = dir_->path();
    chmod(dir.c_str(), 0700);
    const std::string bus = "unix:path=" + dir + "/bus";
    const std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + dir, "DBUS_SESSION_BUS_ADDRESS=" + bus,
                                          "DISPLAY=", "WAYLAND_DISPLAY=", "PIPEWIRE_RUNTIME_DIR=" + dir};
    servers_.push_back(StartLogged({"dbus-daemon", "--session", "--address=" + bus, "--nofork", "--nopidfile"}, env,
                                   dir + "/dbus.log"));
    if (!WaitUntil([&] { return access((dir + "/bus").c_str(), F_OK) == 0; }, 5000)) return;
    servers_.push_back(StartLogged({"pipewire"}, env, dir + "/pipewire.log"));
    if (!WaitUntil([&] { return access((dir + "/pipewire-0").c_str(), F_OK) == 0; }, 5000)) return;
    servers_.push_back(StartLogged({"wireplumber"}, env, dir + "/wireplumber.log"));
    servers_.push_back(StartLogged({"pipewire-pulse"}, env, dir + "/pipewire-pulse.log"));
    // Its socket first: a pulse client asked earlier makes the socket's folder itself, and the
    // server then refuses to start.
    if (!WaitUntil([&] { return access((dir + "/pulse/native").c_str(), F_OK) == 0; }, 10000)) return;
    // Ready once the pulse server answers with a default sink (the session manager's null sink here).
    ok_ = WaitUntil(
        [&] {
            const auto info = RunCommand({"pactl", "get-default-sink"}, env);
            monitor_ = info.exitCode == 0 ? info.output.substr(0, info.output.find('\n')) : "";
            return !monitor_.empty() &&
                   RunCommand({"pactl", "list", "short", "sinks"}, env).output.find(monitor_) != std::string::npos;
        },
        10000);
    if (!ok_) return;
    monitor_ += ".monitor";
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    setenv("PIPEWIRE_RUNTIME_DIR", dir.c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
}

PipewireSession::~PipewireSession() {
    StopProcess(recorder_);
    for (auto it = servers_.rbegin(); it != servers_.rend(); ++it) StopProcess(*it);
    unsetenv("PIPEWIRE_RUNTIME_DIR");
}

bool PipewireSession::StartRecording() {
    const std::string raw = dir_->path() + "/recording.raw";
    recorder_ = StartProcess({"sh", "-c",
                              "exec parec --device=\"$0\" --raw --format=s16le --channels=1 --rate=" +
                                  std::to_string(kRecordRate) + " --latency-msec=20 > \"$1\" 2>/dev/null",
                              monitor_, raw});
    // Recording once the stream exists on the server.
    return recorder_ > 0 && WaitUntil(
                                [&] {
                                    return RunCommand({"pactl", "list", "short", "source-outputs"}).output.size() > 0;
                                },
                                5000);
}

std::vector<std::int16_t> PipewireSession::StopRecording() {
    SleepMs(300);  // what is still on its way to the monitor
    StopProcess(recorder_);
    recorder_ = -1;
    std::ifstream in(dir_->path() + "/recording.raw", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                               (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return samples;
}

std::string PipewireSession::Diagnostics() const {
    if (!dir_ || dir_->path().empty()) return "no work directory";
    std::string text;
    for (const char* log : {"pipewire.log", "wireplumber.log", "pipewire-pulse.log"}) {
        text += std::string("== ") + log + "\n" + ReadFile(dir_->path() + "/" + log);
    }
    return text;
}

Loudness Measure(const std::vector<std::int16_t>& samples) {
    Loudness loudness;
    for (std::int16_t s : samples) loudness.peak = std::max(loudness.peak, std::abs(static_cast<int>(s)));
    if (loudness.peak == 0) return loudness;
    bool seen = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(static_cast<int>(samples[i])) * 10 < loudness.peak) continue;
        if (!seen) loudness.first = i;
        seen = true;
        loudness.last = i;
    }
    return loudness;
}

WavSound ReadWav16(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at]) |
                                     (static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    const auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
    WavSound sound;
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return sound;
    unsigned channels = 0, bits = 0;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const std::size_t size = u32(at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt " && body + 16 <= bytes.size()) {
            channels = u16(body + 2);
            sound.rate = static_cast<int>(u32(body + 4));
            bits = u16(body + 14);
        } else if (id == "data" && bits == 16 && channels > 0) {
            const std::size_t frame = 2 * channels;
            for (std::size_t i = body; i + frame <= std::min(bytes.size(), body + size); i += frame) {
                sound.samples.push_back(static_cast<std::int16_t>(u16(i)));
            }
        }
        at = body + size + (size & 1);
    }
    return sound;
}

}  // namespace testsupport
