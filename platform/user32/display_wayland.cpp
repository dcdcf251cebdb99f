#include "user32/display_wayland.h"

#include <wayland-client.h>

#include "kde-output-device-v2-client.h"
#include "kde-output-management-v2-client.h"
#include "wlr-output-management-client.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
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

// wlroots' output management: every head (lit or not) with the modes it offers.
struct WlrMode {
    zwlr_output_mode_v1* proxy = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t refresh = 0;
};

struct WlrHead {
    zwlr_output_head_v1* proxy = nullptr;
    std::string name;
    bool enabled = false;
    WlrMode* current = nullptr;
    std::vector<std::unique_ptr<WlrMode>> modes;
    ~WlrHead() {
        for (auto& mode : modes) zwlr_output_mode_v1_destroy(mode->proxy);
        zwlr_output_head_v1_destroy(proxy);
    }
};

void OnModeSize(void* data, zwlr_output_mode_v1*, int32_t width, int32_t height) {
    auto* mode = static_cast<WlrMode*>(data);
    mode->width = width;
    mode->height = height;
}
void OnModeRefresh(void* data, zwlr_output_mode_v1*, int32_t refresh) {
    static_cast<WlrMode*>(data)->refresh = refresh;
}
void OnModePreferred(void*, zwlr_output_mode_v1*) {}
// A mode that is gone stays in its head's list, with no size, until the head goes: nobody picks it.
void OnModeFinished(void* data, zwlr_output_mode_v1*) {
    auto* mode = static_cast<WlrMode*>(data);
    mode->width = mode->height = 0;
}
const zwlr_output_mode_v1_listener kWlrModeListener = {OnModeSize, OnModeRefresh, OnModePreferred, OnModeFinished};

void OnHeadName(void* data, zwlr_output_head_v1*, const char* name) { static_cast<WlrHead*>(data)->name = name; }
void OnHeadDescription(void*, zwlr_output_head_v1*, const char*) {}
void OnHeadPhysicalSize(void*, zwlr_output_head_v1*, int32_t, int32_t) {}
void OnHeadMode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* proxy) {
    auto* head = static_cast<WlrHead*>(data);
    auto mode = std::make_unique<WlrMode>();
    mode->proxy = proxy;
    zwlr_output_mode_v1_add_listener(proxy, &kWlrModeListener, mode.get());
    head->modes.push_back(std::move(mode));
}
void OnHeadEnabled(void* data, zwlr_output_head_v1*, int32_t enabled) {
    auto* head = static_cast<WlrHead*>(data);
    head->enabled = enabled != 0;
    if (!head->enabled) head->current = nullptr;
}
void OnHeadCurrentMode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* proxy) {
    static_cast<WlrHead*>(data)->current =
        proxy ? static_cast<WlrMode*>(zwlr_output_mode_v1_get_user_data(proxy)) : nullptr;
}
void OnHeadPosition(void*, zwlr_output_head_v1*, int32_t, int32_t) {}
void OnHeadTransform(void*, zwlr_output_head_v1*, int32_t) {}
void OnHeadScale(void*, zwlr_output_head_v1*, wl_fixed_t) {}
void OnHeadFinished(void* data, zwlr_output_head_v1*);
const zwlr_output_head_v1_listener kWlrHeadListener = {
    OnHeadName,        OnHeadDescription, OnHeadPhysicalSize, OnHeadMode,  OnHeadEnabled,
    OnHeadCurrentMode, OnHeadPosition,    OnHeadTransform,    OnHeadScale, OnHeadFinished};

struct WlrManager {
    zwlr_output_manager_v1* proxy = nullptr;
    uint32_t serial = 0;
    std::vector<std::unique_ptr<WlrHead>> heads;
    ~WlrManager() {
        heads.clear();
        if (proxy != nullptr) zwlr_output_manager_v1_destroy(proxy);
    }
};

