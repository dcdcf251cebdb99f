// spritemask started where one of its pictures is no file: it stops at once with the run time's
// file error naming the picture, before its window shows, instead of waiting on it.
#include <frame/form.h>
#include <frame/testing.h>

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "bad_files.h"

namespace {

namespace fs = std::filesystem;

TEST(SpritemaskBadFile, APictureThatIsNoFileStopsTheProgramAtOnceWithTheFileError) {
    const auto previous = fs::current_path();
    const auto folder = fs::temp_directory_path() / ("spritemask_badfile_" + std::to_string(getpid()));
    for (const char* picture : {"haikei.bmp", "pic1.bmp", "pic2.bmp"}) {
        for (const char* kind : testsupport::kNoFileKinds) {
            SCOPED_TRACE(std::string(picture) + " as a " + kind);
            fs::remove_all(folder);
            fs::create_directories(folder);
            for (const char* each : {"haikei.bmp", "pic1.bmp", "pic2.bmp"})
                fs::copy_file(fs::path(PROGRAM_SOURCE_DIR) / each, folder / each);
            const int socket = testsupport::MakeNoFile(kind, folder / picture);
            std::vector<std::string> messages;
            frame::testing::SetMessageBoxHook(
                [&](const std::string& title, const std::string& text) { messages.push_back(title + "|" + text); });
            fs::current_path(folder);
            {
                testsupport::Watchdog watchdog(std::string("spritemask's start with ") + picture + " as a " + kind);
                frame::testing::StartProgram();
            }
            fs::current_path(previous);
            if (socket >= 0) ::close(socket);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].rfind("spritemask|実行時エラー '75':", 0), 0u) << messages[0];
            EXPECT_NE(messages[0].find(picture), std::string::npos) << messages[0];
            EXPECT_EQ(frame::testing::EndedWith(), 1);
            EXPECT_FALSE(frame::testing::Widget("Form1")->isVisible());
            frame::testing::StopProgram();
        }
    }
    fs::remove_all(folder);
}

}  // namespace
