// scripts/run.sh finds the session's display, Wayland or X, and says in one plain line when there
// is none. It runs here in a copy of the scripts whose setup does nothing and whose program only
// says that it started.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "compositor_session.h"
#include "x_session.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunCommand;

class RunScript : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.path().empty());
        const fs::path root = dir_.path();
        fs::create_directories(root / "scripts");
        fs::create_directories(root / "build/modeswitch");
        fs::copy_file(fs::path(PROJECT_SOURCE_DIR) / "scripts/run.sh", root / "scripts/run.sh");
        std::ofstream(root / "scripts/setup.sh") << "true\n";
        const fs::path program = root / "build/modeswitch/modeswitch";
        std::ofstream(program) << "#!/bin/sh\necho started\n";
        fs::permissions(program, fs::perms::owner_all);
    }
    // Standard output and error together, and the exit status.
    testsupport::CommandResult Run(const std::vector<std::string>& env) {
        std::vector<std::string> argv = {
            "env", "-u", "WAYLAND_DISPLAY", "-u", "DISPLAY", "-u", "QT_QPA_PLATFORM", "-u", "XDG_RUNTIME_DIR"};
        argv.insert(argv.end(), env.begin(), env.end());
        argv.insert(argv.end(), {"sh", "-c", "exec bash \"$0\" modeswitch 2>&1", dir_.path() + "/scripts/run.sh"});
        return RunCommand(argv);
    }

    testsupport::WorkDir dir_{"run"};
};

// A listening socket where a compositor would have its own.
class FakeWaylandSocket {
public:
    explicit FakeWaylandSocket(const std::string& path) {
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(fd_, 1);
    }
    ~FakeWaylandSocket() { close(fd_); }

private:
    int fd_ = -1;
};

TEST_F(RunScript, WithoutAnyDisplayItSaysSoInOneLineAndFails) {
    const std::string line =
        "run: no display to show modeswitch on: neither a Wayland display (WAYLAND_DISPLAY) nor an X display "
        "(DISPLAY) answers\n";
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"WAYLAND_DISPLAY=wayland-none", "XDG_RUNTIME_DIR=" + dir_.path(), "DISPLAY=:64999"},
        {"WAYLAND_DISPLAY=" + dir_.path() + "/absent", "DISPLAY=nowhere:0"},
        {"WAYLAND_DISPLAY=wayland-0", "QT_QPA_PLATFORM=wayland"},  // no runtime directory to hold it
    };
    for (const auto& env : cases) {
        const auto result = Run(env);
        EXPECT_EQ(result.exitCode, 1) << testing::PrintToString(env);
        EXPECT_EQ(result.output, line) << testing::PrintToString(env);
    }
}

TEST_F(RunScript, StartsTheProgramOnAWaylandDisplay) {
    FakeWaylandSocket socket(dir_.path() + "/wayland-7");
    EXPECT_EQ(Run({"WAYLAND_DISPLAY=wayland-7", "XDG_RUNTIME_DIR=" + dir_.path()}).output, "started\n");
    EXPECT_EQ(Run({"WAYLAND_DISPLAY=" + dir_.path() + "/wayland-7"}).output, "started\n") << "an absolute path";
}

TEST_F(RunScript, StartsTheProgramOnAnXDisplayAndWithoutOneWhereAskedTo) {
    testsupport::XSession x;
    ASSERT_TRUE(x.ok());
    EXPECT_EQ(Run({"DISPLAY=" + x.display()}).output, "started\n");
    EXPECT_EQ(Run({"QT_QPA_PLATFORM=offscreen"}).output, "started\n");
}

}  // namespace