// A head that is gone stays in the list, nameless and dark, so that nothing points at freed memory.
void OnHeadFinished(void* data, zwlr_output_head_v1*) {
    auto* head = static_cast<WlrHead*>(data);
    head->enabled = false;
    head->current = nullptr;
    head->name.clear();
}

void OnManagerHead(void* data, zwlr_output_manager_v1*, zwlr_output_head_v1* proxy) {
    auto* manager = static_cast<WlrManager*>(data);
    auto head = std::make_unique<WlrHead>();
    head->proxy = proxy;
    zwlr_output_head_v1_add_listener(proxy, &kWlrHeadListener, head.get());
    manager->heads.push_back(std::move(head));
}
void OnManagerDone(void* data, zwlr_output_manager_v1*, uint32_t serial) {
    static_cast<WlrManager*>(data)->serial = serial;
}
void OnManagerFinished(void*, zwlr_output_manager_v1*) {}
const zwlr_output_manager_v1_listener kWlrManagerListener = {OnManagerHead, OnManagerDone, OnManagerFinished};

enum class ConfigurationResult { Pending, Succeeded, Failed, Cancelled };
void OnConfigurationSucceeded(void* data, zwlr_output_configuration_v1*) {
    *static_cast<ConfigurationResult*>(data) = ConfigurationResult::Succeeded;
}
void OnConfigurationFailed(void* data, zwlr_output_configuration_v1*) {
    *static_cast<ConfigurationResult*>(data) = ConfigurationResult::Failed;
}
void OnConfigurationCancelled(void* data, zwlr_output_configuration_v1*) {
    *static_cast<ConfigurationResult*>(data) = ConfigurationResult::Cancelled;
}
const zwlr_output_configuration_v1_listener kConfigurationListener = {OnConfigurationSucceeded, OnConfigurationFailed,
                                                                      OnConfigurationCancelled};

// KDE's output devices: one global per device, lit or not, each with its modes.
struct KdeMode {
    kde_output_device_mode_v2* proxy = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t refresh = 0;
};

struct KdeDevice {
    uint32_t global = 0;
    kde_output_device_v2* proxy = nullptr;
    std::string name;
    bool enabled = false;
    std::vector<std::unique_ptr<KdeMode>> modes;
    ~KdeDevice() {
        for (auto& mode : modes) kde_output_device_mode_v2_destroy(mode->proxy);
        kde_output_device_v2_destroy(proxy);
    }
};

void OnKdeModeSize(void* data, kde_output_device_mode_v2*, int32_t width, int32_t height) {
    auto* mode = static_cast<KdeMode*>(data);
    mode->width = width;
    mode->height = height;
}
void OnKdeModeRefresh(void* data, kde_output_device_mode_v2*, int32_t refresh) {
    static_cast<KdeMode*>(data)->refresh = refresh;
}
void OnKdeModePreferred(void*, kde_output_device_mode_v2*) {}
void OnKdeModeRemoved(void* data, kde_output_device_mode_v2*) {
    auto* mode = static_cast<KdeMode*>(data);
    mode->width = mode->height = 0;  // kept, sizeless, until its device goes
}
const kde_output_device_mode_v2_listener kKdeModeListener = {OnKdeModeSize, OnKdeModeRefresh, OnKdeModePreferred,
                                                             OnKdeModeRemoved};

