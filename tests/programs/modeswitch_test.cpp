#include <frame/form.h>
#include <frame/testing.h>

#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
#include <tuple>

#include "program_fixture.h"
#include "user32/display.h"
#include "x_session.h"
#include "xorg_dummy_session.h"

namespace {

using testsupport::RunCommand;

// The one server of this test process (the display layer keeps one X connection per process).
displaytest::XorgDummySession* Server() {
    static auto* server = std::make_unique<displaytest::XorgDummySession>(XORG_DUMMY_CONFIG).release();
    return server;
}

// "1024x768" and its rate from xrandr's view of the screen.
std::string ScreenSize() {
    const auto out = RunCommand({"xrandr", "--current"}).output;
    std::smatch m;
    return std::regex_search(out, m, std::regex("current (\\d+) x (\\d+)")) ? m[1].str() + "x" + m[2].str() : "";
}

// The primary output's modes as xrandr reports them, in the order the layer lists them: by width,
// height, then whole hertz.
std::vector<std::tuple<int, int, int>> XrandrModes() {
    const auto out = RunCommand({"xrandr"}).output;
    std::vector<std::tuple<int, int, int>> modes;
    const auto start = out.find(" connected primary");
    std::istringstream lines(out.substr(out.find('\n', start) + 1));
    std::string line;
    const std::regex size("^\\s+(\\d+)x(\\d+)i?\\s+(.*)$"), rate("([0-9]+\\.[0-9]+)");
    while (std::getline(lines, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, size)) break;
        const std::string rates = m[3].str();
        for (auto it = std::sregex_iterator(rates.begin(), rates.end(), rate); it != std::sregex_iterator(); ++it) {
            modes.emplace_back(std::stoi(m[1].str()), std::stoi(m[2].str()),
                               static_cast<int>(std::lround(std::stod((*it)[1].str()))));
        }
    }
    std::sort(modes.begin(), modes.end());
    modes.erase(std::unique(modes.begin(), modes.end()), modes.end());
    return modes;
}

std::string LabelText(const char* name) {
    return qobject_cast<QLabel*>(frame::testing::Widget(name))->text().toStdString();
}

class Modeswitch : public testsupport::ProgramTest {
protected:
    static void SetUpTestSuite() {
        const std::string why = displaytest::XorgDummySession::Unavailable();
        if (!why.empty()) GTEST_SKIP() << why;
        ASSERT_TRUE(Server()->ok()) << Server()->Diagnostics();
    }
    void SetUp() override {
        if (!Server()->ok()) GTEST_SKIP();
        SetMode(1024, 768, 60);
        ProgramTest::SetUp();
    }
    static void SetMode(DWORD width, DWORD height, DWORD rate) {
        DEVMODEA mode{};
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        mode.dmDisplayFrequency = rate;
        ASSERT_EQ(user32::ChangeDisplaySettingsA(&mode, 0), DISP_CHANGE_SUCCESSFUL);
    }
    static QListWidget* List() { return qobject_cast<QListWidget*>(frame::testing::Widget("List1")); }
    static std::vector<std::string> Items() {
        std::vector<std::string> items;
        for (int i = 0; i < List()->count(); ++i) items.push_back(List()->item(i)->text().toStdString());
        return items;
    }
    // The first item of that size ("800×600").
    static QListWidgetItem* ItemOfSize(const std::string& size) {
        const auto found = List()->findItems(QString::fromStdString(" " + size), Qt::MatchEndsWith);
        return found.isEmpty() ? nullptr : found.front();
    }
    static void Select(const std::string& size) {
        QListWidgetItem* item = ItemOfSize(size);
        ASSERT_NE(item, nullptr) << size;
        List()->scrollToItem(item);
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(item).center());
    }
    static std::string Rate() {
        const auto out = RunCommand({"xrandr", "--current"}).output;
        std::smatch m;
        return std::regex_search(out, m, std::regex("([0-9.]+)\\*")) ? m[1].str() : "";
    }
};

TEST_F(Modeswitch, ShowsTheStateAtStartAndListsEveryModeInOrder) {
    EXPECT_EQ(LabelText("Label2"), "32bitカラー 1024 × 768");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 1024 × 768");
    Click("Command1");
    std::vector<std::string> expected;
    for (const auto& [width, height, rate] : XrandrModes()) {
        expected.push_back("[" + std::to_string(expected.size()) + "] 32bitカラー " + std::to_string(width) + "×" +
                           std::to_string(height));
    }
    ASSERT_GT(expected.size(), 5u);
    EXPECT_EQ(Items(), expected);
    Click("Command1");  // a second listing fills the list afresh
    EXPECT_EQ(Items(), expected);
}

TEST_F(Modeswitch, SwitchesToTheSelectedModeAndBackToTheOneAtTheListing) {
    Click("Command1");
    Select("800×600");
    Click("Command2");
    EXPECT_EQ(ScreenSize(), "800x600");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 800 × 600");
    EXPECT_EQ(LabelText("Label2"), "32bitカラー 1024 × 768");
    Click("Command3");
    EXPECT_EQ(ScreenSize(), "1024x768");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 1024 × 768");
    // Of the two 1024 x 768 modes, the listing kept the last: 75 Hz, not the 60 Hz it started at.
    EXPECT_EQ(Rate().substr(0, 2), "75");
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Modeswitch, DoubleClickingAnItemSwitchesToIt) {
    Click("Command1");
    QListWidgetItem* item = ItemOfSize("1280×1024");
    ASSERT_NE(item, nullptr);
    List()->scrollToItem(item);
    const QPoint at = List()->visualItemRect(item).center();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);  // a double-click's first press selects
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(ScreenSize(), "1280x1024");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 1280 × 1024");
}

TEST_F(Modeswitch, RestoringBeforeAnyListingChangesNothingAndSaysNothing) {
    Click("Command3");
    EXPECT_EQ(ScreenSize(), "1024x768");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 1024 × 768");
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Modeswitch, SwitchingWithNothingSelectedActsOnTheModeInUse) {
    Click("Command1");
    Click("Command2");
    EXPECT_EQ(ScreenSize(), "1024x768");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 1024 × 768");
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Modeswitch, TheListingComparesWithTheLastReadingNotTheStart) {
    Click("Command1");
    Select("640×480");
    Click("Command2");
    Click("Command1");  // RestoreMode now follows 640 x 480
    Select("800×600");
    Click("Command2");
    Click("Command3");
    EXPECT_EQ(ScreenSize(), "640x480");
}

}  // namespace
