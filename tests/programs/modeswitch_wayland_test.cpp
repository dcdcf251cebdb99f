// modeswitch on GNOME: mutter nested on Xvfb with three dummy modes, switched through its display
// configuration; and natively on KDE's compositor. Each test runs in its own process with its own
// compositor.
#include <frame/form.h>
#include <frame/testing.h>

#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <memory>

#include "compositor_session.h"

namespace {

using testsupport::MutterSession;

std::string LabelText(const char* name) {
    return qobject_cast<QLabel*>(frame::testing::Widget(name))->text().toStdString();
}

class ModeswitchOnMutter : public ::testing::Test {
protected:
    void Start(int monitors) {
        const std::string why = MutterSession::Unavailable();
        if (!why.empty()) GTEST_SKIP() << why;
        session_ = std::make_unique<MutterSession>(MutterSession::Options{
            .modeSpecs = MutterSession::Options{}.modeSpecs, .monitors = monitors, .scales = ""});
        ASSERT_TRUE(session_->ok()) << session_->Diagnostics();
        frame::testing::SetMessageBoxHook(
            [this](const std::string&, const std::string& text) { messages_.push_back(text); });
        frame::testing::StartProgram();
    }
    void TearDown() override {
        if (session_) frame::testing::StopProgram();
    }
    static void Click(const char* name) { QTest::mouseClick(frame::testing::Widget(name), Qt::LeftButton); }
    static QListWidget* List() { return qobject_cast<QListWidget*>(frame::testing::Widget("List1")); }
    static std::vector<std::string> Items() {
        std::vector<std::string> items;
        for (int i = 0; i < List()->count(); ++i) items.push_back(List()->item(i)->text().toStdString());
        return items;
    }
    static void Select(const std::string& size) {
        const auto found = List()->findItems(QString::fromStdString(" " + size), Qt::MatchEndsWith);
        ASSERT_FALSE(found.isEmpty()) << size;
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(found.front()).center());
    }

    std::unique_ptr<MutterSession> session_;
    std::vector<std::string> messages_;
};

TEST_F(ModeswitchOnMutter, ListsTheMonitorsModesSwitchesItAndBack) {
    Start(1);
    EXPECT_EQ(LabelText("Label2"), "32bitカラー 1280 × 1024");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 1280 × 1024");
    Click("Command1");
    EXPECT_EQ(Items(), (std::vector<std::string>{"[0] 32bitカラー 800×600", "[1] 32bitカラー 1024×768",
                                                 "[2] 32bitカラー 1280×1024"}));
    Select("800×600");
    Click("Command2");
    EXPECT_EQ(session_->CurrentMode(), "800x600");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 800 × 600");
    Click("Command3");
    EXPECT_EQ(session_->CurrentMode(), "1280x1024");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 1280 × 1024");
    EXPECT_EQ(LabelText("Label2"), "32bitカラー 1280 × 1024");
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ModeswitchOnMutter, AModeTheCompositorRefusesGivesNoChange) {
    Start(2);  // a second monitor right of the first: a narrower first one would leave a gap
    Click("Command1");
    Select("800×600");
    Click("Command2");
    EXPECT_EQ(session_->CurrentMode(), "1280x1024");
    EXPECT_EQ(LabelText("Label4"), "32bitカラー 1280 × 1024");
    EXPECT_TRUE(messages_.empty()) << "a refusal is not reported";
}

TEST(ModeswitchOnKwin, StartsNativelyAndStaysWell) {
    const std::string why = testsupport::KwinSession::Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    testsupport::KwinSession session;
    ASSERT_TRUE(session.ok()) << session.Diagnostics();
    std::vector<std::string> env = session.ClientEnvironment();
    env.insert(env.end(), {"QT_QPA_PLATFORM=wayland", "DISPLAY=", "DBUS_SESSION_BUS_ADDRESS="});
    const std::string log = session.dir() + "/modeswitch.log";
    const pid_t program = testsupport::StartLogged({PROGRAM_EXECUTABLE}, env, log);
    ASSERT_GT(program, 0);
    testsupport::SleepMs(3000);
    int status = 0;
    EXPECT_EQ(waitpid(program, &status, WNOHANG), 0) << "it ended: " << testsupport::ReadFile(log);
    testsupport::StopProcess(program);
}

}  // namespace