void OnKdeGeometry(void*, kde_output_device_v2*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                   int32_t) {}
void OnKdeCurrentMode(void*, kde_output_device_v2*, kde_output_device_mode_v2*) {}
void OnKdeMode(void* data, kde_output_device_v2*, kde_output_device_mode_v2* proxy) {
    auto* device = static_cast<KdeDevice*>(data);
    auto mode = std::make_unique<KdeMode>();
    mode->proxy = proxy;
    kde_output_device_mode_v2_add_listener(proxy, &kKdeModeListener, mode.get());
    device->modes.push_back(std::move(mode));
}
void OnKdeDone(void*, kde_output_device_v2*) {}
void OnKdeScale(void*, kde_output_device_v2*, wl_fixed_t) {}
void OnKdeEdid(void*, kde_output_device_v2*, const char*) {}
void OnKdeEnabled(void* data, kde_output_device_v2*, int32_t enabled) {
    static_cast<KdeDevice*>(data)->enabled = enabled != 0;
}
void OnKdeUuid(void*, kde_output_device_v2*, const char*) {}
void OnKdeSerialNumber(void*, kde_output_device_v2*, const char*) {}
void OnKdeEisaId(void*, kde_output_device_v2*, const char*) {}
void OnKdeCapabilities(void*, kde_output_device_v2*, uint32_t) {}
void OnKdeOverscan(void*, kde_output_device_v2*, uint32_t) {}
void OnKdeVrrPolicy(void*, kde_output_device_v2*, uint32_t) {}
void OnKdeRgbRange(void*, kde_output_device_v2*, uint32_t) {}
void OnKdeName(void* data, kde_output_device_v2*, const char* name) { static_cast<KdeDevice*>(data)->name = name; }
const kde_output_device_v2_listener kKdeDeviceListener = {
    OnKdeGeometry,     OnKdeCurrentMode, OnKdeMode,      OnKdeDone,         OnKdeScale,
    OnKdeEdid,         OnKdeEnabled,     OnKdeUuid,      OnKdeSerialNumber, OnKdeEisaId,
    OnKdeCapabilities, OnKdeOverscan,    OnKdeVrrPolicy, OnKdeRgbRange,     OnKdeName};

enum class KdeResult { Pending, Applied, Failed };
void OnKdeApplied(void* data, kde_output_configuration_v2*) { *static_cast<KdeResult*>(data) = KdeResult::Applied; }
void OnKdeFailed(void* data, kde_output_configuration_v2*) { *static_cast<KdeResult*>(data) = KdeResult::Failed; }
const kde_output_configuration_v2_listener kKdeConfigurationListener = {OnKdeApplied, OnKdeFailed};

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
        // Globals, then their first events, then the heads' and modes' own.
        for (int i = 0; i < 3; ++i) {
            if (!connection->RoundTrip()) return nullptr;
        }
        return connection;
    }
    ~Connection() {
        wlr_.reset();
        kdeDevices_.clear();
        if (kdeManagement_ != nullptr) kde_output_management_v2_destroy(kdeManagement_);
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
    WlrManager* Wlr() const { return wlr_.get(); }
    const std::vector<std::unique_ptr<KdeDevice>>& KdeDevices() const { return kdeDevices_; }
    kde_output_management_v2* KdeManagement() const { return kdeManagement_; }

    // The first lit output by the core protocol, which every compositor keeps current.
    const CoreOutput* FirstLit() const {
        for (const CoreOutput* output : outputs_) {
            if (output->hasMode) return output;
        }
        return nullptr;
    }

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
        } else if (std::strcmp(interface, kde_output_device_v2_interface.name) == 0 && version >= 2) {
            auto device = std::make_unique<KdeDevice>();
            device->global = global;
            device->proxy = static_cast<kde_output_device_v2*>(
                wl_registry_bind(registry, global, &kde_output_device_v2_interface, 2));
            kde_output_device_v2_add_listener(device->proxy, &kKdeDeviceListener, device.get());
            self->kdeDevices_.push_back(std::move(device));
        } else if (std::strcmp(interface, kde_output_management_v2_interface.name) == 0 &&
                   self->kdeManagement_ == nullptr) {
            self->kdeManagement_ = static_cast<kde_output_management_v2*>(
                wl_registry_bind(registry, global, &kde_output_management_v2_interface, 1));
        } else if (std::strcmp(interface, zwlr_output_manager_v1_interface.name) == 0 && !self->wlr_) {
            self->wlr_ = std::make_unique<WlrManager>();
            self->wlr_->proxy = static_cast<zwlr_output_manager_v1*>(
                wl_registry_bind(registry, global, &zwlr_output_manager_v1_interface, 1));
            zwlr_output_manager_v1_add_listener(self->wlr_->proxy, &kWlrManagerListener, self->wlr_.get());
        }
    }
    static void OnGlobalRemove(void* data, wl_registry*, uint32_t global) {
        auto* self = static_cast<Connection*>(data);
        std::erase_if(self->kdeDevices_, [&](const auto& device) { return device->global == global; });
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
    std::unique_ptr<WlrManager> wlr_;
    std::vector<std::unique_ptr<KdeDevice>> kdeDevices_;
    kde_output_management_v2* kdeManagement_ = nullptr;
};

