// How fast the Winsock control hands a bulk transfer to its program: a loopback peer writes
// 16 MiB in 4 KiB writes; the clock runs from the go signal until GetData, called from
// DataArrival events, has taken the last byte.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <future>

#include "event_log.h"
#include "loopback_peer.h"
#include "platform/codepage.h"
#include "winsock/winsock_control.h"

namespace {

using namespace winsocktest;

constexpr std::size_t kTotal = 16u << 20;
constexpr std::size_t kWriteSize = 4096;

void BM_ReceiveThroughDataArrival(benchmark::State& state) {
    std::vector<std::uint8_t> pattern(kTotal);
    for (std::size_t i = 0; i < kTotal; ++i) pattern[i] = PatternByte(i);
    std::int64_t events = 0;
    qint64 longestGap = 0;

    for (auto _ : state) {
        std::promise<void> go;
        auto goSignal = go.get_future();
        LoopbackPeer peer([&](int& fd, int) {
            goSignal.wait();
            for (std::size_t offset = 0; offset < kTotal; offset += kWriteSize)
                if (!WriteAll(fd, std::span(pattern).subspan(offset, kWriteSize))) return;
            std::string rest;
            ReadUntilClosed(fd, rest, 10000);
        });
        winsock::WinsockControl control;
        EventLog log(control);
        std::size_t received = 0;
        bool intact = true;
        std::vector<std::uint8_t> buffer;
        log.onDataArrival = [&](std::int32_t total) {
            ++events;
            buffer.resize(static_cast<std::size_t>(total));
            control.Invoke(winsock::GetData, {&buffer, std::monostate{}, total});
            intact = intact &&
                     std::equal(buffer.begin(), buffer.end(), pattern.begin() + static_cast<std::ptrdiff_t>(received));
            received += buffer.size();
            log.events.clear();
        };
        control.PropertyPut(winsock::RemoteHost, std::string("127.0.0.1"));
        control.PropertyPut(winsock::RemotePort, std::int32_t{peer.port()});
        control.Invoke(winsock::Connect, {});
        if (!RunUntil([&] { return log.Has("Connect"); })) {
            state.SkipWithError("no connection");
            break;
        }
        // A 10 ms timer stands for the window's own work; its longest wait shows how responsive the loop stays.
        QTimer ticker;
        QElapsedTimer sinceTick;
        QObject::connect(&ticker, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

        QElapsedTimer clock;
        clock.start();
        sinceTick.start();
        ticker.start(10);
        go.set_value();
        const bool done = RunUntil([&] { return received >= kTotal; }, 60000);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        ticker.stop();
        if (!done || !intact || received != kTotal) {
            state.SkipWithError("bytes lost or out of order");
            break;
        }
        control.Invoke(winsock::Close, {});
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
    state.counters["events"] = benchmark::Counter(static_cast<double>(events), benchmark::Counter::kAvgIterations);
    state.counters["longest_gap_ms"] = static_cast<double>(longestGap);
}
BENCHMARK(BM_ReceiveThroughDataArrival)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Each arrival is then decoded on its own; mostly ASCII with some kanji, as a chat would send.
void BM_DecodeCp932(benchmark::State& state) {
    std::string chunk;
    while (chunk.size() < static_cast<std::size_t>(state.range(0)))
        chunk += "Hello \x95\x5C\x8E\xA6\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD \xB1\xB2\r\n";
    chunk.resize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(kernel32::Utf8FromCp932(chunk));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_DecodeCp932)->Arg(4096)->Arg(1 << 20);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
