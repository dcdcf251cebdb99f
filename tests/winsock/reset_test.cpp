// A peer that sends and resets at once: everything it sent is delivered before the reset is told,
// whether the control looks at its connection before the data and the reset arrive or after.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "event_log.h"
#include "loopback_peer.h"
#include "winsock/winsock_control.h"

namespace {

using namespace winsocktest;
using winsock::SocketState;
using winsock::Variant;
using winsock::WinsockControl;

constexpr std::size_t kSent = 48 * 1024;
constexpr int kRounds = 20;

TEST(WinsockReset, EveryByteSentBeforeAResetArrivesBeforeTheError) {
    std::vector<std::uint8_t> pattern(kSent);
    for (std::size_t i = 0; i < kSent; ++i) pattern[i] = PatternByte(i);
    LoopbackPeer peer(
        [&](int& fd, int) {
            WriteAll(fd, pattern);
            ResetConnection(fd);
        },
        kRounds);

    WinsockControl control;
    EventLog log(control);
    std::vector<std::uint8_t> received;
    log.onDataArrival = [&](std::int32_t total) {
        std::vector<std::uint8_t> data;
        control.Invoke(winsock::GetData, {Variant(&data), Variant(), Variant(total)});
        received.insert(received.end(), data.begin(), data.end());
    };
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Even rounds let the peer accept, send and reset before the control sees its connect
        // complete; odd rounds run the loop all along.
        const bool late = round % 2 == 0;
        log.events.clear();
        received.clear();
        control.PropertyPut(winsock::RemoteHost, std::string("127.0.0.1"));
        control.PropertyPut(winsock::RemotePort, static_cast<std::int32_t>(peer.port()));
        control.Invoke(winsock::Connect, {});
        if (late) {
            ASSERT_TRUE(RunUntil([&] { return control.CurrentState() == SocketState::Connecting; }));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_TRUE(RunUntil([&] { return log.Has("Error") || log.Has("Close"); }, 10000));
        RunFor(20);  // nothing may follow the error
        EXPECT_EQ(received.size(), kSent);
        EXPECT_TRUE(received == pattern);
        ASSERT_FALSE(log.events.empty());
        EXPECT_EQ(log.events.back().kind, "Error");
        EXPECT_EQ(log.events.back().value, 10054);
        for (std::size_t i = 0; i + 1 < log.events.size(); ++i) {
            EXPECT_TRUE(log.events[i].kind == "Connect" || log.events[i].kind == "DataArrival") << log.events[i].kind;
        }
        control.Invoke(winsock::Close, {});
    }
}

}  // namespace