// The current mode comes from the core output, which every compositor keeps current; the modes
// that can be set, from wlroots' or KDE's output management where the compositor offers one. An
// output that offers none (a headless one) lists its current mode alone.
class WaylandBackend : public Backend {
public:
    explicit WaylandBackend(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

    std::optional<OutputModes> PrimaryOutput() override {
        if (!connection_->RoundTrip()) return std::nullopt;
        const CoreOutput* output = connection_->FirstLit();
        if (output == nullptr) return std::nullopt;
        const DisplayMode current = ModeOf(output->width, output->height, output->refresh, output->transform);
        OutputModes out{output->name, {}, current};
        for (const Offer& offer : Offers(*output)) out.modes.push_back(offer.mode);
        if (out.modes.empty()) out.modes.push_back(current);
        return out;
    }

    std::optional<DisplayMode> ScreenMode() override {
        const auto output = PrimaryOutput();
        return output ? output->current : std::nullopt;
    }

    bool CanChange() const override { return connection_->Wlr() != nullptr || connection_->KdeManagement() != nullptr; }

    bool SetMode(const DisplayMode& wanted, bool testOnly) override {
        if (!connection_->RoundTrip()) return false;
        const CoreOutput* output = connection_->FirstLit();
        if (output == nullptr) return false;
        // Of the offers that read as the one wanted, the one in use if it is one.
        std::optional<Offer> chosen;
        for (const Offer& offer : Offers(*output)) {
            if (offer.mode != wanted) continue;
            if (!chosen || offer.current) chosen = offer;
        }
        if (!chosen) return false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        const bool answered =
            chosen->wlr != nullptr ? ApplyWlr(*chosen, testOnly, deadline) : ApplyKde(*chosen, testOnly, deadline);
        if (!answered || testOnly) return answered;
        // The compositor answers once it has applied the change; the core output follows.
        while (true) {
            if (const auto now = PrimaryOutput(); now && now->current == wanted) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    using Deadline = std::chrono::steady_clock::time_point;

    // A mode that an output offers to be set, through whichever protocol offers it.
    struct Offer {
        DisplayMode mode;
        bool current = false;
        WlrHead* wlrHead = nullptr;
        WlrMode* wlr = nullptr;
        KdeDevice* kdeDevice = nullptr;
        KdeMode* kde = nullptr;
    };

    std::vector<Offer> Offers(const CoreOutput& output) const {
        std::vector<Offer> offers;
        const auto add = [&](int32_t width, int32_t height, int32_t refresh, Offer offer) {
            if (width <= 0 || height <= 0) return;  // gone, or a placeholder for an output without modes
            offer.mode = ModeOf(width, height, refresh, output.transform);
            offer.current = width == output.width && height == output.height && refresh == output.refresh;
            offers.push_back(offer);
        };
        if (WlrHead* head = WlrHeadOf(output)) {
            for (const auto& mode : head->modes) {
                Offer offer;
                offer.wlrHead = head;
                offer.wlr = mode.get();
                add(mode->width, mode->height, mode->refresh, offer);
            }
        } else if (KdeDevice* device = KdeDeviceOf(output)) {
            for (const auto& mode : device->modes) {
                Offer offer;
                offer.kdeDevice = device;
                offer.kde = mode.get();
                add(mode->width, mode->height, mode->refresh, offer);
            }
        }
        return offers;
    }

    // wlroots has every head placed in a configuration: the target with the new mode, the other lit
    // ones as they are, the dark ones dark; it can test one without applying it.
    bool ApplyWlr(const Offer& offer, bool testOnly, Deadline deadline) {
        WlrManager* wlr = connection_->Wlr();
        ConfigurationResult result = ConfigurationResult::Pending;
        zwlr_output_configuration_v1* configuration =
            zwlr_output_manager_v1_create_configuration(wlr->proxy, wlr->serial);
        zwlr_output_configuration_v1_add_listener(configuration, &kConfigurationListener, &result);
        std::vector<zwlr_output_configuration_head_v1*> configured;
        for (const auto& head : wlr->heads) {
            if (head.get() == offer.wlrHead) {
                configured.push_back(zwlr_output_configuration_v1_enable_head(configuration, head->proxy));
                zwlr_output_configuration_head_v1_set_mode(configured.back(), offer.wlr->proxy);
            } else if (head->name.empty()) {
                continue;  // finished
            } else if (head->enabled) {
                configured.push_back(zwlr_output_configuration_v1_enable_head(configuration, head->proxy));
            } else {
                zwlr_output_configuration_v1_disable_head(configuration, head->proxy);
            }
        }
        if (testOnly) {
            zwlr_output_configuration_v1_test(configuration);
        } else {
            zwlr_output_configuration_v1_apply(configuration);
        }
        while (result == ConfigurationResult::Pending && std::chrono::steady_clock::now() < deadline) {
            if (!connection_->RoundTrip()) break;
        }
        for (auto* head : configured) zwlr_output_configuration_head_v1_destroy(head);
        zwlr_output_configuration_v1_destroy(configuration);
        return result == ConfigurationResult::Succeeded;
    }

    // KDE changes only what a configuration names, and has no dry run: a mode the device offers is
    // taken to be one it can show.
    bool ApplyKde(const Offer& offer, bool testOnly, Deadline deadline) {
        if (testOnly) return true;
        KdeResult result = KdeResult::Pending;
        kde_output_configuration_v2* configuration =
            kde_output_management_v2_create_configuration(connection_->KdeManagement());
        kde_output_configuration_v2_add_listener(configuration, &kKdeConfigurationListener, &result);
        kde_output_configuration_v2_mode(configuration, offer.kdeDevice->proxy, offer.kde->proxy);
        kde_output_configuration_v2_apply(configuration);
        while (result == KdeResult::Pending && std::chrono::steady_clock::now() < deadline) {
            if (!connection_->RoundTrip()) break;
        }
        kde_output_configuration_v2_destroy(configuration);
        return result == KdeResult::Applied;
    }

    // The head of that output: by name, else (an output without one) the first lit head.
    WlrHead* WlrHeadOf(const CoreOutput& output) const {
        WlrManager* wlr = connection_->Wlr();
        if (wlr == nullptr) return nullptr;
        for (const auto& head : wlr->heads) {
            if (!output.name.empty() && head->name == output.name) return head.get();
        }
        if (!output.name.empty()) return nullptr;
        for (const auto& head : wlr->heads) {
            if (head->enabled) return head.get();
        }
        return nullptr;
    }
    KdeDevice* KdeDeviceOf(const CoreOutput& output) const {
        if (connection_->KdeManagement() == nullptr) return nullptr;
        for (const auto& device : connection_->KdeDevices()) {
            if (!output.name.empty() && device->name == output.name) return device.get();
        }
        if (!output.name.empty()) return nullptr;
        for (const auto& device : connection_->KdeDevices()) {
            if (device->enabled) return device.get();
        }
        return nullptr;
    }

    std::unique_ptr<Connection> connection_;
};

}  // namespace

std::unique_ptr<Backend> ConnectWayland() {
    auto connection = Connection::Open();
    if (!connection) return nullptr;
    return std::make_unique<WaylandBackend>(std::move(connection));
}

}  // namespace user32::display
