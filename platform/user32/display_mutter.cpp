#include "user32/display_mutter.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace user32::display::mutter {

// One monitor of a logical monitor in ApplyMonitorsConfig: (connector, mode id, properties).
struct MonitorAssignment {
    QString connector;
    QString modeId;
    QVariantMap properties;
};

// One logical monitor in ApplyMonitorsConfig: (x, y, scale, transform, primary, monitors).
struct LogicalMonitorConfig {
    int x = 0;
    int y = 0;
    double scale = 1.0;
    uint transform = 0;
    bool primary = false;
    QList<MonitorAssignment> monitors;
};

QDBusArgument& operator<<(QDBusArgument& out, const MonitorAssignment& m) {
    out.beginStructure();
    out << m.connector << m.modeId << m.properties;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, MonitorAssignment& m) {
    in.beginStructure();
    in >> m.connector >> m.modeId >> m.properties;
    in.endStructure();
    return in;
}
QDBusArgument& operator<<(QDBusArgument& out, const LogicalMonitorConfig& l) {
    out.beginStructure();
    out << l.x << l.y << l.scale << l.transform << l.primary << l.monitors;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, LogicalMonitorConfig& l) {
    in.beginStructure();
    in >> l.x >> l.y >> l.scale >> l.transform >> l.primary >> l.monitors;
    in.endStructure();
    return in;
}

}  // namespace user32::display::mutter

Q_DECLARE_METATYPE(user32::display::mutter::MonitorAssignment)
Q_DECLARE_METATYPE(user32::display::mutter::LogicalMonitorConfig)

namespace user32::display {
namespace {

using mutter::LogicalMonitorConfig;
using mutter::MonitorAssignment;

const QString kService = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString kPath = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
constexpr int kCallTimeoutMs = 5000;
// ApplyMonitorsConfig's methods.
constexpr uint kVerify = 0;
constexpr uint kTemporary = 1;

struct MutterMode {
    QString id;
    int width = 0;
    int height = 0;
    double refreshRate = 0;
    double preferredScale = 1.0;
    QList<double> supportedScales;
    bool current = false;
};

struct MutterMonitor {
    QString connector;
    QList<MutterMode> modes;
    const MutterMode* Current() const {
        for (const MutterMode& m : modes) {
            if (m.current) return &m;
        }
        return nullptr;
    }
};

struct LogicalMonitor {
    int x = 0;
    int y = 0;
    double scale = 1.0;
    uint transform = 0;
    bool primary = false;
    QStringList connectors;
};

struct State {
    uint serial = 0;
    QList<MutterMonitor> monitors;
    QList<LogicalMonitor> logicalMonitors;
    QVariantMap properties;

    const MutterMonitor* Monitor(const QString& connector) const {
        for (const MutterMonitor& m : monitors) {
            if (m.connector == connector) return &m;
        }
        return nullptr;
    }
    // GNOME's primary logical monitor (else the first), and its first monitor that shows a mode.
    const MutterMonitor* Primary() const {
        const LogicalMonitor* chosen = nullptr;
        for (const LogicalMonitor& l : logicalMonitors) {
            if (chosen == nullptr || (l.primary && !chosen->primary)) chosen = &l;
        }
        if (chosen != nullptr) {
            for (const QString& connector : chosen->connectors) {
                if (const MutterMonitor* m = Monitor(connector); m != nullptr && m->Current() != nullptr) return m;
            }
        }
        for (const MutterMonitor& m : monitors) {
            if (m.Current() != nullptr) return &m;
        }
        return nullptr;
    }
    const LogicalMonitor* LogicalOf(const QString& connector) const {
        for (const LogicalMonitor& l : logicalMonitors) {
            if (l.connectors.contains(connector)) return &l;
        }
        return nullptr;
    }
};

// Transforms 1, 3, 5 and 7 turn the picture a quarter.
bool IsSideways(uint transform) { return (transform & 1u) != 0; }

DisplayMode ModeOf(const MutterMode& m, uint transform) {
    DisplayMode mode;
    mode.width = IsSideways(transform) ? m.height : m.width;
    mode.height = IsSideways(transform) ? m.width : m.height;
    mode.refreshRate = static_cast<int>(std::lround(m.refreshRate));
    mode.bitsPerPixel = 32;  // every Wayland compositor composes in 32-bit pixels
    return mode;
}

// GetCurrentState's monitors: a((ssss)a(siiddada{sv})a{sv}).
QList<MutterMonitor> ReadMonitors(const QDBusArgument& in) {
    QList<MutterMonitor> monitors;
    in.beginArray();
    while (!in.atEnd()) {
        MutterMonitor monitor;
        QString vendor, product, serial;
        in.beginStructure();
        in.beginStructure();
        in >> monitor.connector >> vendor >> product >> serial;
        in.endStructure();
        in.beginArray();
        while (!in.atEnd()) {
            MutterMode mode;
            QVariantMap properties;
            in.beginStructure();
            in >> mode.id >> mode.width >> mode.height >> mode.refreshRate >> mode.preferredScale >>
                mode.supportedScales >> properties;
            in.endStructure();
            mode.current = properties.value(QStringLiteral("is-current")).toBool();
            monitor.modes.push_back(mode);
        }
        in.endArray();
        QVariantMap properties;
        in >> properties;
        in.endStructure();
        monitors.push_back(monitor);
    }
    in.endArray();
    return monitors;
}

// GetCurrentState's logical monitors: a(iiduba(ssss)a{sv}).
QList<LogicalMonitor> ReadLogicalMonitors(const QDBusArgument& in) {
    QList<LogicalMonitor> logical;
    in.beginArray();
    while (!in.atEnd()) {
        LogicalMonitor l;
        in.beginStructure();
        in >> l.x >> l.y >> l.scale >> l.transform >> l.primary;
        in.beginArray();
        while (!in.atEnd()) {
            QString connector, vendor, product, serial;
            in.beginStructure();
            in >> connector >> vendor >> product >> serial;
            in.endStructure();
            l.connectors.push_back(connector);
        }
        in.endArray();
        QVariantMap properties;
        in >> properties;
        in.endStructure();
        logical.push_back(l);
    }
    in.endArray();
    return logical;
}

class MutterBackend : public Backend {
public:
    explicit MutterBackend(QDBusConnection bus) : bus_(std::move(bus)) {}

