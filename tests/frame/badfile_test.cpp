// Files that are no files, files that lie about their size, and byte arrays whose length the
// Windows layer must know: the run time answers at once and reads no further than it may.
#include <frame/services.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <utility>

#include "platform/buffers.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

int ErrorNumberOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const frame::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

// Runs `body` on a thread of its own; one that has not answered after a generous while has hung,
// and a hung open cannot be taken back, so the test process ends there.
int ErrorNumberWithinWatchdog(const std::function<void()>& body) {
    auto result = std::async(std::launch::async, [&] { return ErrorNumberOf(body); });
    if (result.wait_for(10s) != std::future_status::ready) {
        std::fprintf(stderr, "FAILED: the call did not return within 10 s\n");
        std::fflush(stderr);
        std::_Exit(1);
    }
    return result.get();
}

class BadFiles : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("frame_badfiles_" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        setenv("SUITE_DRIVE_C", root_.c_str(), 1);
    }
    void TearDown() override {
        for (int n = 1; n <= 3; ++n) frame::CloseFile(n);
        if (socket_ >= 0) ::close(socket_);
        unsetenv("SUITE_DRIVE_C");
        fs::remove_all(root_);
    }

    // Puts something that is no regular file at drive C's `name`.
    void Make(const std::string& kind, const std::string& name) {
        const fs::path path = root_ / name;
        if (kind == "fifo") {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        } else if (kind == "dev/zero link") {
            fs::create_symlink("/dev/zero", path);
        } else if (kind == "directory") {
            fs::create_directory(path);
        } else if (kind == "socket") {
            socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ASSERT_LT(path.native().size(), sizeof address.sun_path);
            std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
            ASSERT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            ASSERT_EQ(::listen(socket_, 1), 0);
        } else if (kind == "fifo link") {
            ASSERT_EQ(::mkfifo((root_ / (name + ".fifo")).c_str(), 0600), 0);
            fs::create_symlink(root_ / (name + ".fifo"), path);
        }
    }

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(root_ / name, std::ios::binary) << bytes;
    }

    fs::path root_;
    int socket_ = -1;
};

const char* const kNoFiles[] = {"fifo", "dev/zero link", "directory", "socket", "fifo link"};

TEST_F(BadFiles, WhatIsNoRegularFileIsRefusedAtOnceByPicturesAndByteFiles) {
    for (std::size_t i = 0; i < std::size(kNoFiles); ++i) {
        const std::string kind = kNoFiles[i];
        SCOPED_TRACE(kind);
        const std::string name = "x" + std::to_string(i);
        Make(kind, name);
        EXPECT_EQ(ErrorNumberWithinWatchdog([&] { frame::LoadPicture("C:\\" + name); }), 75);
        EXPECT_EQ(ErrorNumberWithinWatchdog([&] { frame::OpenForBinary("C:\\" + name, 1); }), 75);
        EXPECT_EQ(ErrorNumberOf([] { frame::FileLength(1); }),
                  frame::errors::BadFileNameOrNumber);  // nothing stays open
        if (socket_ >= 0) ::close(std::exchange(socket_, -1));
    }
}

TEST_F(BadFiles, AFileTooLongForItsLengthFailsAtTheOpenBeforeAnythingIsRead) {
    // Sparse: it takes no disk, and reading it whole would take 2 GiB of memory.
    const fs::path big = root_ / "big.wav";
    { std::ofstream(big, std::ios::binary) << "RIFF"; }
    fs::resize_file(big, std::uintmax_t{1} << 31);
    EXPECT_EQ(ErrorNumberWithinWatchdog([] { frame::OpenForBinary("C:\\big.wav", 1); }), frame::errors::Overflow);
    EXPECT_EQ(ErrorNumberWithinWatchdog([] { frame::LoadPicture("C:\\big.wav"); }), frame::errors::InvalidPicture);
}

TEST_F(BadFiles, TheLengthIsTakenAtTheOpenAndNothingPastItIsRead) {
    Write("grows.bin", "abcd");
    frame::OpenForBinary("C:\\grows.bin", 1);
    { std::ofstream(root_ / "grows.bin", std::ios::binary | std::ios::app) << "efgh"; }
    EXPECT_EQ(frame::FileLength(1), 4);
    std::vector<std::uint8_t> data(8, 0xEE);
    frame::GetBytes(1, data);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 0, 0, 0, 0}));
    frame::CloseFile(1);

    // A file that shrinks after the open gives what is left, the rest of the array zero.
    Write("shrinks.bin", "abcdefgh");
    frame::OpenForBinary("C:\\shrinks.bin", 2);
    fs::resize_file(root_ / "shrinks.bin", 3);
    std::vector<std::uint8_t> rest(static_cast<std::size_t>(frame::FileLength(2)), 0xEE);
    frame::GetBytes(2, rest);
    EXPECT_EQ(rest, (std::vector<std::uint8_t>{'a', 'b', 'c', 0, 0, 0, 0, 0}));
}

