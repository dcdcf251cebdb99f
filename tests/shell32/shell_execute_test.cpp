// ShellExecuteA's "open" against a recording opener: every text reaches it unchanged as exactly one
// argument, never through a shell; what cannot be opened is refused without starting anything.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <platform/exports.h>

#include "platform/codepage.h"
#include "recording_opener.h"
#include "shell32/shell32.h"

namespace {

using testsupport::PathPrefix;
using testsupport::RecordingOpener;
using Calls = std::vector<std::vector<std::string>>;

std::intptr_t Open(const std::string& utf8File, LPCSTR verb = "open", const char* directory = nullptr) {
    const std::string file = kernel32::Cp932FromUtf8(utf8File);
    return reinterpret_cast<std::intptr_t>(
        shell32::ShellExecuteA(nullptr, verb, file.c_str(), nullptr, directory, SW_SHOWNORMAL));
}

class ShellExecute : public testing::Test {
protected:
    void SetUp() override { unsetenv("SUITE_OPENER"); }
    RecordingOpener opener_;
    PathPrefix path_{opener_.folder()};
};

TEST_F(ShellExecute, EveryTextReachesTheOpenerAsExactlyOneArgument) {
    const std::string marker = opener_.folder() + "/shell-ran";
    const std::vector<std::string> texts = {
        "https://www.debian.org/",
        "file with spaces.html",
        "  blanks around  ",
        "it's \"quoted\"",
        "$(touch " + marker + ")",
        "`touch " + marker + "`",
        "a; touch " + marker,
        "a && b | c > d",
        "line\nbreak",
        "*",
        "~",
        "http://例え.テスト/ページ?q=日本語&x=１",
    };
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_GT(Open(texts[i]), 32) << texts[i];
        ASSERT_TRUE(opener_.WaitForCalls(i + 1, 5000)) << texts[i];
    }
    Calls expected;
    for (const auto& text : texts) expected.push_back({text});
    EXPECT_EQ(opener_.Calls(), expected);
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST_F(ShellExecute, TheVerbIsOpenOrDefault) {
    struct Case {
        const char* verb;
        bool opens;
    };
    const Case cases[] = {{"open", true},   {"Open", true},  {nullptr, true},    {"", true},
                          {"print", false}, {"edit", false}, {"explore", false}, {"opens", false}};
    size_t opened = 0;
    for (const Case& c : cases) {
        const std::intptr_t result = Open("https://example.org/", c.verb);
        if (c.opens) {
            EXPECT_GT(result, 32) << (c.verb ? c.verb : "null");
            ASSERT_TRUE(opener_.WaitForCalls(++opened, 5000));
        } else {
            EXPECT_EQ(result, SE_ERR_NOASSOC) << c.verb;
        }
    }
    EXPECT_EQ(opener_.Calls().size(), opened);
}

TEST_F(ShellExecute, EmptyOrMissingFileStartsNothing) {
    EXPECT_EQ(Open(""), SE_ERR_FNF);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(shell32::ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, 1)),
              SE_ERR_FNF);
    EXPECT_EQ(Open("https://example.org/", "open", "/nonexistent-folder-of-the-suite"), SE_ERR_PNF);
    EXPECT_GT(Open("after"), 32);  // a stray start above would come first
    ASSERT_TRUE(opener_.WaitForCalls(1, 5000));
    EXPECT_EQ(opener_.Calls(), (Calls{{"after"}}));
}

// xdg-open takes no "--", so a leading '-' could only pass as an option: a file of that name
// goes as "./-...", anything else is refused.
TEST_F(ShellExecute, LeadingDashIsNeverAnOption) {
    EXPECT_EQ(Open("-n"), SE_ERR_FNF);
    EXPECT_EQ(Open("--help"), SE_ERR_FNF);
    std::ofstream(opener_.folder() + "/-report.txt") << "x";
    EXPECT_EQ(Open("-report.txt"), SE_ERR_FNF);  // not in the working folder
    EXPECT_GT(Open("-report.txt", "open", opener_.folder().c_str()), 32);
    ASSERT_TRUE(opener_.WaitForCalls(1, 5000));
    EXPECT_EQ(opener_.Calls(), (Calls{{"./-report.txt"}}));
}

TEST_F(ShellExecute, NoOpenerMeansNoAssociation) {
    setenv("SUITE_OPENER", "no-such-opener-of-the-suite", 1);
    EXPECT_EQ(Open("https://example.org/"), SE_ERR_NOASSOC);
    setenv("PATH", "/nonexistent", 1);
    unsetenv("SUITE_OPENER");
    EXPECT_EQ(Open("https://example.org/"), SE_ERR_NOASSOC);
}

TEST_F(ShellExecute, AnOpenerThatCannotStartIsReported) {
    RecordingOpener broken("broken-opener", 0, "#!/nonexistent/interpreter");
    setenv("SUITE_OPENER", broken.program().c_str(), 1);
    EXPECT_EQ(Open("https://example.org/"), SE_ERR_FNF);
}

TEST_F(ShellExecute, TheSettingNamesAnotherOpener) {
    RecordingOpener other("my-opener");
    setenv("SUITE_OPENER", "my-opener", 1);
    PathPrefix path(other.folder());
    EXPECT_GT(Open("https://example.org/"), 32);
    ASSERT_TRUE(other.WaitForCalls(1, 5000));
    EXPECT_EQ(other.Calls(), (Calls{{"https://example.org/"}}));
    EXPECT_TRUE(opener_.Calls().empty());
}

// The caller goes on while the application runs, and no child of the caller is left to reap.
TEST_F(ShellExecute, ReturnsAtOnceAndLeavesNoChild) {
    RecordingOpener slow("slow-opener", 2);
    setenv("SUITE_OPENER", slow.program().c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_GT(Open("https://example.org/"), 32);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_TRUE(slow.Calls().empty());
    ASSERT_TRUE(slow.WaitForCalls(1, 10000));
}

TEST(ShellExports, ShellExecuteABindsByNameWithItsSdkSignature) {
    const auto found = platform::FindExport("SHELL32.DLL", "ShellExecuteA",
                                            typeid(HINSTANCE(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)));
    EXPECT_EQ(found.failure, platform::BindFailure::None);
    EXPECT_NE(found.function, nullptr);
    EXPECT_EQ(platform::FindExport("shell32", "ShellExecuteA", typeid(HINSTANCE(HWND, LPCSTR, LPCSTR))).failure,
              platform::BindFailure::WrongSignature);
}

}  // namespace