    std::optional<OutputModes> PrimaryOutput() override {
        const auto state = ReadState();
        if (!state) return std::nullopt;
        const MutterMonitor* monitor = state->Primary();
        if (monitor == nullptr) return std::nullopt;
        const uint transform = TransformOf(*state, monitor->connector);
        OutputModes out;
        out.name = monitor->connector.toStdString();
        for (const MutterMode& m : monitor->modes) out.modes.push_back(ModeOf(m, transform));
        out.current = ModeOf(*monitor->Current(), transform);
        return out;
    }

    std::optional<DisplayMode> ScreenMode() override {
        const auto output = PrimaryOutput();
        if (!output) return std::nullopt;
        return output->current;
    }

    bool CanChange() const override { return true; }

    bool SetMode(const DisplayMode& wanted, bool testOnly) override {
        const auto state = ReadState();
        if (!state) return false;
        const MutterMonitor* monitor = state->Primary();
        if (monitor == nullptr) return false;
        const uint transform = TransformOf(*state, monitor->connector);
        // Of the monitor's modes that read as the one wanted, the one in use if it is one.
        const MutterMode* chosen = nullptr;
        for (const MutterMode& m : monitor->modes) {
            if (ModeOf(m, transform) != wanted) continue;
            if (chosen == nullptr || m.current) chosen = &m;
        }
        if (chosen == nullptr) return false;

        // Every lit logical monitor stays as it is; only the primary monitor's mode changes, at its
        // scale where the new mode allows that one, else at the nearest scale the mode allows.
        QList<LogicalMonitorConfig> configs;
        for (const LogicalMonitor& l : state->logicalMonitors) {
            LogicalMonitorConfig config{l.x, l.y, l.scale, l.transform, l.primary, {}};
            for (const QString& connector : l.connectors) {
                const MutterMonitor* m = state->Monitor(connector);
                if (m == nullptr || m->Current() == nullptr) continue;
                if (m == monitor) {
                    config.monitors.push_back({connector, chosen->id, {}});
                    config.scale = ScaleFor(*chosen, l.scale);
                } else {
                    config.monitors.push_back({connector, m->Current()->id, {}});
                }
            }
            if (!config.monitors.isEmpty()) configs.push_back(config);
        }
        QVariantMap properties;
        if (state->properties.value(QStringLiteral("supports-changing-layout-mode")).toBool() &&
            state->properties.contains(QStringLiteral("layout-mode"))) {
            properties.insert(QStringLiteral("layout-mode"), state->properties.value(QStringLiteral("layout-mode")));
        }
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("ApplyMonitorsConfig"));
        call << state->serial << (testOnly ? kVerify : kTemporary) << QVariant::fromValue(configs) << properties;
        const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) return false;
        if (testOnly) return true;
        // Mutter answers before every client has seen the change; wait until its state shows it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (true) {
            if (const auto output = PrimaryOutput(); output && output->current == wanted) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    static double ScaleFor(const MutterMode& mode, double scale) {
        double nearest = mode.supportedScales.isEmpty() ? scale : mode.supportedScales.front();
        for (double s : mode.supportedScales) {
            if (std::abs(s - scale) < std::abs(nearest - scale)) nearest = s;
        }
        return nearest;
    }
    static uint TransformOf(const State& state, const QString& connector) {
        const LogicalMonitor* l = state.LogicalOf(connector);
        return l != nullptr ? l->transform : 0;
    }

    std::optional<State> ReadState() {
        const QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetCurrentState"));
        const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
        const QList<QVariant> values = reply.arguments();
        if (reply.type() != QDBusMessage::ReplyMessage || values.size() != 4) return std::nullopt;
        if (reply.signature() != QStringLiteral("ua((ssss)a(siiddada{sv})a{sv})a(iiduba(ssss)a{sv})a{sv}")) {
            return std::nullopt;
        }
        State state;
        state.serial = values[0].toUInt();
        state.monitors = ReadMonitors(values[1].value<QDBusArgument>());
        state.logicalMonitors = ReadLogicalMonitors(values[2].value<QDBusArgument>());
        if (values[3].canConvert<QDBusArgument>()) {
            values[3].value<QDBusArgument>() >> state.properties;
        } else {
            state.properties = values[3].toMap();
        }
        return state;
    }

    QDBusConnection bus_;
};

}  // namespace

std::unique_ptr<Backend> ConnectMutter() {
    // Only a bus the session names: libdbus would otherwise start a bus of its own.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address == nullptr || *address == '\0') return nullptr;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) return nullptr;
    if (!bus.interface()->isServiceRegistered(kService).value()) return nullptr;
    qDBusRegisterMetaType<MonitorAssignment>();
    qDBusRegisterMetaType<QList<MonitorAssignment>>();
    qDBusRegisterMetaType<LogicalMonitorConfig>();
    qDBusRegisterMetaType<QList<LogicalMonitorConfig>>();
    return std::make_unique<MutterBackend>(bus);
}

}  // namespace user32::display
