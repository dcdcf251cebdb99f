// Windows paths mapped onto the Linux file system.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/paths.h"

namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("winmm_paths_" + std::to_string(::getpid()));
        driveC_ = root_ / "drive_c";
        Touch(driveC_ / "Windows" / "Media" / "The Microsoft Sound.wav");
        Touch(driveC_ / "Windows" / "Media" / "chord.wav");
        Touch(driveC_ / "Windows" / "Media" / "CHORD.WAV");
        Touch(driveC_ / "データ" / "音.wav");
        setenv("SUITE_DRIVE_C", driveC_.c_str(), 1);
        previous_ = fs::current_path();
    }

    void TearDown() override {
        fs::current_path(previous_);
        unsetenv("SUITE_DRIVE_C");
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::string C(const std::string& rest) const { return (driveC_ / rest).string(); }

    fs::path root_;
    fs::path driveC_;
    fs::path previous_;
};

TEST_F(PathsTest, DriveCPathsFindTheirFilesWhateverTheCase) {
    const std::string sound = C("Windows/Media/The Microsoft Sound.wav");
    const struct {
        const char* windows;
        std::string linux;
    } cases[] = {
        {"C:\\Windows\\Media\\The Microsoft Sound.wav", sound},
        {"c:\\WINDOWS\\media\\the microsoft sound.WAV", sound},
        {"C:/Windows/Media/The Microsoft Sound.wav", sound},
        {"C:\\\\Windows\\/Media\\The Microsoft Sound.wav", sound},
        {"\\Windows\\Media\\The Microsoft Sound.wav", sound},
        {"C:Windows\\Media\\The Microsoft Sound.wav", sound},
        {"C:\\Windows\\.\\System\\..\\Media\\The Microsoft Sound.wav", sound},
        {"C:\\..\\..\\Windows\\Media\\The Microsoft Sound.wav", sound},  // never above the drive
        {"C:\\Windows\\Media\\missing.wav", C("Windows/Media/missing.wav")},
        {"C:\\windows\\NoSuchFolder\\Deeper\\x.WAV", C("Windows/NoSuchFolder/Deeper/x.WAV")},
        {"C:\\データ\\音.wav", C("データ/音.wav")},
        {"C:\\", driveC_.string()},
        {"C:", driveC_.string()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kernel32::LinuxPathOf(c.windows), c.linux) << c.windows;
    }
}

TEST_F(PathsTest, ExactNameWinsAndOtherwiseTheFirstInByteOrder) {
    EXPECT_EQ(kernel32::LinuxPathOf("C:\\Windows\\Media\\chord.wav"), C("Windows/Media/chord.wav"));
    EXPECT_EQ(kernel32::LinuxPathOf("C:\\Windows\\Media\\CHORD.WAV"), C("Windows/Media/CHORD.WAV"));
    EXPECT_EQ(kernel32::LinuxPathOf("C:\\Windows\\Media\\Chord.Wav"), C("Windows/Media/CHORD.WAV"));
}

TEST_F(PathsTest, OtherDrivesLieBesideDriveC) {
    EXPECT_EQ(kernel32::LinuxPathOf("D:\\Games\\a.wav"), (root_ / "drive_d" / "Games" / "a.wav").string());
    EXPECT_EQ(kernel32::LinuxPathOf("e:x.wav"), (root_ / "drive_e" / "x.wav").string());
}

TEST_F(PathsTest, RelativePathsStayInTheWorkingDirectory) {
    Touch(root_ / "work" / "Sounds" / "Ding.WAV");
    fs::current_path(root_ / "work");
    EXPECT_EQ(kernel32::LinuxPathOf("sounds\\ding.wav"), "Sounds/Ding.WAV");
    EXPECT_EQ(kernel32::LinuxPathOf(".\\Sounds\\..\\pic1.bmp"), "pic1.bmp");
    EXPECT_EQ(kernel32::LinuxPathOf("..\\WORK\\sounds"), "../work/Sounds");
    EXPECT_EQ(kernel32::LinuxPathOf("a\\..\\..\\b"), "../b");
    EXPECT_EQ(kernel32::LinuxPathOf(""), ".");
}

TEST_F(PathsTest, DriveCFolderComesFromTheSettingThenTheInstallationThenTheSources) {
    EXPECT_EQ(kernel32::DriveCFolder(), driveC_.string());
    setenv("SUITE_DRIVE_C", (driveC_.string() + "/").c_str(), 1);
    EXPECT_EQ(kernel32::DriveCFolder(), driveC_.string());

    unsetenv("SUITE_DRIVE_C");
    EXPECT_EQ(kernel32::DriveCFolder(), SOURCE_DRIVE_C);

    // An installed tree: <prefix>/bin/program and <prefix>/share/multimedia-techniques/drive_c. The
    // chime is copied along, so tests that play it meanwhile still find it.
    const fs::path exeFolder = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path installed = exeFolder / ".." / "share" / "multimedia-techniques" / "drive_c";
    const bool existed = fs::exists(exeFolder / ".." / "share");
    fs::create_directories(installed / "Windows" / "Media");
    fs::copy_file(fs::path(SOURCE_DRIVE_C) / "Windows" / "Media" / "The Microsoft Sound.wav",
                  installed / "Windows" / "Media" / "The Microsoft Sound.wav", fs::copy_options::overwrite_existing);
    EXPECT_EQ(kernel32::DriveCFolder(), installed.lexically_normal().string());
    fs::remove_all(existed ? installed : exeFolder / ".." / "share");
}

}  // namespace
