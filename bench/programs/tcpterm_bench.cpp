// tcpterm under load: a loopback peer sends 16 MiB of lines in 4 KiB writes; how long until all of
// it shows in Text4, how long the first and the last MiB took, and what one 4 KiB append costs
// in an empty box and in one that holds 16 MiB.
#include <frame/form.h>
#include <frame/testing.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr qint64 kTotal = 16 * 1024 * 1024;
constexpr qint64 kMiB = 1024 * 1024;

std::string Lines(qint64 size) {
    std::string text;
    for (int i = 0; static_cast<qint64>(text.size()) < size; ++i)
        text += "line " + std::to_string(i) + " abcdefghijklmnopqrstuvwxyz0123456789\r\n";
    text.resize(static_cast<size_t>(size - 2));
    return text + "\r\n";
}

double AppendMicroseconds(const frame::TextBox& box, const std::string& chunk, int count) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        box.setSelStart(box.textLength());
        box.setSelText(chunk);
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1000.0 / count;
}

}  // namespace

int main() {
    frame::testing::SetMessageBoxHook(
        [](const std::string&, const std::string& text) { std::printf("message: %s\n", text.c_str()); });
    frame::testing::StartProgram();
    const frame::TextBox text1("Text1"), text2("Text2"), text4("Text4");
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    std::unique_ptr<QTcpSocket> peer;
    QObject::connect(&server, &QTcpServer::newConnection, [&] { peer.reset(server.nextPendingConnection()); });
    text1.setText("127.0.0.1");
    text2.setText(std::to_string(server.serverPort()));
    QTest::mouseClick(frame::testing::Widget("Check1"), Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return peer && frame::testing::Widget("Command1")->isEnabled(); }, 5000)) {
        std::printf("tcpterm_bench: no connection\n");
        return 1;
    }

    const std::string data = Lines(kTotal);
    const std::int32_t base = text4.textLength();
    QElapsedTimer clock;
    clock.start();
    for (qint64 at = 0; at < kTotal; at += 4096) peer->write(data.data() + at, 4096);
    std::vector<double> reached(17, 0.0);  // ms when each MiB was shown
    while (clock.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 shown = text4.textLength() - base;
        for (qint64 m = 1; m <= 16; ++m) {
            if (reached[m] == 0.0 && shown >= m * kMiB) reached[m] = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        }
        if (shown >= kTotal) break;
    }
    const bool whole = text4.text().ends_with(data.substr(data.size() - 4096));
    std::printf("tcpterm: 16 MiB in 4 KiB writes shown in %.0f ms (%s)\n", reached[16],
                whole ? "all bytes, in order" : "INCOMPLETE");
    std::printf("tcpterm: first MiB %.1f ms, last MiB %.1f ms\n", reached[1], reached[16] - reached[15]);

    const std::string chunk = Lines(4096);
    const double full = AppendMicroseconds(text4, chunk, 256);
    text4.setText("");
    const double empty = AppendMicroseconds(text4, chunk, 256);
    std::printf("tcpterm: one 4 KiB append %.1f us into an empty box, %.1f us into one holding 16 MiB\n", empty, full);
    frame::testing::Shutdown();
    return reached[16] > 0 && whole ? 0 : 1;
}
