#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include "program_fixture.h"
#include "scripted_clock.h"
#include "winmm/time.h"

namespace {

constexpr QRgb White = 0xFFFFFF, Black = 0x000000, Blue = 0x0000FF, Red = 0xFF0000;

QRgb PixelAt(int x, int y) { return frame::testing::PictureImage("Picture1").pixel(x, y) & 0xFFFFFF; }

class Tickplot : public testsupport::ProgramTest {
protected:
    Tickplot() : ProgramTest({.messages = Messages::NoneExpected}) {}
    void TearDown() override {
        winmm::SetClockForTesting(nullptr);
        ProgramTest::TearDown();
    }
    // Lets the timer tick until it asks for `interval` ms, then stops it.
    static void TickUntilInterval(int interval) {
        const frame::Timer timer("Timer1");
        for (int i = 0; i < 500 && timer.interval() < interval; ++i) QTest::qWait(2);
        timer.setEnabled(false);
    }
};

TEST_F(Tickplot, StartDrawsTheGridAndTheDiagonalThenDisablesItself) {
    testsupport::ScriptClock({1000000});
    QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton);
    frame::Timer("Timer1").setEnabled(false);
    EXPECT_FALSE(frame::testing::Widget("Command1")->isEnabled());
    struct Case {
        int x, y;
        QRgb colour;
    };
    const Case cases[] = {
        {250, 500, Black}, {499, 500, Black}, {500, 500, White},  // the bottom line stops short of its end
        {250, 400, Black}, {250, 0, Black},   {0, 0, Black},     {500, 0, Black},  // the diagonal ends short of it
        {500, 250, Black}, {100, 250, Black}, {0, 250, Black},   {50, 50, White},   {0, 500, Blue},
        {250, 250, Blue},  {100, 400, Blue},  {499, 1, Blue},    {320, 150, White},
    };
    for (const auto& c : cases) EXPECT_EQ(PixelAt(c.x, c.y), c.colour) << c.x << "," << c.y;
}

TEST_F(Tickplot, EachTickPlotsTheMeasuredIntervalAndAsksForOneMore) {
    // Tick 1 measures from LastTickTime 0: 500 - 100000 is far outside. Tick 2 waited 7 ms, tick 3 3 ms.
    testsupport::ScriptClock({100000, 100007, 100010});
    QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton);
    TickUntilInterval(4);
    EXPECT_EQ(frame::Timer("Timer1").interval(), 4);
    EXPECT_EQ(PixelAt(2, 493), Red);
    EXPECT_EQ(PixelAt(3, 497), Red);
    int red = 0;
    const QImage image = frame::testing::PictureImage("Picture1");
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) red += (image.pixel(x, y) & 0xFFFFFF) == Red;
    }
    EXPECT_EQ(red, 2);
}

TEST_F(Tickplot, IntervalsAcrossTheCounterWrapsPlotTheirTrueLength) {
    testsupport::ScriptClock({4294967290u, 3u, 2147483645u, 2147483650u});
    QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton);
    TickUntilInterval(5);
    EXPECT_EQ(PixelAt(2, 491), Red);  // 4294967290 -> 3: 9 ms
    EXPECT_EQ(PixelAt(4, 495), Red);  // 2147483645 -> 2147483650: 5 ms
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
}

TEST_F(Tickplot, RealTicksLieOnOrJustAboveTheDiagonal) {
    QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton);
    TickUntilInterval(30);
    int onOrAbove = 0, below = 0;
    const QImage image = frame::testing::PictureImage("Picture1");
    for (int x = 2; x < 30; ++x) {
        for (int y = 0; y <= 500; ++y) {
            if ((image.pixel(x, y) & 0xFFFFFF) != Red) continue;
            (500 - y >= x - 1 ? onOrAbove : below)++;
        }
    }
    // A tick never comes before its interval has passed (a reading of whole milliseconds may
    // show one less).
    EXPECT_GT(onOrAbove, 20);
    EXPECT_EQ(below, 0);
}

}  // namespace
