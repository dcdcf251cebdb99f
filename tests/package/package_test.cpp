// The suite's Debian package, built by scripts/package.sh from a clean copy of the source tree:
// lintian has nothing to report, and installed on this machine with apt-get it puts twelve
// programs in the menu with valid AppStream metadata and their version records, starts them from
// their desktop entries with their data, and purged leaves none of its files behind.
// Needs root and the packaging tools; skipped (exit code 77) without them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

#include "x_session.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunCommand;

const char* const kPackage = "multimedia-techniques";
const char* const kPrograms[] = {"blendview", "spritemask", "modeswitch", "tcpterm",  "joy",       "stickpoll",
                                 "tickplot",  "wavefile",   "wavememory", "grabmove", "bareframe", "linkopen"};
// Written while the package is installed, so a run that was killed before it could purge is
// cleaned up by the next.
const fs::path kInstalledMarker = "/tmp/multimedia-techniques-package-test.installed";

bool IsInstalled() { return RunCommand({"dpkg-query", "-W", "-f=${Status}", kPackage}).output.ends_with(" installed"); }

void Purge() {
    if (IsInstalled()) RunCommand({"dpkg", "--purge", kPackage});
    fs::remove(kInstalledMarker);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::map<std::string, std::string> ReadEntry(const fs::path& path) {
    std::map<std::string, std::string> fields;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) fields.emplace(line.substr(0, eq), line.substr(eq + 1));
    }
    return fields;
}

std::string VersionRecord(const fs::path& executable) {
    return RunCommand({"objcopy", "-O", "binary", "--only-section=.version_record", executable.string(), "/dev/stdout"})
        .output;
}

bool Shows(const std::string& title) {
    return !RunCommand({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}).output.empty();
}

// SDL's disk driver writes silence as zeros until a sound plays.
bool NotSilent(const fs::path& raw) {
    std::ifstream in(raw, std::ios::binary);
    return std::any_of(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(),
                       [](char c) { return c != 0; });
}

bool Running(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (getuid() != 0) {
            skipReason_ = "installing the package needs root";
            return;
        }
        for (const char* tool :
             {"git", "dpkg-buildpackage", "dh", "lintian", "appstreamcli", "apt-get", "Xvfb", "xdotool", "objcopy"}) {
            if (RunCommand({"sh", "-c", "command -v \"$0\"", tool}).exitCode != 0) {
                skipReason_ = std::string("no ") + tool;
                return;
            }
        }
        if (RunCommand({"sh", "-c", "cd \"$0\" && dpkg-checkbuilddeps", SOURCE_DIR}).exitCode != 0) {
            skipReason_ = "the build dependencies in debian/control are not installed";
            return;
        }
        if (fs::exists(kInstalledMarker)) Purge();
        if (IsInstalled()) {
            skipReason_ = "the suite's package is installed on this machine; the test would remove it";
            return;
        }
        work_ = fs::temp_directory_path() / ("suite_package_" + std::to_string(getpid()));
        fs::create_directories(work_);
        const auto built =
            RunCommand({"sh", "-c", "bash \"$0/scripts/package.sh\" \"$1/dist\" >\"$1/package.log\" 2>&1", SOURCE_DIR,
                        work_.string()});
        if (built.exitCode != 0) {
            buildFailure_ = RunCommand({"tail", "-n", "60", (work_ / "package.log").string()}).output;
            return;
        }
        for (const auto& entry : fs::directory_iterator(work_ / "dist")) {
            if (entry.path().extension() == ".deb") debs_.push_back(entry.path().string());
        }
    }
    static void TearDownTestSuite() {
        if (!work_.empty()) fs::remove_all(work_);
    }
    void SetUp() override {
        if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
        ASSERT_TRUE(buildFailure_.empty()) << "scripts/package.sh failed:\n" << buildFailure_;
        ASSERT_FALSE(debs_.empty());
    }

    static std::string skipReason_;
    static std::string buildFailure_;
    static fs::path work_;
    static std::vector<std::string> debs_;
};
std::string Package::skipReason_;
std::string Package::buildFailure_;
fs::path Package::work_;
std::vector<std::string> Package::debs_;

// Accepted warnings are overridden in debian/, each with its reason.
TEST_F(Package, LintianReportsNoErrorOrWarning) {
    std::vector<std::string> command{"lintian", "--fail-on", "error,warning", "--no-tag-display-limit"};
    command.insert(command.end(), debs_.begin(), debs_.end());
    const auto result = RunCommand(command);
    EXPECT_EQ(result.exitCode, 0) << result.output;
}

