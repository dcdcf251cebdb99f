#include <frame/form.h>
#include <frame/testing.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <memory>

#include "program_fixture.h"

namespace {

const frame::TextBox Text1{"Text1"}, Text2{"Text2"}, Text3{"Text3"}, Text4{"Text4"};
const frame::CheckBox Check1{"Check1"};

class Tcpterm : public testsupport::ProgramTest {
protected:
    Tcpterm() : ProgramTest({.messages = Messages::TitleAndText}) {}
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            peer_.reset(server_.nextPendingConnection());
            QObject::connect(peer_.get(), &QTcpSocket::readyRead, [this] { received_ += peer_->readAll(); });
        });
    }
    void TearDown() override {
        peer_.reset();
        ProgramTest::TearDown();
    }

    static bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
        return QTest::qWaitFor(condition, ms);
    }
    static bool SendEnabled() { return frame::testing::Widget("Command1")->isEnabled(); }
    static void CheckByUser() { Click("Check1"); }

    void ConnectToPeer() {
        Text1.setText("127.0.0.1");
        Text2.setText(std::to_string(server_.serverPort()));
        CheckByUser();
        ASSERT_TRUE(WaitFor([&] { return peer_ != nullptr && SendEnabled(); }));
    }

    QTcpServer server_;
    std::unique_ptr<QTcpSocket> peer_;
    QByteArray received_;
};

TEST_F(Tcpterm, APortThatIsNoNumberIsReportedAndLeavesTheBoxUnchecked) {
    const std::pair<const char*, const char*> cases[] = {
        {"Text2", "tcpterm|エラー 13 :型が一致しません。"},
        {"abc", "tcpterm|エラー 13 :型が一致しません。"},
        {"99999999999", "tcpterm|エラー 6 :オーバーフローしました。"},
        {"65536", "tcpterm|エラー 380 :"},
        {"-1", "tcpterm|エラー 380 :"},
    };
    for (const auto& [port, message] : cases) {
        messages_.clear();
        Text2.setText(port);
        CheckByUser();
        ASSERT_EQ(messages_.size(), 1u) << port;
        EXPECT_EQ(messages_[0].rfind(message, 0), 0u) << messages_[0];
        EXPECT_EQ(Check1.value(), 0) << port;
        EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
    }
    QTest::qWait(100);
    EXPECT_EQ(peer_, nullptr);
    EXPECT_FALSE(SendEnabled());
}

TEST_F(Tcpterm, ConnectsSendsLinesInCodePage932AndKeepsTheLine) {
    EXPECT_FALSE(SendEnabled());
    ConnectToPeer();
    Text3.setText("こんにちは hello");
    Click("Command1");
    Text3.setText("");
    Click("Command1");
    ASSERT_TRUE(WaitFor([&] { return received_.size() >= 20; }));
    EXPECT_EQ(received_.toStdString(), "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD hello\r\n\r\n");
    EXPECT_EQ(Text3.text(), "");
    EXPECT_EQ(Text4.text(), "Text4");  // nothing is echoed
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Tcpterm, ArrivalsAppendAtTheEndDroppingTheUsersSelection) {
    ConnectToPeer();
    auto* edit = qobject_cast<QPlainTextEdit*>(frame::testing::Widget("Text4"));
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(3, QTextCursor::KeepAnchor);  // the user selects "ex"
    edit->setTextCursor(cursor);
    peer_->write("\x93\xFA\x96\x7B<b>\r\nline2");
    ASSERT_TRUE(WaitFor([&] { return Text4.text().size() > 5; }));
    WaitFor([&] { return Text4.text().ends_with("line2"); }, 1000);
    EXPECT_EQ(Text4.text(), "Text4日本<b>\r\nline2");
    EXPECT_FALSE(edit->textCursor().hasSelection());
}

TEST_F(Tcpterm, EveryByteOfALargeStreamIsShownInOrder) {
    ConnectToPeer();
    std::string sent;
    for (int i = 0; sent.size() < 2 * 1024 * 1024; ++i)
        sent += "line " + std::to_string(i) + " abcdefghijklmnopqrstuvwxyz\r\n";
    for (size_t at = 0; at < sent.size(); at += 4096)
        peer_->write(sent.data() + at, static_cast<qint64>(std::min<size_t>(4096, sent.size() - at)));
    const std::string expected = "Text4" + sent;
    ASSERT_TRUE(WaitFor([&] { return Text4.textLength() >= static_cast<std::int32_t>(expected.size()); }, 30000));
    const std::string shown = Text4.text();
    const auto mismatch = std::mismatch(shown.begin(), shown.end(), expected.begin(), expected.end());
    EXPECT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(mismatch.first == shown.end()) << "first difference at " << (mismatch.first - shown.begin()) << ": "
                                               << shown.substr(static_cast<size_t>(mismatch.first - shown.begin()), 40);
}

TEST_F(Tcpterm, ThePeersCloseUnchecksTheBoxAndSendStaysEnabled) {
    ConnectToPeer();
    peer_->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return Check1.value() == 0; }));
    EXPECT_TRUE(SendEnabled());
    EXPECT_TRUE(messages_.empty());
    // Sending now is refused by the control; the program says so and goes on.
    Click("Command1");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].rfind("tcpterm|エラー 40006 :", 0), 0u) << messages_[0];
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
    // A new connection can be made.
    peer_.reset();
    CheckByUser();
    ASSERT_TRUE(WaitFor([&] { return peer_ != nullptr; }));
}

TEST_F(Tcpterm, AnErrorWhileConnectedIsShownAndLeavesTheWindowAsItWas) {
    ConnectToPeer();
    struct linger abort {
        1, 0
    };
    setsockopt(static_cast<int>(peer_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    peer_->abort();
    ASSERT_TRUE(WaitFor([&] { return !messages_.empty(); }));
    EXPECT_EQ(messages_[0].rfind("tcpterm|エラー 10054 :", 0), 0u) << messages_[0];
    EXPECT_EQ(Check1.value(), 1);
    EXPECT_TRUE(SendEnabled());
}

TEST_F(Tcpterm, ARefusedConnectionIsShownAndUncheckingAllowsANewAttempt) {
    const quint16 port = server_.serverPort();
    server_.close();
    Text1.setText("127.0.0.1");
    Text2.setText(std::to_string(port));
    CheckByUser();
    ASSERT_TRUE(WaitFor([&] { return !messages_.empty(); }));
    EXPECT_EQ(messages_[0].rfind("tcpterm|エラー 10061 :", 0), 0u) << messages_[0];
    EXPECT_EQ(Check1.value(), 1);
    EXPECT_FALSE(SendEnabled());
    CheckByUser();  // unchecks: Close
    ASSERT_TRUE(server_.listen(QHostAddress::LocalHost, port));
    CheckByUser();
    ASSERT_TRUE(WaitFor([&] { return peer_ != nullptr && SendEnabled(); }));
}

TEST_F(Tcpterm, AHostThatDoesNotResolveIsAnErrorWithoutFreezingTheWindow) {
    Text1.setText("nonexistent.invalid");
    Text2.setText("80");
    CheckByUser();
    EXPECT_TRUE(messages_.empty());  // the attempt runs on; the window answers meanwhile
    ASSERT_TRUE(WaitFor([&] { return !messages_.empty(); }, 20000));
    EXPECT_EQ(messages_[0].rfind("tcpterm|エラー 11001 :", 0), 0u) << messages_[0];
}

}  // namespace
