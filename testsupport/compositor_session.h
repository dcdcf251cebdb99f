// Headless Wayland compositors for tests, started here and stopped by process id. While one lives,
// this process's WAYLAND_DISPLAY (and for mutter DBUS_SESSION_BUS_ADDRESS) name it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

#include "session_environment.h"
#include "x_session.h"

namespace testsupport {

// A work directory of our own (XDG_RUNTIME_DIR for the compositor), removed at the end.
class WorkDir {
public:
    explicit WorkDir(const std::string& tag);
    ~WorkDir();
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Starts argv without a shell, its output going to `logPath`, in `workingDir` when one is given.
pid_t StartLogged(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                  const std::string& logPath, const std::string& workingDir = {});
std::string ReadFile(const std::string& path);

// GNOME's compositor nested on its own Xvfb, with its own session bus, Wayland only.
class MutterSession {
public:
    struct Options {
        std::string modeSpecs = "1280x1024:1024x768:800x600@75";  // MUTTER_DEBUG_DUMMY_MODE_SPECS
        int monitors = 1;                                         // side by side, the first primary
        std::string scales;                                       // MUTTER_DEBUG_DUMMY_MONITOR_SCALES
        bool xwayland = false;                                    // with its X server for X clients
    };
    // Why it cannot run here (a tool missing); empty when it can.
    static std::string Unavailable();
    explicit MutterSession(Options options);
    ~MutterSession();
    MutterSession(const MutterSession&) = delete;
    MutterSession& operator=(const MutterSession&) = delete;

    bool ok() const { return ok_; }
    const std::string& busAddress() const { return busAddress_; }
    const std::string& waylandDisplay() const { return waylandDisplay_; }
    // The environment a client of this session needs.
    std::vector<std::string> ClientEnvironment() const;
    // `gdbus call ... GetCurrentState` as text; empty on failure.
    std::string CurrentState() const;
    // The current mode of the monitor on `connector` in GetCurrentState, "1280x1024" or empty.
    std::string CurrentMode(const std::string& connector = "LVDS1") const;
    std::string Diagnostics() const;
    // With `xwayland`: its X display (":0") and the authority file a client needs.
    std::string XwaylandDisplay() const;
    std::string XwaylandAuthority() const;

private:
    OwnSession ownSession_;
    std::unique_ptr<XSession> xserver_;
    std::unique_ptr<WorkDir> dir_;
    pid_t bus_ = -1;
    pid_t mutter_ = -1;
    std::string busAddress_;
    std::string waylandDisplay_;
    bool ok_ = false;
};

// sway on wlroots' headless backend, run as user nobody (sway refuses root) in a runtime directory
// of its own, with one output lit at `mode` over a background of `background` ("#RRGGBB").
class SwaySession {
public:
    struct Options {
        std::string mode = "1280x1024";
        std::string background = "#ff00ff";
    };
    static std::string Unavailable();
    explicit SwaySession(Options options);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    bool ok() const { return ok_; }
    std::vector<std::string> ClientEnvironment() const;
    // Runs a client of the compositor (wlr-randr, grim, swaymsg) and returns what it printed.
    CommandResult Client(const std::vector<std::string>& argv) const;
    // Starts a program as a native Wayland client of the compositor, in its own directory; waits
    // until sway shows a window titled `title`. Its output goes to the session's log.
    pid_t StartNative(const std::string& executable, const std::string& title) const;
    // A screenshot of the whole output (grim), as written to `path` (PNG).
    bool Screenshot(const std::string& path) const;
    // Types through a virtual keyboard: wtype with these arguments ("-k", "Tab", ...).
    bool Type(const std::vector<std::string>& wtypeArguments) const;
    // Sets the output's mode from outside, as a user would.
    bool SetMode(const std::string& mode) const;
    // The output's current mode as wl_output says it, "1280x1024", from the compositor's own view.
    std::string CurrentMode() const;
    const std::string& dir() const { return dir_->path(); }
    std::string Diagnostics() const;

private:
    OwnSession ownSession_;
    std::unique_ptr<WorkDir> dir_;
    pid_t sway_ = -1;
    std::string socket_;
    bool ok_ = false;
};

// KDE's compositor on its virtual backend at 1280 x 1024, in a runtime directory of its own. The
// installed binary carries file capabilities that keep it from starting here; a copy of it, which
// keeps the name kwin_wayland, runs instead.
class KwinSession {
public:
    static std::string Unavailable();
    KwinSession();
    ~KwinSession();
    KwinSession(const KwinSession&) = delete;
    KwinSession& operator=(const KwinSession&) = delete;

    bool ok() const { return ok_; }
    std::vector<std::string> ClientEnvironment() const;
    const std::string& dir() const { return dir_->path(); }
    std::string Diagnostics() const;

private:
    OwnSession ownSession_;
    std::unique_ptr<WorkDir> dir_;
    pid_t kwin_ = -1;
    std::string socket_;
    bool ok_ = false;
};

}  // namespace testsupport