TEST_F(Package, InstallsWithAptStartsFromTheMenuAndPurgesWithoutTrace) {
    // What the package holds, other than folders that other packages share.
    std::vector<fs::path> files;
    for (const auto& deb : debs_) {
        for (const auto& line :
             Lines(RunCommand({"sh", "-c", "dpkg-deb --fsys-tarfile \"$0\" | tar -t", deb}).output)) {
            if (line.back() != '/') files.push_back(fs::path(line.substr(1)));
        }
    }
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        if (fs::exists(file)) GTEST_SKIP() << file << " is on this machine already (an install under /usr?)";
    }

    std::ofstream(kInstalledMarker) << kPackage << '\n';
    struct PurgeOnExit {
        ~PurgeOnExit() { Purge(); }
    } purgeOnExit;
    std::vector<std::string> install{"apt-get", "install", "-y", "-q", "--no-install-recommends"};
    install.insert(install.end(), debs_.begin(), debs_.end());
    const auto installed = RunCommand(install, {"DEBIAN_FRONTEND=noninteractive"});
    ASSERT_EQ(installed.exitCode, 0) << installed.output;

    std::vector<std::string> metainfo{"appstreamcli", "validate", "--no-net"};
    for (const char* program : kPrograms) {
        SCOPED_TRACE(program);
        const fs::path entryPath =
            fs::path("/usr/share/applications") / (std::string("multimedia-techniques-") + program + ".desktop");
        const auto entry = ReadEntry(entryPath);
        EXPECT_EQ(entry.at("Exec"), std::string("/usr/bin/") + program);
        if (entry.contains("Path")) {
            EXPECT_TRUE(fs::is_directory(entry.at("Path")));
        }
        metainfo.push_back("/usr/share/metainfo/example.multimedia_techniques." + std::string(program) +
                           ".metainfo.xml");
        // Stripped for the package, the executable keeps its record as the build has it.
        const std::string record = VersionRecord(fs::path("/usr/bin") / program);
        EXPECT_NE(record.find(std::string("InternalName=") + program), std::string::npos);
        const fs::path built = fs::path(BUILD_DIR) / program / program;
        if (fs::exists(built)) {
            EXPECT_EQ(record, VersionRecord(built));
        }
    }
    const auto valid = RunCommand(metainfo);
    EXPECT_EQ(valid.exitCode, 0) << valid.output;

    {
        // Started as the menu starts them: spritemask reads its pictures at start-up (missing, the
        // run time's message box, titled with the program's name, would show instead of its window);
        // wavefile's "再生" and wavememory's "メモリーにロード" then "再生" play the chime from drive
        // C, heard through SDL's disk driver (missing, they stay silent).
        testsupport::XSession x({.windowManager = false});
        ASSERT_TRUE(x.ok());
        const struct {
            const char* name;
            const char* caption;
            std::vector<std::pair<int, int>> clicks;  // buttons to press, in client pixels
        } started[] = {{"spritemask", "グラフィック作画サンプル", {}},
                       {"wavefile", "ファイルから効果音\\(WAV\\)を再生サンプル", {{132, 83}}},
                       {"wavememory", "メモリから効果音\\(WAV\\)を再生サンプル", {{132, 50}, {132, 116}}}};
        for (const auto& program : started) {
            SCOPED_TRACE(program.name);
            const auto entry = ReadEntry(fs::path("/usr/share/applications") /
                                         (std::string("multimedia-techniques-") + program.name + ".desktop"));
            const fs::path heard = work_ / (std::string(program.name) + ".raw");
            const pid_t pid =
                testsupport::StartProcess({"sh", "-c", "cd \"${0:-/}\" && exec $1",
                                           entry.contains("Path") ? entry.at("Path") : "", entry.at("Exec")},
                                          {"DISPLAY=" + x.display(), "SDL_AUDIODRIVER=disk",
                                           "SDL_DISKAUDIOFILE=" + heard.string(), "SUITE_DRIVE_C="});
            EXPECT_TRUE(testsupport::WaitUntil([&] { return Shows(program.caption); }, 15000));
            const auto window = Lines(
                RunCommand({"xdotool", "search", "--onlyvisible", "--name", "^" + std::string(program.caption) + "$"})
                    .output);
            for (const auto& [clickX, clickY] : program.clicks) {
                ASSERT_FALSE(window.empty());
                RunCommand({"xdotool", "mousemove", "--window", window.front(), std::to_string(clickX),
                            std::to_string(clickY), "click", "1"});
                testsupport::SleepMs(300);
            }
            if (!program.clicks.empty()) {
                EXPECT_TRUE(testsupport::WaitUntil([&] { return NotSilent(heard); }, 10000)) << "no chime";
            }
            EXPECT_FALSE(Shows(program.name)) << "the run time reported an error";
            EXPECT_TRUE(Running(pid));
            testsupport::StopProcess(pid);
        }
    }

    const auto removed =
        RunCommand({"apt-get", "remove", "--purge", "-y", "-q", kPackage}, {"DEBIAN_FRONTEND=noninteractive"});
    ASSERT_EQ(removed.exitCode, 0) << removed.output;
    EXPECT_FALSE(IsInstalled());
    for (const auto& file : files) EXPECT_FALSE(fs::exists(fs::symlink_status(file))) << file << " is left";
    const auto left = RunCommand({"find", "/usr", "/etc", "/var/lib/dpkg/info", "-name", "*multimedia-techniques*",
                                  "-o", "-name", "*multimedia_techniques*"});
    EXPECT_EQ(left.output, "") << "left after the purge";
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    if (failed == 0 && ::testing::UnitTest::GetInstance()->skipped_test_count() > 0) return 77;
    return failed;
}
