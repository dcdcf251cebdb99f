#include <frame/form.h>
#include <frame/testing.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

#include "Module1.h"
#include "platform/image_bitmaps.h"
#include "program_fixture.h"
#include "scripted_clock.h"
#include "winmm/time.h"

namespace {

int Half(int v) { return static_cast<int>(std::nearbyint(v / 2.0)); }
int Blend(int a, int b) { return a == 255 && b == 255 ? 255 : Half(a) + Half(b); }

class Blendview : public testsupport::ProgramTest {
protected:
    void TearDown() override {
        winmm::SetClockForTesting(nullptr);
        ProgramTest::TearDown();
    }

    // Puts one picture into a box's off-screen image, as its picture setting would.
    static void SetPixels(const char* box, const std::vector<std::uint32_t>& pixels) {
        auto data = std::make_shared<frame::PictureData>();
        data->width = 200;
        data->height = 200;
        data->pixels.assign(200 * 200, 0x000000);
        std::copy(pixels.begin(), pixels.end(), data->pixels.begin());
        frame::PictureBox(box).setPicture(data);
    }
};

TEST_F(Blendview, WindowIsBuiltAsDescribed) {
    EXPECT_EQ(frame::testing::Widget("Form1")->size(), QSize(430, 425));
    EXPECT_EQ(Caption(), "半透明表示サンプル");
    const std::pair<const char*, QRect> places[] = {
        {"Picture1", {8, 8, 200, 200}},   {"Picture2", {216, 8, 200, 200}}, {"Picture3", {8, 216, 200, 200}},
        {"Command1", {224, 216, 81, 25}}, {"Command2", {320, 216, 81, 25}}, {"Label1", {224, 248, 193, 161}},
    };
    for (const auto& [name, rect] : places) EXPECT_EQ(frame::testing::Widget(name)->geometry(), rect) << name;
    EXPECT_EQ(qobject_cast<QPushButton*>(frame::testing::Widget("Command1"))->text().toStdString(), "初期化");
    EXPECT_EQ(qobject_cast<QPushButton*>(frame::testing::Widget("Command2"))->text().toStdString(), "実行");
    const std::string label = qobject_cast<QLabel*>(frame::testing::Widget("Label1"))->text().toStdString();
    EXPECT_EQ(label,
              "半透明の表示のサンプルをとりあえず作ってみましたが、けっこう遅くて使い物にならないかも(^_^;)\n"
              "ちなみに私の環境\nCPU:PentiumII 300MHz\nGA :3D Blaster Banshee 16M/PCI\nでは\n"
              "初期化所要時間：1228ミリ秒\n作画所要時間：301ミリ秒\nでした。");
    EXPECT_TRUE(Enabled("Command1"));
    EXPECT_FALSE(Enabled("Command2"));
    const QImage result = frame::testing::PictureImage("Picture3");
    EXPECT_EQ(result.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(result.pixel(199, 199) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(Blendview, ButtonsWorkOnceEachInOrderAndTheCaptionCarriesBothReports) {
    testsupport::ScriptClock({1000, 1012, 5000, 5003});
    Click("Command2");  // disabled: nothing happens
    EXPECT_EQ(Caption(), "半透明表示サンプル");
    Click("Command1");
    EXPECT_EQ(Caption(), "半透明表示サンプル　初期化所要時間：12ミリ秒");
    EXPECT_FALSE(Enabled("Command1"));
    EXPECT_TRUE(Enabled("Command2"));
    Click("Command2");
    EXPECT_EQ(Caption(), "半透明表示サンプル　初期化所要時間：12ミリ秒　作画所要時間：3ミリ秒");
    EXPECT_FALSE(Enabled("Command1"));
    EXPECT_FALSE(Enabled("Command2"));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Blendview, ElapsedTimeIsRightAcrossBothWrapsOfTheCounter) {
    struct Case {
        DWORD start, end;
        const char* shown;
    };
    const Case prepare{777, 777, "0"};
    const Case draw{0xFFFFFFFBu, 4, "9"};  // 4294967291 -> 4 across the 32-bit wrap
    testsupport::ScriptClock({prepare.start, prepare.end, draw.start, draw.end});
    Click("Command1");
    Click("Command2");
    EXPECT_EQ(Caption(), std::string("半透明表示サンプル　初期化所要時間：") + prepare.shown +
                             "ミリ秒　作画所要時間：" + draw.shown + "ミリ秒");

    // The signed step, 2147483647 -> 2147483648, no longer stops the program.
    frame::testing::StopProgram();
    frame::testing::StartProgram();
    testsupport::ScriptClock({2147483640u, 2147483655u});
    Click("Command1");
    EXPECT_EQ(Caption(), "半透明表示サンプル　初期化所要時間：15ミリ秒");
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Blendview, BlendOfTheEmbeddedPicturesIsTheSumOfTheHalvesPerChannel) {
    const QImage a = frame::testing::PictureImage("Picture1");
    const QImage b = frame::testing::PictureImage("Picture2");
    Click("Command1");
    Click("Command2");
    const QImage result = frame::testing::PictureImage("Picture3");
    int wrong = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y), pr = result.pixel(x, y);
            const bool ok = qRed(pr) == Blend(qRed(pa), qRed(pb)) && qGreen(pr) == Blend(qGreen(pa), qGreen(pb)) &&
                            qBlue(pr) == Blend(qBlue(pa), qBlue(pb));
            if (!ok && ++wrong < 5) ADD_FAILURE() << "pixel " << x << "," << y;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(Blendview, ChannelSumsFollowTheCarryPasses) {
    struct Case {
        std::uint32_t first, second, blend;  // 0x00RRGGBB
    };
    const Case cases[] = {
        {0xFFFFFF, 0xFFFFFF, 0xFFFFFF},                                  // white + white: the first carry saturates
        {0xFFFFFF, 0x000000, 0x808080},                                  // white + black: h(255) = 128
        {0x000000, 0x000000, 0x000000}, {0x010305, 0x010305, 0x000404},  // identical: 2h(v)
        {0x070000, 0x070000, 0x080000}, {0x650000, 0x330000, 0x4C0000},  // 101 and 51 give 76
        {0x00FE00, 0x000200, 0x008000},                                  // 254 and 2: the carry runs all seven passes
        {0xFF0000, 0x0000FF, 0x800080},                                  // (255,0,0) halves to 128 in red only
        {0x7F7F7F, 0x818181, 0x808080},
    };
    std::vector<std::uint32_t> first, second;
    for (const auto& c : cases) {
        first.push_back(c.first);
        second.push_back(c.second);
    }
    SetPixels("Picture1", first);
    SetPixels("Picture2", second);
    Click("Command1");
    Click("Command2");
    const QImage result = frame::testing::PictureImage("Picture3");
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(result.pixel(static_cast<int>(i), 0) & 0xFFFFFF, cases[i].blend)
            << std::hex << cases[i].first << " + " << cases[i].second;
    }
}

TEST_F(Blendview, PlanesHoldTheHalvedChannelsAfterSetUp) {
    SetPixels("Picture1", {0xFF0000, 0x010101, 0x030303, 0x050505, 0x070707, 0xFEFEFE, 0x808080});
    Click("Command1");
    // Rows are stored bottom-up: the picture's top row is the plane's last row.
    auto topRow = [](int channel, int slot) {
        return static_cast<const std::uint8_t*>(PlaneBits[channel][slot]) + 199 * 200;
    };
    EXPECT_EQ(topRow(0, 0)[0], 128);
    EXPECT_EQ(topRow(1, 0)[0], 0);
    EXPECT_EQ(topRow(2, 0)[0], 0);
    const int halves[] = {0, 2, 2, 4, 127, 64};
    for (int channel = 0; channel < 3; ++channel) {
        for (int i = 0; i < 6; ++i) EXPECT_EQ(topRow(channel, 0)[i + 1], halves[i]) << channel << " " << i;
    }
    EXPECT_EQ(RedHalfInfo.bmiColors[255].rgbRed, 128);
    EXPECT_EQ(RedHalfInfo.bmiColors[255].rgbGreen, 0);
    EXPECT_EQ(GreenDoubleInfo.bmiColors[127].rgbGreen, 254);
    EXPECT_EQ(GreenDoubleInfo.bmiColors[128].rgbGreen, 255);
    EXPECT_EQ(BluePlaneInfo.bmiColors[77].rgbBlue, 77);
    EXPECT_EQ(TemplateInfo.bmiHeader.biHeight, 200);
}

TEST_F(Blendview, ClosingReleasesThePlanesAndEndsNormally) {
    Click("Command1");
    const HBITMAP plane = PlaneBitmaps[2][2];
    ASSERT_TRUE(gdi32::ViewOf(plane));
    frame::testing::CloseWindow();
    EXPECT_FALSE(gdi32::ViewOf(plane));
    EXPECT_EQ(frame::testing::EndedWith(), 0);
    EXPECT_TRUE(messages_.empty());
}

}  // namespace

// Kept outside the fixture: it must run in a fresh process where no set-up ever ran.
TEST(BlendviewFresh, ClosingBeforeSetUpReleasesNothingAndEndsNormally) {
    std::vector<std::string> messages;
    frame::testing::SetMessageBoxHook([&](const std::string&, const std::string& text) { messages.push_back(text); });
    frame::testing::StartProgram();
    frame::testing::CloseWindow();
    EXPECT_EQ(frame::testing::EndedWith(), 0);
    EXPECT_TRUE(messages.empty());
    frame::testing::StopProgram();
}
