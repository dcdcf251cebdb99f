#include "user32/display_wayland.h"

#include <wayland-client.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace user32::display {
namespace {

constexpr int kBitsPerPixel = 32;  // every Wayland compositor composes in 32-bit pixels

bool IsSideways(int32_t transform) { return (transform & 1) != 0; }  // 90, 270 and their flips

DisplayMode ModeOf(int32_t width, int32_t height, int32_t refreshMilliHertz, int32_t transform) {
    DisplayMode mode;
    mode.width = IsSideways(transform) ? height : width;
    mode.height = IsSideways(transform) ? width : height;
    mode.refreshRate = static_cast<int>(std::lround(refreshMilliHertz / 1000.0));
    mode.bitsPerPixel = kBitsPerPixel;
    return mode;
}

// A core output: its name (version 4), transform and current mode.
struct CoreOutput {
    uint32_t global = 0;
    wl_output* proxy = nullptr;
    std::string name;
    int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
    int32_t width = 0;
    int32_t height = 0;
    int32_t refresh = 0;
    bool hasMode = false;
};

void OnGeometry(void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                int32_t transform) {
    static_cast<CoreOutput*>(data)->transform = transform;
}
void OnMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t refresh) {
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
    auto* output = static_cast<CoreOutput*>(data);
    output->width = width;
    output->height = height;
    output->refresh = refresh;
    output->hasMode = true;
}
void OnDone(void*, wl_output*) {}
void OnScale(void*, wl_output*, int32_t) {}
void OnName(void* data, wl_output*, const char* name) { static_cast<CoreOutput*>(data)->name = name; }
void OnDescription(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {OnGeometry, OnMode, OnDone, OnScale, OnName, OnDescription};

// The connection and what its registry announces; events arrive at each round trip.
class Connection {
public:
    static std::unique_ptr<Connection> Open() {
        // WAYLAND_SOCKET hands the toolkit its one connection; taking it would steal that.
        if (std::getenv("WAYLAND_SOCKET") != nullptr) return nullptr;
        const char* name = std::getenv("WAYLAND_DISPLAY");
        if (name == nullptr || *name == '\0') return nullptr;
        wl_display* display = wl_display_connect(name);
        if (display == nullptr) return nullptr;
        auto connection = std::unique_ptr<Connection>(new Connection(display));
        if (!connection->RoundTrip() || !connection->RoundTrip()) return nullptr;  // globals, then their events
        return connection;
    }
    ~Connection() {
        for (CoreOutput* output : outputs_) {
            if (output->proxy != nullptr) wl_output_destroy(output->proxy);
            delete output;
        }
        if (registry_ != nullptr) wl_registry_destroy(registry_);
        wl_display_disconnect(display_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool RoundTrip() { return wl_display_roundtrip(display_) >= 0; }
    const std::vector<CoreOutput*>& Outputs() const { return outputs_; }

private:
    explicit Connection(wl_display* display) : display_(display) {
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(registry_, &kRegistryListener, this);
    }

    static void OnGlobal(void* data, wl_registry* registry, uint32_t global, const char* interface, uint32_t version) {
        auto* self = static_cast<Connection*>(data);
        if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= 2) {
            auto* output = new CoreOutput;
            output->global = global;
            output->proxy = static_cast<wl_output*>(
                wl_registry_bind(registry, global, &wl_output_interface, std::min<uint32_t>(version, 4)));
            wl_output_add_listener(output->proxy, &kOutputListener, output);
            self->outputs_.push_back(output);
        }
    }
    static void OnGlobalRemove(void* data, wl_registry*, uint32_t global) {
        auto* self = static_cast<Connection*>(data);
        for (auto it = self->outputs_.begin(); it != self->outputs_.end(); ++it) {
            if ((*it)->global != global) continue;
            wl_output_destroy((*it)->proxy);
            delete *it;
            self->outputs_.erase(it);
            return;
        }
    }
    static constexpr wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    std::vector<CoreOutput*> outputs_;
};

// Only what the core protocol tells: the first output's current mode, listed alone.
class CoreOutputBackend : public Backend {
public:
    explicit CoreOutputBackend(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

    std::optional<OutputModes> PrimaryOutput() override {
        if (!connection_->RoundTrip()) return std::nullopt;
        for (const CoreOutput* output : connection_->Outputs()) {
            if (!output->hasMode) continue;
            const DisplayMode mode = ModeOf(output->width, output->height, output->refresh, output->transform);
            return OutputModes{output->name, {mode}, mode};
        }
        return std::nullopt;
    }
    std::optional<DisplayMode> ScreenMode() override {
        const auto output = PrimaryOutput();
        return output ? output->current : std::nullopt;
    }
    bool CanChange() const override { return false; }
    bool SetMode(const DisplayMode&, bool) override { return false; }

private:
    std::unique_ptr<Connection> connection_;
};

}  // namespace

std::unique_ptr<Backend> ConnectWayland() {
    auto connection = Connection::Open();
    if (!connection) return nullptr;
    return std::make_unique<CoreOutputBackend>(std::move(connection));
}

}  // namespace user32::display
