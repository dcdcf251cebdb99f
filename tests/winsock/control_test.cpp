// The Winsock control against real peers on 127.0.0.1.
#include <gtest/gtest.h>

#include <QTimer>

#include <future>
#include <limits>

#include "event_log.h"
#include "loopback_peer.h"
#include "winsock/tcp_stream.h"
#include "winsock/winsock_control.h"

namespace {

using namespace winsocktest;
using winsock::ControlError;
using winsock::SocketState;
using winsock::Variant;
using winsock::WinsockControl;
using Bytes = std::vector<std::uint8_t>;

std::string ToText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// One control with its event log; calls go through here so that an event raised from inside a
// call is caught.
struct Client {
    WinsockControl control;
    EventLog log{control};

    ~Client() { EXPECT_EQ(log.eventsDuringCalls, 0) << "an event came from inside a member call"; }

    Variant Call(int dispid, std::vector<Variant> args = {}) {
        log.insideCall = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{log.insideCall};
        return control.Invoke(dispid, std::move(args));
    }
    void Put(int dispid, Variant value) {
        log.insideCall = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{log.insideCall};
        control.PropertyPut(dispid, value);
    }
    std::int32_t GetNumber(int dispid) { return std::get<std::int32_t>(control.PropertyGet(dispid)); }
    SocketState State() { return static_cast<SocketState>(GetNumber(winsock::State)); }

