// tcpterm against peers that reset at once, split characters across arrivals and flood it: the
// text box holds exactly what was sent, and a reset is told only after everything before it.
#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "loopback_peer.h"

namespace {

using namespace std::chrono_literals;
using winsocktest::LoopbackPeer;

const frame::TextBox Text1{"Text1"}, Text2{"Text2"}, Text4{"Text4"};
const frame::CheckBox Check1{"Check1"};

void NoDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void Pause(std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); }

class TcptermPeer : public ::testing::Test {
protected:
    void SetUp() override {
        frame::testing::SetMessageBoxHook([this](const std::string& title, const std::string& text) {
            messages_.push_back(title + "|" + text);
            shownAtMessage_.push_back(Text4.text());
        });
        frame::testing::StartProgram();
    }
    void TearDown() override { frame::testing::StopProgram(); }

    static bool WaitFor(const std::function<bool()>& condition, int ms = 10000) {
        return QTest::qWaitFor(condition, ms);
    }
    static void ClickCheck1() { QTest::mouseClick(frame::testing::Widget("Check1"), Qt::LeftButton); }
    static void Connect(const LoopbackPeer& peer) {
        Text1.setText("127.0.0.1");
        Text2.setText(std::to_string(peer.port()));
        ClickCheck1();
    }

    std::vector<std::string> messages_;
    std::vector<std::string> shownAtMessage_;  // Text4 when each message box came up
};

// 768 lines of 64 bytes.
std::string Lines48KiB(int round) {
    std::string lines;
    for (int i = 0; i < 768; ++i) {
        char line[65];
        std::snprintf(line, sizeof line, "round %02d line %03d %-42s\r\n", round, i, "abcdefghijklmnopqrstuvwxyz");
        lines += line;
    }
    return lines;
}

TEST_F(TcptermPeer, APeerThatSendsAndResetsAtOnceHasEveryLineShownThenTheReset) {
    constexpr int kRounds = 20;
    LoopbackPeer peer(
        [](int& fd, int round) {
            winsocktest::WriteAll(fd, Lines48KiB(round));
            winsocktest::ResetConnection(fd);
        },
        kRounds);
    std::string expected = "Text4";
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        messages_.clear();
        shownAtMessage_.clear();
        Connect(peer);
        ASSERT_TRUE(WaitFor([&] { return !messages_.empty(); }));
        expected += Lines48KiB(round);
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0].rfind("tcpterm|エラー 10054 :", 0), 0u) << messages_[0];
        EXPECT_EQ(shownAtMessage_[0].size(), expected.size());
        EXPECT_TRUE(shownAtMessage_[0] == expected);
        EXPECT_EQ(Check1.value(), 1);
        ClickCheck1();  // the user unchecks: closed, ready for the next round
        ASSERT_EQ(Check1.value(), 0);
    }
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
}

TEST_F(TcptermPeer, ACharacterSplitAcrossArrivalsShowsWhole) {
    // 漢 (8A BF) split after its first byte, then 字 (8E 9A); then a line whose last byte is the
    // first of a character that never comes, shown alone at the close as before.
    LoopbackPeer peer([](int& fd, int) {
        NoDelay(fd);
        winsocktest::WriteAll(fd, std::string("\x8A"));
        Pause(300ms);
        winsocktest::WriteAll(fd, std::string("\xBF\x8E\x9A"
                                              "A\0B\r\n",
                                              8));
        Pause(300ms);
        winsocktest::WriteAll(fd, std::string("A\x82"));
        Pause(300ms);
    });
    Connect(peer);
    ASSERT_TRUE(WaitFor([&] { return Text4.text().ends_with("\r\n"); }));
    const std::string lineShown = std::string("Text4漢字A\0B\r\n", 16);
    EXPECT_EQ(Text4.text(), lineShown);
    ASSERT_TRUE(WaitFor([&] { return Check1.value() == 0; }));  // the peer closed
    EXPECT_EQ(Text4.text(), lineShown + "A\xEF\xBF\xBD");
    EXPECT_TRUE(messages_.empty());
}

TEST_F(TcptermPeer, FiftyLinesEachSplitInsideACharacterShowRight) {
    const std::string line = "\x8A\xBF\x8E\x9A\x82\xCC\x8D\x73 \x93\xFA\x96\x7B\r\n";  // 漢字の行 日本
    LoopbackPeer peer([&](int& fd, int) {
        NoDelay(fd);
        for (int i = 0; i < 50; ++i) {
            const std::size_t split = 1 + static_cast<std::size_t>(i % 6) * 2;  // always after a first byte
            winsocktest::WriteAll(fd, line.substr(0, split));
            Pause(10ms);
            winsocktest::WriteAll(fd, line.substr(split));
            Pause(5ms);
        }
    });
    Connect(peer);
    std::string expected = "Text4";
    for (int i = 0; i < 50; ++i) expected += "漢字の行 日本\r\n";
    ASSERT_TRUE(WaitFor([&] { return Check1.value() == 0; }));
    EXPECT_EQ(Text4.text(), expected);
}

TEST_F(TcptermPeer, AFloodOfJapaneseLinesInOddSizedWritesShowsExactlyWhatWasSent) {
    std::string sent;
    for (int i = 0; sent.size() < 2 * 1024 * 1024; ++i) {
        sent += "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x8D\x73 " + std::to_string(i) +
                " \xB1\xB2\x83\x4A\x83\x69\r\n";  // 日本語の行 n ｱｲカナ
    }
    LoopbackPeer peer([&](int& fd, int) {
        NoDelay(fd);
        const std::size_t sizes[] = {1, 3, 4093, 7, 1021, 2, 509, 8191, 5, 127};
        std::size_t at = 0;
        for (int n = 0; at < sent.size(); ++n) {
            const std::size_t size = std::min(sent.size() - at, sizes[n % std::size(sizes)]);
            if (!winsocktest::WriteAll(fd, std::span(reinterpret_cast<const std::uint8_t*>(sent.data()) + at, size)))
                return;
            at += size;
        }
    });
    Connect(peer);
    const std::string expected =
        "Text4" + frame::BytesToText(std::span(reinterpret_cast<const std::uint8_t*>(sent.data()), sent.size()));
    ASSERT_TRUE(WaitFor([&] { return Check1.value() == 0; }, 60000));
    const std::string shown = Text4.text();
    const auto mismatch = std::mismatch(shown.begin(), shown.end(), expected.begin(), expected.end());
    EXPECT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(mismatch.first == shown.end()) << "first difference at " << (mismatch.first - shown.begin());
    EXPECT_TRUE(messages_.empty());
}

}  // namespace
