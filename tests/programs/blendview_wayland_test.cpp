// blendview natively on a Wayland compositor (sway, headless) over a magenta desktop: what the
// screen shows of Picture1 is its bitmap, pixel for pixel.
#include <frame/form.h>
#include <frame/testing.h>

#include <QImage>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "compositor_session.h"

namespace {

using testsupport::SwaySession;

// Where `needle` appears whole in `haystack`, and how many of its pixels match there at best.
struct Found {
    QPoint at;
    int matching = 0;
};
Found BestMatch(const QImage& haystack, const QImage& needle) {
    Found best;
    const QImage hay = haystack.convertToFormat(QImage::Format_RGB32);
    const QImage pin = needle.convertToFormat(QImage::Format_RGB32);
    const auto row = [](const QImage& image, int x, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y)) + x; };
    for (int y = 0; y + pin.height() <= hay.height(); ++y) {
        for (int x = 0; x + pin.width() <= hay.width(); ++x) {
            // Candidates share the picture's first row; a candidate is given up once it cannot beat the best.
            const QRgb* first = row(hay, x, y);
            const QRgb* wanted = row(pin, 0, 0);
            int missing = 0;
            for (int u = 0; u < pin.width() && missing < 8; ++u) missing += ((first[u] ^ wanted[u]) & 0xFFFFFFu) != 0;
            if (missing >= 8) continue;
            const int total = pin.width() * pin.height();
            missing = 0;
            for (int v = 0; v < pin.height() && total - missing > best.matching; ++v) {
                const QRgb* a = row(hay, x, y + v);
                const QRgb* b = row(pin, 0, v);
                for (int u = 0; u < pin.width(); ++u) missing += ((a[u] ^ b[u]) & 0xFFFFFFu) != 0;
            }
            if (total - missing > best.matching) best = {QPoint(x, y), total - missing};
        }
    }
    return best;
}

TEST(BlendviewOnWayland, Picture1OnScreenIsItsBitmap) {
    const std::string why = SwaySession::Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    frame::testing::StartProgram();  // in-process (offscreen) for the bitmap itself
    const QImage bitmap = frame::testing::PictureImage("Picture1");
    frame::testing::StopProgram();
    ASSERT_EQ(bitmap.size(), QSize(200, 200));

    SwaySession session(SwaySession::Options{.mode = "1280x1024", .background = "#ff00ff"});
    ASSERT_TRUE(session.ok()) << session.Diagnostics();
    const pid_t program = session.StartNative(PROGRAM_EXECUTABLE, "半透明表示サンプル");
    ASSERT_GT(program, 0) << session.Diagnostics();
    const std::string shot = session.dir() + "/screen.png";
    ASSERT_TRUE(session.Screenshot(shot));
    testsupport::StopProcess(program);

    const QImage screen(QString::fromStdString(shot));
    ASSERT_FALSE(screen.isNull());
    const Found found = BestMatch(screen, bitmap);
    EXPECT_EQ(found.matching, 200 * 200) << "at best at " << found.at.x() << "," << found.at.y();
    // The form around it hides the desktop too.
    int desktop = 0;
    for (int i = 0; i < 200; ++i) desktop += (screen.pixel(found.at + QPoint(i, -4)) & 0xFFFFFFu) == 0xFF00FFu;
    EXPECT_EQ(desktop, 0);
}

}  // namespace