TEST_F(BadFiles, AnUnreadableFileIsAFileErrorAndAMissingOneStillReadsAsEmpty) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    Write("locked.wav", "RIFF");
    fs::permissions(root_ / "locked.wav", fs::perms::none);
    EXPECT_EQ(ErrorNumberOf([] { frame::OpenForBinary("C:\\locked.wav", 1); }), 75);
    frame::OpenForBinary("C:\\missing.wav", 1);
    EXPECT_EQ(frame::FileLength(1), 0);
}

TEST(ByteArrays, TheLayerKnowsTheLengthOfEachArrayHandedOut) {
    std::vector<std::uint8_t> array(100);
    std::uint8_t* first = frame::FirstElement(array);
    EXPECT_EQ(platform::KnownBytesFrom(first), 100u);
    EXPECT_EQ(platform::KnownBytesFrom(first + 60), 40u);
    EXPECT_EQ(platform::KnownBytesFrom(first + 100), std::nullopt);
    std::uint8_t unknown[4] = {};
    EXPECT_EQ(platform::KnownBytesFrom(unknown), std::nullopt);

    // Memory handed out again: the newer array replaces whatever it overlaps.
    platform::KnowBuffer(first + 10, 5);
    EXPECT_EQ(platform::KnownBytesFrom(first), std::nullopt);
    EXPECT_EQ(platform::KnownBytesFrom(first + 12), 3u);
    frame::FirstElement(array);
    EXPECT_EQ(platform::KnownBytesFrom(first + 12), 88u);
    platform::KnowBuffer(first, 0);
    EXPECT_EQ(platform::KnownBytesFrom(first), std::nullopt);

    // The record stays small: the oldest arrays are forgotten first, the newest kept.
    std::vector<std::vector<std::uint8_t>> many(200, std::vector<std::uint8_t>(8));
    for (auto& each : many) frame::FirstElement(each);
    EXPECT_EQ(platform::KnownBytesFrom(many.front().data()), std::nullopt);
    EXPECT_EQ(platform::KnownBytesFrom(many.back().data()), 8u);
}

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(ArrivalText, ACharacterSplitAcrossPiecesShowsWhole) {
    struct Case {
        std::vector<const char*> pieces;
        std::string shown;  // everything the pieces give, Rest() included
    };
    const Case cases[] = {
        {{"\x8A", "\xBF\x8E\x9A"}, "漢字"},
        {{"\x93\xFA\x96", "\x7B"}, "日本"},  // 0xFA ends 日 though it could start a character
        {{"\x82\xA0\x82", "\xA2"}, "あい"},
        {{"\x82\xA0", "\x82\xA2"}, "あい"},
        {{"\x82", "", "\xA0"}, "あ"},  // an empty piece keeps the byte waiting
        {{"\x82",
          "\x0A"
          "A"},
         "\xEF\xBF\xBD\nA"},           // no valid second byte: shown as a whole would be
        {{"A\x82"}, "A\xEF\xBF\xBD"},  // a lone first byte at the end: Rest() shows it
        {{"\xFF", "\x82\xA0"},
         "\xEF\xBF\xBD"
         "あ"},                // invalid bytes show as they always did
        {{"\xB1\xB2"}, "ｱｲ"},  // half-width kana are single bytes
    };
    for (const auto& c : cases) {
        frame::ArrivalText text;
        std::string shown;
        for (const char* piece : c.pieces) shown += text.BytesToText(Bytes(piece));
        shown += text.Rest();
        EXPECT_EQ(shown, c.shown) << c.shown;
        EXPECT_EQ(text.Rest(), "");
    }
}

TEST(ArrivalText, AnySplitOfAStreamShowsWhatTheWholeShows) {
    std::string whole;
    for (int i = 0; i < 200; ++i)
        whole += "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x8D\x73 " + std::to_string(i) + " \xB1\r\n";  // 日本語の行 n ｱ
    const std::vector<std::uint8_t> bytes = Bytes(whole);
    const std::string expected = frame::BytesToText(bytes);
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        frame::ArrivalText text;
        std::string shown;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t size = std::min<std::size_t>(bytes.size() - at, 1 + random() % 13);
            shown += text.BytesToText(std::span(bytes).subspan(at, size));
            at += size;
        }
        shown += text.Rest();
        ASSERT_EQ(shown, expected) << "round " << round;
    }
}

}  // namespace
