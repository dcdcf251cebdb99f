#include "compositor_session.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "x_session_wait.h"

extern char** environ;

namespace testsupport {
namespace {

bool OnPath(const std::string& tool) { return RunCommand({"sh", "-c", "command -v " + tool}).exitCode == 0; }

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::string key = entry.substr(0, entry.find('='));
        bool overridden = false;
        for (const auto& x : extra) overridden |= x.substr(0, x.find('=')) == key;
        if (!overridden) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

}  // namespace

WorkDir::WorkDir(const std::string& tag) {
    std::string pattern = "/tmp/suite-" + tag + "-" + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

WorkDir::~WorkDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

pid_t StartLogged(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                  const std::string& logPath, const std::string& workingDir) {
    std::vector<std::string> args = argv;
    std::vector<std::string> env = EnvironmentWith(extraEnv);
    std::vector<char*> argp, envp;
    for (auto& a : args) argp.push_back(a.data());
    argp.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
    pid_t pid = -1;
    if (posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string MutterSession::Unavailable() {
    for (const char* tool : {"mutter", "Xvfb", "dbus-daemon", "gdbus"}) {
        if (!OnPath(tool)) return std::string(tool) + " is not installed";
    }
    return {};
}

MutterSession::MutterSession(Options options) {
    xserver_ = std::make_unique<XSession>(XSession::Options{.width = 1600, .height = 1200});
    dir_ = std::make_unique<WorkDir>("mutter");
    if (!xserver_->ok() || dir_->path().empty()) return;
    const std::string& dir = dir_->path();
    busAddress_ = "unix:path=" + dir + "/bus";
    bus_ = StartLogged({"dbus-daemon", "--session", "--address=" + busAddress_, "--nofork", "--nopidfile"}, {},
                       dir + "/dbus.log");
    if (!WaitUntil([&] { return access((dir + "/bus").c_str(), F_OK) == 0; }, 5000)) return;
    waylandDisplay_ = "mutter-" + std::to_string(getpid());
    std::vector<std::string> env = {"DISPLAY=" + xserver_->display(), "XDG_RUNTIME_DIR=" + dir,
                                    "DBUS_SESSION_BUS_ADDRESS=" + busAddress_,
                                    "MUTTER_DEBUG_DUMMY_MODE_SPECS=" + options.modeSpecs,
                                    "MUTTER_DEBUG_NUM_DUMMY_MONITORS=" + std::to_string(options.monitors)};
    if (!options.scales.empty()) env.push_back("MUTTER_DEBUG_DUMMY_MONITOR_SCALES=" + options.scales);
    std::vector<std::string> command = {"mutter", "--nested", "--wayland", "--wayland-display", waylandDisplay_};
    if (!options.xwayland) command.push_back("--no-x11");
    mutter_ = StartLogged(command, env, dir + "/mutter.log");
    // Ready once its display configuration answers on the bus.
    ok_ = WaitUntil([&] { return !CurrentState().empty(); }, 15000) &&
          (!options.xwayland ||
           WaitUntil([&] { return !XwaylandDisplay().empty() && !XwaylandAuthority().empty(); }, 10000));
    if (!ok_) return;
    setenv("WAYLAND_DISPLAY", waylandDisplay_.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", busAddress_.c_str(), 1);
}

MutterSession::~MutterSession() {
    StopProcess(mutter_);
    StopProcess(bus_);
}

std::vector<std::string> MutterSession::ClientEnvironment() const {
    return {"WAYLAND_DISPLAY=" + waylandDisplay_, "XDG_RUNTIME_DIR=" + dir_->path(),
            "DBUS_SESSION_BUS_ADDRESS=" + busAddress_};
}

std::string MutterSession::CurrentState() const {
    // Quiet while mutter is still starting.
    const auto result = RunCommand({"sh", "-c",
                                    "exec gdbus call --session --dest org.gnome.Mutter.DisplayConfig --object-path "
                                    "/org/gnome/Mutter/DisplayConfig --method "
                                    "org.gnome.Mutter.DisplayConfig.GetCurrentState 2>/dev/null"},
                                   {"DBUS_SESSION_BUS_ADDRESS=" + busAddress_});
    return result.exitCode == 0 ? result.output : std::string();
}

std::string MutterSession::CurrentMode(const std::string& connector) const {
    const std::string state = CurrentState();
    const auto start = state.find("(('" + connector + "'");
    if (start == std::string::npos) return {};
    const auto end = state.find("(('", start + 3);
    const std::string monitor = state.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // ('1280x1024@60.000', 1280, 1024, 60.0, 1.0, [1.0], {'is-current': <true>, ...})
    std::smatch m;
    static const std::regex current(R"(\('[^']*', (\d+), (\d+), [^\[]*\[[^\]]*\], \{'is-current': <true>)");
    if (!std::regex_search(monitor, m, current)) return {};
    return m[1].str() + "x" + m[2].str();
}

std::string MutterSession::XwaylandDisplay() const {
    // "Using public X11 display :0, (using :1 for managed services)"
    std::smatch m;
    const std::string log = ReadFile(dir_->path() + "/mutter.log");
    static const std::regex display(R"(Using public X11 display (:\d+))");
    return std::regex_search(log, m, display) ? m[1].str() : std::string();
}

std::string MutterSession::XwaylandAuthority() const {
    for (const auto& entry : std::filesystem::directory_iterator(dir_->path())) {
        if (entry.path().filename().string().starts_with(".mutter-Xwaylandauth.")) return entry.path().string();
    }
    return {};
}

std::string MutterSession::Diagnostics() const {
    if (!dir_ || dir_->path().empty()) return "no work directory";
    return "== mutter.log\n" + ReadFile(dir_->path() + "/mutter.log") + "== dbus.log\n" +
           ReadFile(dir_->path() + "/dbus.log");
}

std::string SwaySession::Unavailable() {
    for (const char* tool : {"sway", "swaybg", "wlr-randr", "grim", "swaymsg", "setpriv", "wtype"}) {
        if (!OnPath(tool)) return std::string(tool) + " is not installed";
    }
    if (geteuid() == 0 && getpwnam("nobody") == nullptr) return "no user nobody to run sway as";
    return {};
}

SwaySession::SwaySession(Options options) {
    dir_ = std::make_unique<WorkDir>("sway");
    if (dir_->path().empty()) return;
    const std::string& dir = dir_->path();
    std::ofstream(dir + "/config") << "output * bg " << options.background << " solid_color\n";
    std::vector<std::string> command = {"env",
                                        "XDG_RUNTIME_DIR=" + dir,
                                        "WLR_BACKENDS=headless",
                                        "WLR_RENDERER=pixman",
                                        "WLR_LIBINPUT_NO_DEVICES=1",
                                        "sway",
                                        "-c",
                                        dir + "/config"};
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (nobody == nullptr || chown(dir.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) return;
        command.insert(command.begin(), {"setpriv", "--reuid=" + std::to_string(nobody->pw_uid),
                                         "--regid=" + std::to_string(nobody->pw_gid), "--clear-groups"});
    }
    chmod(dir.c_str(), 0700);
    sway_ = StartLogged(command, {"DISPLAY=", "WAYLAND_DISPLAY="}, dir + "/sway.log");
    // Its socket is the first wayland-N free in its runtime directory.
    const bool listening = WaitUntil(
        [&] {
            for (const auto& entry : std::filesystem::directory_iterator(dir)) {
                const std::string name = entry.path().filename();
                if (name.starts_with("wayland-") && !name.ends_with(".lock") && entry.is_socket()) socket_ = name;
            }
            return !socket_.empty() && Client({"wlr-randr"}).exitCode == 0;
        },
        10000);
    if (!listening) return;
    ok_ = SetMode(options.mode);
    if (!ok_) return;
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    setenv("WAYLAND_DISPLAY", socket_.c_str(), 1);
}

SwaySession::~SwaySession() { StopProcess(sway_); }

std::vector<std::string> SwaySession::ClientEnvironment() const {
    return {"XDG_RUNTIME_DIR=" + dir_->path(), "WAYLAND_DISPLAY=" + socket_};
}

CommandResult SwaySession::Client(const std::vector<std::string>& argv) const {
    std::vector<std::string> env = ClientEnvironment();
    // swaymsg finds the compositor by its IPC socket.
    for (const auto& entry : std::filesystem::directory_iterator(dir_->path())) {
        const std::string name = entry.path().filename();
        if (name.starts_with("sway-ipc.")) env.push_back("SWAYSOCK=" + entry.path().string());
    }
    return RunCommand(argv, env);
}

pid_t SwaySession::StartNative(const std::string& executable, const std::string& title) const {
    std::vector<std::string> env = ClientEnvironment();
    env.insert(env.end(), {"QT_QPA_PLATFORM=wayland", "DISPLAY=", "DBUS_SESSION_BUS_ADDRESS="});
    const pid_t pid = StartLogged({executable}, env, dir_->path() + "/programs.log",
                                  std::filesystem::path(executable).parent_path().string());
    const bool shown = WaitUntil(
        [&] {
            return Client({"swaymsg", "-t", "get_tree", "-r"}).output.find("\"name\": \"" + title + "\"") !=
                   std::string::npos;
        },
        10000);
    if (!shown) {
        StopProcess(pid);
        return -1;
    }
    // A frame or two after it maps, the window shows its first paint.
    SleepMs(500);
    return pid;
}

bool SwaySession::Screenshot(const std::string& path) const { return Client({"grim", path}).exitCode == 0; }

bool SwaySession::Type(const std::vector<std::string>& wtypeArguments) const {
    std::vector<std::string> argv = {"wtype"};
    argv.insert(argv.end(), wtypeArguments.begin(), wtypeArguments.end());
    return Client(argv).exitCode == 0;
}

bool SwaySession::SetMode(const std::string& mode) const {
    if (Client({"wlr-randr", "--output", "HEADLESS-1", "--on", "--custom-mode", mode}).exitCode != 0) return false;
    return WaitUntil([&] { return CurrentMode() == mode; }, 5000);
}

std::string SwaySession::CurrentMode() const {
    // sway's own word: the output's rectangle in its tree of outputs.
    const std::string out = Client({"swaymsg", "-t", "get_outputs", "-r"}).output;
    std::smatch m;
    static const std::regex mode(R"("current_mode":\s*\{\s*"width":\s*(\d+),\s*"height":\s*(\d+))");
    if (!std::regex_search(out, m, mode)) return {};
    return m[1].str() + "x" + m[2].str();
}

std::string SwaySession::Diagnostics() const {
    if (!dir_ || dir_->path().empty()) return "no work directory";
    return "== sway.log\n" + ReadFile(dir_->path() + "/sway.log");
}

std::string KwinSession::Unavailable() {
    if (!OnPath("kwin_wayland")) return "kwin_wayland is not installed";
    return {};
}

KwinSession::KwinSession() {
    dir_ = std::make_unique<WorkDir>("kwin");
    if (dir_->path().empty()) return;
    const std::string& dir = dir_->path();
    chmod(dir.c_str(), 0700);
    const std::string installed = RunCommand({"sh", "-c", "command -v kwin_wayland"}).output;
    std::error_code error;
    std::filesystem::create_directory(dir + "/bin");
    std::filesystem::copy_file(installed.substr(0, installed.find('\n')), dir + "/bin/kwin_wayland", error);
    if (error) return;
    socket_ = "kwin-" + std::to_string(getpid());
    kwin_ = StartLogged(
        {dir + "/bin/kwin_wayland", "--virtual", "--width", "1280", "--height", "1024", "--socket", socket_},
        {"XDG_RUNTIME_DIR=" + dir, "QT_QPA_PLATFORM=wayland", "DISPLAY=", "WAYLAND_DISPLAY="}, dir + "/kwin.log");
    // It listens once its socket is there, and has its output a moment later.
    ok_ = WaitUntil([&] { return access((dir + "/" + socket_).c_str(), F_OK) == 0; }, 15000) && SleepMs(1000);
    if (!ok_) return;
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    setenv("WAYLAND_DISPLAY", socket_.c_str(), 1);
}

KwinSession::~KwinSession() { StopProcess(kwin_); }

std::vector<std::string> KwinSession::ClientEnvironment() const {
    return {"XDG_RUNTIME_DIR=" + dir_->path(), "WAYLAND_DISPLAY=" + socket_};
}

std::string KwinSession::Diagnostics() const {
    if (!dir_ || dir_->path().empty()) return "no work directory";
    return "== kwin.log\n" + ReadFile(dir_->path() + "/kwin.log");
}

}  // namespace testsupport