    void ConnectTo(const std::string& host, std::int32_t port) {
        Put(winsock::RemoteHost, host);
        Put(winsock::RemotePort, port);
        Call(winsock::Connect);
    }
    bool WaitFor(const std::string& kind, int timeoutMs = 5000) {
        return RunUntil([&] { return log.Has(kind); }, timeoutMs);
    }
    Bytes Get(std::vector<Variant> rest = {}) {
        Bytes data(100, 0xEE);  // stale contents the control must replace
        std::vector<Variant> args{&data};
        args.insert(args.end(), rest.begin(), rest.end());
        Call(winsock::GetData, std::move(args));
        return data;
    }
};

template <typename Action>
void ExpectRefused(std::int32_t number, Action action) {
    try {
        action();
        ADD_FAILURE() << "expected error " << number;
    } catch (const ControlError& error) {
        EXPECT_EQ(error.number, number);
        EXPECT_FALSE(error.description.empty());
    }
}

// A port on 127.0.0.1 where nothing listens: bound but never listening, so connects are refused.
struct RefusingPort {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::uint16_t port = 0;
    RefusingPort() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~RefusingPort() { ::close(fd); }
};

// Holds a served connection open until the test is over.
void HoldOpen(const LoopbackPeer& peer, int fd) {
    while (!peer.stopping()) {
        char byte;
        if (WaitReadable(fd, 20) && ::recv(fd, &byte, 1, MSG_PEEK) == 0) return;
    }
}

std::uint16_t PeerPortOf(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

TEST(WinsockControl, ConnectsByAddressAndByNameAndRaisesConnectLater) {
    for (const std::string host : {"127.0.0.1", "localhost"}) {
        SCOPED_TRACE(host);
        std::atomic<int> peerSideOfOurPort{0};
        std::unique_ptr<LoopbackPeer> peer;
        peer = std::make_unique<LoopbackPeer>([&](int& fd, int) {
            peerSideOfOurPort = PeerPortOf(fd);
            HoldOpen(*peer, fd);
        });
        Client client;
        client.ConnectTo(host, peer->port());
        EXPECT_TRUE(client.log.events.empty());
        EXPECT_EQ(client.State(), SocketState::ResolvingHost);
        ASSERT_TRUE(client.WaitFor("Connect"));
        EXPECT_EQ(client.log.Kinds(), std::vector<std::string>{"Connect"});
        EXPECT_EQ(client.State(), SocketState::Connected);
        ASSERT_TRUE(RunUntil([&] { return peerSideOfOurPort != 0; }));
        EXPECT_EQ(client.GetNumber(winsock::LocalPort), peerSideOfOurPort);
        EXPECT_EQ(client.GetNumber(winsock::RemotePort), peer->port());
        EXPECT_EQ(std::get<std::string>(client.control.PropertyGet(winsock::RemoteHost)), host);
    }
}

TEST(WinsockControl, SendDataSendsTextAsCodePage932AndArraysAsTheyAre) {
    struct Case {
        Variant data;
        std::string expected;
    };
    Bytes array{0x00, 0xFF, 0x82, 0x0D, 0x0A};
    const std::vector<Case> cases = {
        {std::string("ABC\r\n"), "ABC\r\n"},
        {std::string("こんにちは"), "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD"},
        {std::string("表示ｱｲ"), "\x95\x5C\x8E\xA6\xB1\xB2"},  // 表 ends in a backslash byte
        {std::string("〜－"), "\x81\x60\x81\x7C"},
        {std::string("\xF0\x9F\x98\x80!"), "?!"},  // no emoji in 932
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {std::string(), ""},
        {&array, std::string("\x00\xFF\x82\r\n", 5)},
        {std::int32_t{0x01020304}, "\x04\x03\x02\x01"},
    };
    std::string expected;
    for (const auto& c : cases) expected += c.expected;

    std::promise<std::string> received;
    auto arrived = received.get_future();
    LoopbackPeer peer([&](int& fd, int) { received.set_value(ReadBytes(fd, expected.size())); });
    Client client;
    client.ConnectTo("127.0.0.1", peer.port());
    ASSERT_TRUE(client.WaitFor("Connect"));
    for (const auto& c : cases) client.Call(winsock::SendData, {c.data});
    ASSERT_TRUE(RunUntil([&] { return arrived.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(arrived.get(), expected);
    EXPECT_EQ(array, (Bytes{0x00, 0xFF, 0x82, 0x0D, 0x0A})) << "the caller's array is left alone";
}

TEST(WinsockControl, GetDataTakesWaitingBytesInOrderAndDataArrivalCountsWhatWaits) {
    std::promise<void> sendMore, closeNow;
    auto sendMoreSignal = sendMore.get_future();
    auto closeSignal = closeNow.get_future();
    LoopbackPeer peer([&](int& fd, int) {
        WriteAll(fd, "0123456789");
        sendMoreSignal.wait_for(std::chrono::seconds(10));
        WriteAll(fd, "abcde");
        closeSignal.wait_for(std::chrono::seconds(10));
    });
    Client client;
    client.ConnectTo("127.0.0.1", peer.port());
    ASSERT_TRUE(client.WaitFor("DataArrival"));
    ASSERT_TRUE(RunUntil([&] { return client.GetNumber(winsock::BytesReceived) == 10; }));
    EXPECT_EQ(client.log.events.back().value, 10);

    EXPECT_EQ(ToText(client.Get({std::monostate{}, std::int32_t{4}})), "0123");
    EXPECT_EQ(client.GetNumber(winsock::BytesReceived), 6);
    // Type arguments for bytes are taken; others are refused before anything is taken.
    ExpectRefused(40018, [&] { client.Get({std::int32_t{8}, std::int32_t{1}}); });
    ExpectRefused(40021, [&] { client.Get({std::monostate{}, std::int32_t{-1}}); });
    EXPECT_EQ(ToText(client.Get({std::int32_t{17}, std::int32_t{1}})), "4");
    EXPECT_EQ(ToText(client.Get({std::int32_t{8192 + 17}, std::int32_t{0}})), "");

    client.log.events.clear();
    sendMore.set_value();
    ASSERT_TRUE(
        RunUntil([&] { return client.GetNumber(winsock::BytesReceived) == 10 && client.log.Has("DataArrival"); }));
    EXPECT_EQ(client.log.events.back().value, 10) << "five old bytes still waiting plus five new";
    EXPECT_EQ(ToText(client.Get({std::monostate{}, std::int32_t{1000}})), "56789abcde");
    EXPECT_EQ(ToText(client.Get()), "") << "nothing waits: the array becomes empty";

    closeNow.set_value();
    ASSERT_TRUE(client.WaitFor("Close"));
    EXPECT_EQ(client.State(), SocketState::Closing);
    ExpectRefused(40006, [&] { client.Call(winsock::SendData, {std::string("late")}); });
    client.Call(winsock::Close);
    EXPECT_EQ(client.State(), SocketState::Closed);
}

TEST(WinsockControl, PeerCloseRaisesDataArrivalThenCloseAndTheBytesStayReadable) {
    LoopbackPeer peer([&](int& fd, int) { WriteAll(fd, "bye\r\n"); });
    Client client;
    client.ConnectTo("127.0.0.1", peer.port());
    ASSERT_TRUE(client.WaitFor("Close"));
    RunFor(50);
    ASSERT_EQ(client.log.Kinds(), (std::vector<std::string>{"Connect", "DataArrival", "Close"}));
    EXPECT_EQ(client.log.events[1].value, 5);
    EXPECT_EQ(client.State(), SocketState::Closing);
    EXPECT_EQ(ToText(client.Get()), "bye\r\n");
    client.Call(winsock::Close);
    EXPECT_EQ(client.State(), SocketState::Closed);
    client.Call(winsock::Close);  // closing twice does nothing
    EXPECT_EQ(client.State(), SocketState::Closed);
}

TEST(WinsockControl, FailedConnectsRaiseErrorAndStayFailedUntilClose) {
    RefusingPort refusing;
    struct Case {
        std::string host;
        std::int32_t port;
        std::int16_t number;
    };
    const std::vector<Case> cases = {
        {"127.0.0.1", refusing.port, 10061},
        {"localhost", refusing.port, 10061},  // every address of the name is tried
        {"nonexistent.invalid", 80, 11001},
        {"", 80, 11001},
        {"127.0.0.1", 0, 10049},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host + ":" + std::to_string(c.port));
        Client client;
        client.ConnectTo(c.host, c.port);
        EXPECT_TRUE(client.log.events.empty());
        ASSERT_TRUE(client.WaitFor("Error"));
        RunFor(20);
        ASSERT_EQ(client.log.events.size(), 1u);
        EXPECT_EQ(client.log.events[0].value, c.number);
        EXPECT_FALSE(client.log.events[0].description.empty());
        EXPECT_EQ(client.State(), SocketState::Error);
        ExpectRefused(40020, [&] { client.Call(winsock::Connect); });
        ExpectRefused(40006, [&] { client.Call(winsock::SendData, {std::string("x")}); });
        EXPECT_TRUE(client.Get().empty());
        client.Call(winsock::Close);
        EXPECT_EQ(client.State(), SocketState::Closed);
    }
}

TEST(WinsockControl, ConnectGivesUpWithTimeout) {
    std::uint16_t port = 0;
    const int listener = ListenOnLoopback(port, 0);
    // A backlog of 0 holds one unaccepted connection; the next one's handshake goes unanswered.
    const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    Client client;
    client.control.SetConnectTimeout(std::chrono::milliseconds(300));
    client.ConnectTo("127.0.0.1", port);
    ASSERT_TRUE(client.WaitFor("Error", 5000));
    EXPECT_EQ(client.log.events[0].value, 10060);
    EXPECT_EQ(client.State(), SocketState::Error);
    client.Call(winsock::Close);
    ::close(filler);
    ::close(listener);
}

TEST(WinsockControl, PortPropertiesTakeZeroTo65535) {
    struct Case {
        Variant value;
        std::int32_t refusal;  // 0: taken
        std::int32_t stored;
    };
    const std::vector<Case> cases = {
        {std::int32_t{0}, 0, 0},
        {std::int32_t{1}, 0, 1},
        {std::int32_t{65535}, 0, 65535},
        {std::string(" 8080 "), 0, 8080},
        {std::int32_t{-1}, 380, 7},
        {std::int32_t{65536}, 380, 7},
        {std::numeric_limits<std::int32_t>::min(), 380, 7},
        {std::numeric_limits<std::int32_t>::max(), 380, 7},
        {std::string("99999999999"), 380, 7},
        {std::string("Text2"), 13, 7},
    };
    for (const int dispid : {winsock::RemotePort, winsock::LocalPort}) {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "dispid " << dispid << " case " << i);
            Client client;
            client.Put(dispid, std::int32_t{7});
            if (cases[i].refusal == 0) {
                client.Put(dispid, cases[i].value);
            } else {
                ExpectRefused(cases[i].refusal, [&] { client.Put(dispid, cases[i].value); });
            }
            EXPECT_EQ(client.GetNumber(dispid), cases[i].stored);
        }
    }
}

TEST(WinsockControl, RefusesCallsTheStateDoesNotAllow) {
    Client client;
    // Closed.
    ExpectRefused(40006, [&] { client.Call(winsock::SendData, {std::string("x")}); });
    ExpectRefused(40006, [&] { client.Get(); });
    client.Call(winsock::Close);
    EXPECT_EQ(client.State(), SocketState::Closed);
    ExpectRefused(383, [&] { client.Put(winsock::State, std::int32_t{7}); });
    ExpectRefused(383, [&] { client.Put(winsock::BytesReceived, std::int32_t{0}); });
    ExpectRefused(438, [&] { client.control.PropertyGet(999); });
    ExpectRefused(438, [&] { client.Call(999); });
    ExpectRefused(449, [&] { client.Call(winsock::SendData); });
    ExpectRefused(449, [&] { client.Call(winsock::GetData); });
    ExpectRefused(13, [&] { client.Call(winsock::GetData, {std::string("not an array")}); });
    ExpectRefused(450, [&] { client.Call(winsock::Connect, {std::monostate{}, std::monostate{}, std::monostate{}}); });
    ExpectRefused(450, [&] { client.Call(winsock::Close, {std::int32_t{1}}); });
    ExpectRefused(13, [&] { client.Put(winsock::RemoteHost, static_cast<Bytes*>(nullptr)); });

    LoopbackPeer peer([&](int& fd, int) { HoldOpen(peer, fd); });
    // Connect's optional arguments set the properties.
    client.Call(winsock::Connect, {std::string("127.0.0.1"), std::int32_t{peer.port()}});
    EXPECT_EQ(client.GetNumber(winsock::RemotePort), peer.port());
    // Resolving or connecting.
    ExpectRefused(40020, [&] { client.Call(winsock::Connect); });
    ExpectRefused(40006, [&] { client.Call(winsock::SendData, {std::string("x")}); });
    ExpectRefused(40006, [&] { client.Get(); });
    ExpectRefused(40020, [&] { client.Put(winsock::LocalPort, std::int32_t{0}); });
    ASSERT_TRUE(client.WaitFor("Connect"));
    // Connected.
    ExpectRefused(40020, [&] { client.Call(winsock::Connect); });
    client.Put(winsock::RemotePort, std::int32_t{1});  // taken, used by the next Connect
    EXPECT_EQ(client.State(), SocketState::Connected);
}

TEST(WinsockControl, ReceivesSixteenMebibytesInOrderWithoutStallingTheLoop) {
    constexpr std::size_t kTotal = 16u << 20;
    LoopbackPeer peer([&](int& fd, int) {
        Bytes block(256 * 1024);
        for (std::size_t offset = 0; offset < kTotal; offset += block.size()) {
            for (std::size_t i = 0; i < block.size(); ++i) block[i] = PatternByte(offset + i);
            if (!WriteAll(fd, block)) return;
        }
        HoldOpen(peer, fd);
    });
    Client client;
    std::size_t received = 0, mismatches = 0;
    int events = 0;
    client.log.onDataArrival = [&](std::int32_t total) {
        ++events;
        Bytes data(static_cast<std::size_t>(total));
        client.control.Invoke(winsock::GetData, {&data, std::monostate{}, total});
        EXPECT_EQ(data.size(), static_cast<std::size_t>(total));
        for (std::size_t i = 0; i < data.size(); ++i) mismatches += data[i] != PatternByte(received + i);
        received += data.size();
        client.log.events.clear();
    };
    // A timer stands for the window: its ticks must keep coming while the bytes pour in.
    QTimer ticker;
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    client.ConnectTo("127.0.0.1", peer.port());
    ASSERT_TRUE(client.WaitFor("Connect"));
    sinceTick.start();
    ticker.start(10);
    ASSERT_TRUE(RunUntil([&] { return received >= kTotal; }, 30000)) << received;
    EXPECT_EQ(received, kTotal);
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(client.GetNumber(winsock::BytesReceived), 0);
    EXPECT_LT(longestGap, 1000);
    RecordProperty("DataArrivalEvents", events);
    RecordProperty("LongestTimerGapMs", static_cast<int>(longestGap));
}

TEST(WinsockControl, UnreadBytesAreHeldBackAndNothingIsLost) {
    // The program reads nothing for a while: the control stops reading past its limit and the
    // peer waits; once GetData drains the queue everything arrives.
    constexpr std::size_t kTotal = 24u << 20;
    LoopbackPeer peer([&](int& fd, int) {
        Bytes block(64 * 1024);
        for (std::size_t offset = 0; offset < kTotal; offset += block.size()) {
            for (std::size_t i = 0; i < block.size(); ++i) block[i] = PatternByte(offset + i);
            if (!WriteAll(fd, block)) return;
        }
        HoldOpen(peer, fd);
    });
    Client client;
    client.ConnectTo("127.0.0.1", peer.port());
    ASSERT_TRUE(client.WaitFor("Connect"));
    RunFor(500);
    const auto waiting = static_cast<std::size_t>(client.GetNumber(winsock::BytesReceived));
    EXPECT_LT(waiting, kTotal) << "the queue is bounded";
    std::size_t received = 0, mismatches = 0;
    ASSERT_TRUE(RunUntil(
        [&] {
            const Bytes data = client.Get();
            for (std::size_t i = 0; i < data.size(); ++i) mismatches += data[i] != PatternByte(received + i);
            received += data.size();
            return received >= kTotal;
        },
        30000));
    EXPECT_EQ(received, kTotal);
    EXPECT_EQ(mismatches, 0u);
}

TEST(WinsockControl, ResetByThePeerRaisesError10054) {
    std::promise<void> resetNow;
    auto resetSignal = resetNow.get_future();
    LoopbackPeer peer([&](int& fd, int) {
        resetSignal.wait_for(std::chrono::seconds(10));
        ResetConnection(fd);
    });
    Client client;
    client.ConnectTo("127.0.0.1", peer.port());
    ASSERT_TRUE(client.WaitFor("Connect"));
    resetNow.set_value();
    ASSERT_TRUE(client.WaitFor("Error"));
    EXPECT_EQ(client.log.Kinds(), (std::vector<std::string>{"Connect", "Error"}));
    EXPECT_EQ(client.log.events.back().value, 10054);
    EXPECT_EQ(client.State(), SocketState::Error);
    ExpectRefused(40006, [&] { client.Call(winsock::SendData, {std::string("x")}); });
    ExpectRefused(40020, [&] { client.Call(winsock::Connect); });
    client.Call(winsock::Close);
    EXPECT_EQ(client.State(), SocketState::Closed);
}

TEST(WinsockControl, CloseEndsTheConnectionAndConnectWorksAgain) {
    std::promise<std::string> firstConnection;
    auto firstSaw = firstConnection.get_future();
    LoopbackPeer peer(
        [&](int& fd, int index) {
            if (index == 0) {
                std::string rest;
                firstConnection.set_value(ReadUntilClosed(fd, rest) ? rest : "not closed: " + rest);
            } else {
                WriteAll(fd, "again");
                HoldOpen(peer, fd);
            }
        },
        2);
    Client client;
    client.ConnectTo("127.0.0.1", peer.port());
    ASSERT_TRUE(client.WaitFor("Connect"));
    client.Call(winsock::SendData, {std::string("hello\r\n")});
    client.Call(winsock::Close);
    EXPECT_EQ(client.State(), SocketState::Closed);
    ASSERT_TRUE(RunUntil([&] { return firstSaw.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(firstSaw.get(), "hello\r\n");

    client.log.events.clear();
    client.Call(winsock::Connect);
    ASSERT_TRUE(client.WaitFor("DataArrival"));
    EXPECT_EQ(client.log.Kinds(), (std::vector<std::string>{"Connect", "DataArrival"}));
    EXPECT_EQ(ToText(client.Get()), "again");
}

TEST(WinsockControl, CloseDropsTheAttemptAndEventsNotYetDelivered) {
    LoopbackPeer peer(
        [&](int& fd, int) {
            WriteAll(fd, "unread");
            HoldOpen(peer, fd);
        },
        2);
    Client client;
    client.ConnectTo("localhost", peer.port());
    client.Call(winsock::Close);
    RunFor(200);
    EXPECT_TRUE(client.log.events.empty());
    EXPECT_EQ(client.State(), SocketState::Closed);

    client.Call(winsock::Connect);
    ASSERT_TRUE(client.WaitFor("Connect"));
    ASSERT_TRUE(RunUntil([&] { return client.GetNumber(winsock::BytesReceived) > 0; }));
    const auto delivered = client.log.events.size();
    client.Call(winsock::Close);
    EXPECT_EQ(client.GetNumber(winsock::BytesReceived), 0);
    RunFor(100);
    EXPECT_EQ(client.log.events.size(), delivered) << "nothing of the closed connection arrives after Close";
}

TEST(WinsockControl, LocalPortBindsTheClientSide) {
    std::uint16_t freePort = 0;
    ::close(ListenOnLoopback(freePort));
    std::atomic<int> seenPort{0};
    LoopbackPeer peer([&](int& fd, int) {
        seenPort = PeerPortOf(fd);
        HoldOpen(peer, fd);
    });
    Client client;
    client.Put(winsock::LocalPort, std::int32_t{freePort});
    client.ConnectTo("127.0.0.1", peer.port());
    ASSERT_TRUE(client.WaitFor("Connect"));
    ASSERT_TRUE(RunUntil([&] { return seenPort != 0; }));
    EXPECT_EQ(seenPort, freePort);
    EXPECT_EQ(client.GetNumber(winsock::LocalPort), freePort);
}

TEST(WinsockControl, CloseStillDeliversWhatSendDataQueued) {
    constexpr std::size_t kTotal = 8u << 20;
    std::promise<std::pair<bool, std::string>> result;
    auto outcome = result.get_future();
    LoopbackPeer peer([&](int& fd, int) {
        std::string rest;
        const bool closed = ReadUntilClosed(fd, rest);
        result.set_value({closed, std::move(rest)});
    });
    Client client;
    client.ConnectTo("127.0.0.1", peer.port());
    ASSERT_TRUE(client.WaitFor("Connect"));
    Bytes block(kTotal);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = PatternByte(i);
    client.Call(winsock::SendData, {&block});
    client.Call(winsock::Close);
    EXPECT_EQ(client.State(), SocketState::Closed);
    ASSERT_TRUE(
        RunUntil([&] { return outcome.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 20000));
    const auto [closed, bytes] = outcome.get();
    EXPECT_TRUE(closed);
    ASSERT_EQ(bytes.size(), kTotal);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), block.begin(),
                           [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
}

}  // namespace

namespace {

// A name may stand for several addresses; those that refuse are passed over.
TEST(TcpStream, TriesTheNextAddressWhenOneRefuses) {
    using namespace winsocktest;
    RefusingPort refusing;
    LoopbackPeer peer([&](int& fd, int) { HoldOpen(peer, fd); });
    struct Outcome {
        bool connected = false;
        int error = 0;
    } outcome;
    winsock::TcpStream::Handlers handlers;
    handlers.connected = [&] { outcome.connected = true; };
    handlers.failed = [&](int error) { outcome.error = error; };
    {
        winsock::TcpStream stream(handlers);
        stream.Start({QHostAddress(QHostAddress::LocalHostIPv6), QHostAddress("127.0.0.2"),
                      QHostAddress(QHostAddress::LocalHost)},
                     peer.port(), 0);
        ASSERT_TRUE(RunUntil([&] { return outcome.connected || outcome.error != 0; }));
        EXPECT_TRUE(outcome.connected) << outcome.error;
    }
    outcome = {};
    winsock::TcpStream stream(handlers);
    stream.Start({QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}, refusing.port, 0);
    ASSERT_TRUE(RunUntil([&] { return outcome.connected || outcome.error != 0; }));
    EXPECT_FALSE(outcome.connected);
    EXPECT_NE(outcome.error, 0);
}

}  // namespace
