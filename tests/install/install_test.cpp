// A fresh install: every program, its desktop entry, icon and data, and each program starting
// from its entry's working directory and finding what it reads.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "x_session.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunCommand;

struct Program {
    const char* name;
    const char* menuName;  // the desktop entry's Name
    const char* caption;   // the window's title once it shows, as a regular expression
};

const Program kPrograms[] = {
    {"blendview", "半透明表示サンプル", "半透明表示サンプル"},
    {"spritemask", "グラフィック作画サンプル", "グラフィック作画サンプル"},
    {"modeswitch", "ディスプレイサイズの変更のサンプル", "ディスプレイサイズの変更のサンプル"},
    {"tcpterm", "ＴＣＰクライアント", "ＴＣＰクライアント"},
    {"joy", "ジョイステックテスター", "ジョイステックテスター"},
    {"stickpoll", "ジョイスティックのサンプル", "Form1|X:.*"},  // the timer's first tick, 50 ms in, sets it
    {"tickplot", "タイマーオブジェクトの精度", "タイマーオブジェクトの精度"},
    {"wavefile", "ファイルから効果音(WAV)を再生サンプル", "ファイルから効果音\\(WAV\\)を再生サンプル"},
    {"wavememory", "メモリから効果音(WAV)を再生", "メモリから効果音\\(WAV\\)を再生サンプル"},
    {"grabmove", "タイトルバー以外でウインドウのドラッグ", "タイトルバー以外でウインドウのドラッグ"},
    {"bareframe", "タイトルバーの上手な消し方", "タイトルバーの上手な消し方"},
    {"linkopen", "URLを指定してブラウザを起動", "URLを指定してブラウザを起動"},
};

std::map<std::string, std::string> ReadEntry(const fs::path& path) {
    std::map<std::string, std::string> fields;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return fields;
}

class Install : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix_ = fs::temp_directory_path() / ("suite_install_" + std::to_string(getpid()));
        const auto result = RunCommand({"cmake", "--install", BUILD_DIR, "--prefix", prefix_.string()});
        ASSERT_EQ(result.exitCode, 0) << result.output;
    }
    static void TearDownTestSuite() { fs::remove_all(prefix_); }
    static fs::path prefix_;
};
fs::path Install::prefix_;

TEST_F(Install, EveryProgramHasItsEntryIconAndData) {
    for (const auto& program : kPrograms) {
        SCOPED_TRACE(program.name);
        const fs::path binary = prefix_ / "bin" / program.name;
        EXPECT_TRUE(fs::exists(binary));
        const auto entry = ReadEntry(prefix_ / "share/applications" /
                                     (std::string("multimedia-techniques-") + program.name + ".desktop"));
        EXPECT_EQ(entry.at("Type"), "Application");
        EXPECT_EQ(entry.at("Name"), program.menuName);
        EXPECT_EQ(entry.at("Exec"), binary.string());
        EXPECT_TRUE(fs::exists(prefix_ / "share/icons/hicolor/scalable/apps" / (entry.at("Icon") + ".svg")));
        if (entry.contains("Path")) {
            EXPECT_TRUE(fs::is_directory(entry.at("Path")));
        }
    }
    const fs::path spritemaskData = prefix_ / "share/multimedia-techniques/spritemask";
    for (const char* file : {"haikei.bmp", "pic1.bmp", "pic2.bmp"})
        EXPECT_TRUE(fs::exists(spritemaskData / file)) << file;
    EXPECT_TRUE(fs::exists(prefix_ / "share/multimedia-techniques/drive_c/Windows/Media/The Microsoft Sound.wav"));
}

TEST_F(Install, EntriesPassTheDesktopFileValidator) {
    if (RunCommand({"sh", "-c", "command -v desktop-file-validate"}).exitCode != 0) GTEST_SKIP() << "no validator";
    for (const auto& program : kPrograms) {
        const auto path =
            prefix_ / "share/applications" / (std::string("multimedia-techniques-") + program.name + ".desktop");
        const auto result = RunCommand({"desktop-file-validate", path.string()});
        EXPECT_EQ(result.exitCode, 0) << program.name << ": " << result.output;
    }
}

// What software centres read: each program's AppStream file names its desktop entry, its Japanese
// name is the menu's, its screenshot is its picture of the gallery; and each has a manual page.
TEST_F(Install, EveryProgramHasValidAppStreamMetadataAndAManualPage) {
    std::vector<std::string> validate{"appstreamcli", "validate", "--no-net"};
    for (const auto& program : kPrograms) {
        SCOPED_TRACE(program.name);
        const fs::path path = prefix_ / "share/metainfo" /
                              (std::string("example.multimedia_techniques.") + program.name + ".metainfo.xml");
        std::ifstream in(path);
        std::stringstream xml;
        xml << in.rdbuf();
        const std::string entry = std::string("multimedia-techniques-") + program.name + ".desktop";
        for (const std::string& part : {"<launchable type=\"desktop-id\">" + entry + "</launchable>",
                                        "<name xml:lang=\"ja\">" + std::string(program.menuName) + "</name>",
                                        "/docs/gallery/" + std::string(program.name) + ".png</image>",
                                        std::string("<release version=\"1.00\"")}) {
            EXPECT_NE(xml.str().find(part), std::string::npos) << part;
        }
        EXPECT_TRUE(fs::exists(prefix_ / "share/applications" / entry));
        EXPECT_TRUE(fs::exists(fs::path(SOURCE_DIR) / "docs/gallery" / (std::string(program.name) + ".png")));
        EXPECT_TRUE(fs::exists(prefix_ / "share/man/man1" / (std::string(program.name) + ".1")));
        validate.push_back(path.string());
    }
    if (RunCommand({"sh", "-c", "command -v appstreamcli"}).exitCode != 0) GTEST_SKIP() << "no appstreamcli";
    const auto result = RunCommand(validate);
    EXPECT_EQ(result.exitCode, 0) << result.output;
}

// Started as its desktop entry starts it, each program gets as far as showing its window; one that
// failed to find its data would stop with the run time's message before that.
TEST_F(Install, EachProgramStartsFromItsEntryAndShowsItsWindow) {
    testsupport::XSession x({.windowManager = false});
    ASSERT_TRUE(x.ok());
    for (const auto& program : kPrograms) {
        SCOPED_TRACE(program.name);
        const auto entry = ReadEntry(prefix_ / "share/applications" /
                                     (std::string("multimedia-techniques-") + program.name + ".desktop"));
        const std::string directory = entry.contains("Path") ? entry.at("Path") : "/";
        const pid_t pid =
            testsupport::StartProcess({"sh", "-c", "cd \"$0\" && exec \"$1\"", directory, entry.at("Exec")},
                                      {"DISPLAY=" + x.display(), "SDL_AUDIODRIVER=dummy", "SUITE_DRIVE_C="});
        const bool shown = testsupport::WaitUntil(
            [&] {
                const auto found = RunCommand(
                    {"xdotool", "search", "--onlyvisible", "--name", "^(" + std::string(program.caption) + ")$"});
                return !found.output.empty();
            },
            15000);
        EXPECT_TRUE(shown);
        testsupport::StopProcess(pid);
    }
}

}  // namespace
