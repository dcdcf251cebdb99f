#include <frame/declare.h>
#include <frame/services.h>
#include <win32/api.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

int ErrorNumberOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const frame::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

TEST(Conversions, TextToLong) {
    struct Case {
        const char* text;
        std::int32_t value;  // when error is 0
        int error;
    };
    const Case cases[] = {
        {"8080", 8080, 0},
        {"  42 ", 42, 0},
        {"-17", -17, 0},
        {"+5", 5, 0},
        {"2.5", 2, 0},
        {"3.5", 4, 0},
        {"2.51", 3, 0},
        {"-2.5", -2, 0},
        {"2147483647", 2147483647, 0},
        {"-2147483648", -2147483647 - 1, 0},
        {"2147483648", 0, frame::errors::Overflow},
        {"99999999999", 0, frame::errors::Overflow},
        {"Text2", 0, frame::errors::TypeMismatch},
        {"abc", 0, frame::errors::TypeMismatch},
        {"", 0, frame::errors::TypeMismatch},
        {"12ab", 0, frame::errors::TypeMismatch},
        {"-", 0, frame::errors::TypeMismatch},
        {"1 2", 0, frame::errors::TypeMismatch},
        {"１２", 0, frame::errors::TypeMismatch},
    };
    for (const auto& c : cases) {
        std::int32_t value = 0;
        EXPECT_EQ(ErrorNumberOf([&] { value = frame::CLng(c.text); }), c.error) << c.text;
        if (c.error == 0) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(Conversions, NumbersAndTruthToText) {
    EXPECT_EQ(frame::CStr(0), "0");
    EXPECT_EQ(frame::CStr(-1), "-1");
    EXPECT_EQ(frame::CStr(65535), "65535");
    EXPECT_EQ(frame::CStr(static_cast<short>(-32768)), "-32768");
    EXPECT_EQ(frame::CStr(true), "True");
    EXPECT_EQ(frame::CStr(false), "False");
}

TEST(Conversions, CheckedArithmeticRaisesOverflow) {
    EXPECT_EQ(frame::CheckedSubtract(5, 7), -2);
    EXPECT_EQ(ErrorNumberOf([] { frame::CheckedSubtract(-2147483647 - 1, 1); }), frame::errors::Overflow);
    EXPECT_EQ(ErrorNumberOf([] { frame::CheckedAdd(2147483647, 1); }), frame::errors::Overflow);
}

TEST(Conversions, BytesThroughTheSystemCodePage) {
    const std::uint8_t bytes[] = {0x82, 0xA0, 'A', 0x00, 'B', 0x93, 0xFA, 0x96, 0x7B};  // あA\0B日本
    EXPECT_EQ(frame::BytesToText(bytes), std::string("あA\0B日本", 12));
    EXPECT_STREQ(frame::AnsiString("open").c_str(), "open");
    EXPECT_STREQ(frame::AnsiString("日本").c_str(), "\x93\xFA\x96\x7B");
}

TEST(ByteArrays, FirstElementOfAnEmptyArrayIsAnError) {
    std::vector<std::uint8_t> empty;
    EXPECT_EQ(ErrorNumberOf([&] { frame::FirstElement(empty); }), frame::errors::SubscriptOutOfRange);
    std::vector<std::uint8_t> one{7};
    EXPECT_EQ(frame::FirstElement(one), one.data());
}

TEST(ResumeNext, SkipsTheFailingStatementOnly) {
    int reached = 0;
    frame::ResumeNext([] { frame::Raise(frame::errors::SubscriptOutOfRange); });
    frame::ResumeNext([&] { ++reached; });
    EXPECT_EQ(reached, 1);
}

class ByteFiles : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() / ("frame_files_" + std::to_string(getpid()));
        std::filesystem::create_directories(root_ / "Windows" / "Media");
        setenv("SUITE_DRIVE_C", root_.c_str(), 1);
    }
    void TearDown() override {
        for (int n = 1; n <= 3; ++n) frame::CloseFile(n);
        unsetenv("SUITE_DRIVE_C");
        std::filesystem::remove_all(root_);
    }
    std::filesystem::path root_;
};

TEST_F(ByteFiles, ReadsAWholeFileThroughItsWindowsPath) {
    std::ofstream(root_ / "Windows" / "Media" / "Sound.wav", std::ios::binary) << "RIFF1234";
    frame::OpenForBinary("C:\\WINDOWS\\Media\\sound.WAV", 1);
    std::vector<std::uint8_t> data(static_cast<size_t>(frame::FileLength(1)));
    frame::GetBytes(1, data);
    frame::CloseFile(1);
    EXPECT_EQ(std::string(data.begin(), data.end()), "RIFF1234");
}

TEST_F(ByteFiles, AMissingFileReadsAsEmptyAndIsNotCreated) {
    frame::OpenForBinary("C:\\Windows\\Media\\none.wav", 1);
    EXPECT_EQ(frame::FileLength(1), 0);
    frame::CloseFile(1);
    EXPECT_FALSE(std::filesystem::exists(root_ / "Windows" / "Media" / "none.wav"));
}

TEST_F(ByteFiles, FileNumbersAreChecked) {
    EXPECT_EQ(ErrorNumberOf([] { frame::FileLength(2); }), frame::errors::BadFileNameOrNumber);
    EXPECT_EQ(ErrorNumberOf([] { frame::OpenForBinary("x", 0); }), frame::errors::BadFileNameOrNumber);
    frame::OpenForBinary("C:\\a", 3);
    EXPECT_EQ(ErrorNumberOf([] { frame::OpenForBinary("C:\\a", 3); }), frame::errors::FileAlreadyOpen);
}

TEST(Pictures, MissingAndBrokenFilesAreRunTimeErrors) {
    EXPECT_EQ(ErrorNumberOf([] { frame::LoadPicture("/nonexistent/haikei.bmp"); }), frame::errors::FileNotFound);
    const std::uint8_t garbage[] = {'B', 'M', 1, 2, 3};
    EXPECT_EQ(ErrorNumberOf([&] { frame::DecodePicture(garbage, "x.bmp"); }), frame::errors::InvalidPicture);
}

TEST(Binding, EntriesBindByLibraryAndName) {
    const frame::Declare<DWORD()> timeGetTime{"WINMM.DLL", "timeGetTime"};
    EXPECT_GT(timeGetTime(), 0u);
    const frame::Declare<void(void*, SIZE_T)> RtlZeroMemory{"kernel32", "RtlZeroMemory"};
    int value = 5;
    RtlZeroMemory(&value, sizeof value);
    EXPECT_EQ(value, 0);
}

TEST(Binding, AFailedBindIsARunTimeErrorNamingLibraryAndEntry) {
    const frame::Declare<DWORD()> missingEntry{"winmm.dll", "timeGetTimeX"};
    try {
        missingEntry();
        FAIL() << "bound an entry that does not exist";
    } catch (const frame::RuntimeError& error) {
        EXPECT_EQ(error.number(), frame::errors::DllEntryNotFound);
        EXPECT_NE(error.description().find("timeGetTimeX"), std::string::npos);
        EXPECT_NE(error.description().find("winmm.dll"), std::string::npos);
    }
    const frame::Declare<DWORD()> missingLibrary{"nothere.dll", "timeGetTime"};
    EXPECT_EQ(ErrorNumberOf([&] { missingLibrary(); }), frame::errors::DllLoad);
    const frame::Declare<int(int)> wrongSignature{"winmm.dll", "timeGetTime"};
    EXPECT_EQ(ErrorNumberOf([&] { wrongSignature(1); }), frame::errors::BadDllCallingConvention);
}

}  // namespace
