// tcpterm: host in Text1, port in Text2, "接続" connects, "送信" sends Text3 with CR LF, and every
// byte the peer sends lands at the end of Text4.
#include <frame/form.h>
#include <frame/winsock.h>

namespace {

const frame::Winsock Winsock1{"Winsock1"};
const frame::TextBox Text1{"Text1"};  // remote host
const frame::TextBox Text2{"Text2"};  // remote port
const frame::TextBox Text3{"Text3"};  // the line to send
const frame::TextBox Text4{"Text4"};  // what arrived
const frame::CommandButton Command1{"Command1"};
const frame::CheckBox Check1{"Check1"};

std::vector<std::uint8_t> ReceiveBuffer;
// The first byte of a double-byte character that ended the last arrival, shown with its second.
frame::ArrivalText ReceivedText;

// A byte still kept back when the connection ends is shown alone.
void ShowKeptByte() {
    const std::string rest = ReceivedText.Rest();
    if (rest.empty()) return;
    Text4.setSelStart(Text4.textLength());
    Text4.setSelText(rest);
}

// Errors shown the way the control's own are, so the window stays usable.
void ShowError(const frame::RuntimeError& error) {
    frame::MsgBox("エラー " + frame::CStr(error.number()) + " :" + error.description());
}

void Check1_Click() {
    if (Check1.value() != 0) {
        Winsock1.setRemoteHost(Text1.text());
        try {
            Winsock1.setRemotePort(frame::CLng(Text2.text()));
        } catch (const frame::RuntimeError& error) {
            // A port that is no number (or out of range) would end the program: say so and
            // uncheck the box, so that no attempt is pending.
            ShowError(error);
            Check1.setValue(0);
            return;
        }
        Winsock1.Connect();
    } else {
        Winsock1.Close();
        ShowKeptByte();
    }
}

void Winsock1_Connect() { Command1.setEnabled(true); }

void Command1_Click() {
    try {
        Winsock1.SendData(Text3.text() + "\r\n");
    } catch (const frame::RuntimeError& error) {
        // Sending after the connection ended is refused by the control; that must not end the program.
        ShowError(error);
    }
}

void Winsock1_DataArrival(std::int32_t bytesTotal) {
    if (bytesTotal <= 0) return;
    ReceiveBuffer.assign(static_cast<size_t>(bytesTotal), 0);
    Winsock1.GetData(ReceiveBuffer, bytesTotal);
    Text4.setSelStart(Text4.textLength());
    Text4.setSelText(ReceivedText.BytesToText(ReceiveBuffer));
}

// The peer closed: unchecking raises Check1_Click, which closes the control.
void Winsock1_Close() { Check1.setValue(0); }

void Winsock1_Error(std::int16_t Number, std::string& Description, std::int32_t /*Scode*/,
                    const std::string& /*Source*/, const std::string& /*HelpFile*/, std::int32_t /*HelpContext*/,
                    bool& /*CancelDisplay*/) {
    ShowKeptByte();
    frame::MsgBox("エラー " + frame::CStr(Number) + " :" + Description);
}

}  // namespace

// One handler a line, as in every program.
// clang-format off
const frame::Handlers Form1Handlers = {
    {"Check1_Click", Check1_Click},
    {"Winsock1_Connect", Winsock1_Connect},
    {"Command1_Click", Command1_Click},
    {"Winsock1_DataArrival", Winsock1_DataArrival},
    {"Winsock1_Close", Winsock1_Close},
    {"Winsock1_Error", Winsock1_Error},
};
// clang-format on
