#include "winsock/winsock_control.h"

#include <QHostInfo>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "platform/codepage.h"
#include "winsock/tcp_stream.h"

namespace winsock {
namespace {

constexpr std::chrono::milliseconds kDefaultConnectTimeout{30000};
// How long a closed connection may go on sending what SendData queued before Close.
constexpr int kFinishTimeoutMs = 30000;
// Past this many unread bytes the control stops reading, so TCP slows the peer down.
constexpr std::size_t kReceiveLimit = 8 << 20;

// GetData's type argument: the original's vbByte and vbArray + vbByte.
constexpr std::int32_t kTypeByte = 17;
constexpr std::int32_t kTypeByteArray = 8192 + 17;

[[noreturn]] void Refuse(ErrorNumber number) { throw MakeControlError(number); }

std::int32_t ClampToInt32(std::size_t count) {
    return static_cast<std::int32_t>(std::min<std::size_t>(count, std::numeric_limits<std::int32_t>::max()));
}

// Numbers may come as text, as a late-bound caller converts them; anything else is a type mismatch.
std::int32_t ToInt32(const Variant& value) {
    if (std::holds_alternative<std::monostate>(value)) return 0;
    if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
    if (const auto* text = std::get_if<std::string>(&value)) {
        std::string_view digits(*text);
        while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.front()))) digits.remove_prefix(1);
        while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.back()))) digits.remove_suffix(1);
        if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
        std::int64_t parsed = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
        if (digits.empty() || error == std::errc::invalid_argument || end != digits.data() + digits.size())
            Refuse(ErrorNumber::TypeMismatch);
        if (error == std::errc::result_out_of_range || parsed < std::numeric_limits<std::int32_t>::min() ||
            parsed > std::numeric_limits<std::int32_t>::max())
            Refuse(ErrorNumber::InvalidPropertyValue);
        return static_cast<std::int32_t>(parsed);
    }
    Refuse(ErrorNumber::TypeMismatch);
}

std::int32_t ToPort(const Variant& value) {
    const std::int32_t port = ToInt32(value);
    if (port < 0 || port > 65535) Refuse(ErrorNumber::InvalidPropertyValue);
    return port;
}

// Names under "invalid" never resolve (they are reserved for that); asking the resolver could
// only cost a wait on a name server.
bool IsReservedInvalidName(std::string_view host) {
    std::string name(host);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (!name.empty() && name.back() == '.') name.pop_back();
    return name == "invalid" || (name.size() > 8 && name.ends_with(".invalid"));
}

}  // namespace

WinsockControl::WinsockControl(QObject* parent) : QObject(parent) {
    connectTimer_.setSingleShot(true);
    connectTimer_.setInterval(kDefaultConnectTimeout);
    QObject::connect(&connectTimer_, &QTimer::timeout, this, [this] {
        if (state_ != SocketState::ResolvingHost && state_ != SocketState::HostResolved &&
            state_ != SocketState::Connecting)
            return;
        stream_.reset();
        Fail(ErrorNumber::TimedOut);
    });
}

// A lookup still running is left to finish: Qt drops its answer with this control, and aborting it
// would leak the callback Qt holds for it.
WinsockControl::~WinsockControl() = default;

void WinsockControl::SetConnectTimeout(std::chrono::milliseconds timeout) { connectTimer_.setInterval(timeout); }

Variant WinsockControl::PropertyGet(int dispid) {
    switch (dispid) {
        case RemotePort: return remotePort_;
        case RemoteHost: return remoteHost_;
        case LocalPort:
            if (stream_ && (state_ == SocketState::Connected || state_ == SocketState::Closing))
                return static_cast<std::int32_t>(stream_->LocalPort());
            return localPort_;
        case State: return static_cast<std::int32_t>(state_);
        case BytesReceived: return ClampToInt32(received_.size());
        default: Refuse(ErrorNumber::MemberNotSupported);
    }
}

void WinsockControl::PropertyPut(int dispid, const Variant& value) {
    switch (dispid) {
        case RemoteHost:
            if (const auto* text = std::get_if<std::string>(&value)) {
                remoteHost_ = *text;
            } else if (const auto* number = std::get_if<std::int32_t>(&value)) {
                remoteHost_ = std::to_string(*number);
            } else if (std::holds_alternative<std::monostate>(value)) {
                remoteHost_.clear();
            } else {
                Refuse(ErrorNumber::TypeMismatch);
            }
            return;
        case RemotePort: remotePort_ = ToPort(value); return;
        case LocalPort: {
            const std::int32_t port = ToPort(value);
            if (state_ != SocketState::Closed) Refuse(ErrorNumber::InvalidOperation);
            localPort_ = port;
            return;
        }
        case State:
        case BytesReceived: Refuse(ErrorNumber::PropertyReadOnly);
        default: Refuse(ErrorNumber::MemberNotSupported);
    }
}

Variant WinsockControl::Invoke(int dispid, std::vector<Variant> args) {
    switch (dispid) {
        case Connect: {
            if (args.size() > 2) Refuse(ErrorNumber::WrongArgumentCount);
            if (state_ != SocketState::Closed) Refuse(ErrorNumber::InvalidOperation);
            if (args.size() > 1 && !std::holds_alternative<std::monostate>(args[1])) PropertyPut(RemotePort, args[1]);
            if (!args.empty() && !std::holds_alternative<std::monostate>(args[0])) PropertyPut(RemoteHost, args[0]);
            StartConnect();
            return {};
        }
        case SendData: {
            if (args.size() > 1) Refuse(ErrorNumber::WrongArgumentCount);
            if (args.empty() || std::holds_alternative<std::monostate>(args[0]))
                Refuse(ErrorNumber::ArgumentNotOptional);
            std::string text;
            std::vector<std::uint8_t> number;
            std::span<const std::uint8_t> bytes;
            if (const auto* value = std::get_if<std::string>(&args[0])) {
                text = kernel32::Cp932FromUtf8(*value);
                bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
            } else if (const auto* array = std::get_if<std::vector<std::uint8_t>*>(&args[0])) {
                if (*array == nullptr) Refuse(ErrorNumber::TypeMismatch);
                bytes = **array;
            } else {
                // A Long goes out as its four bytes, low byte first, as the original sent it.
                const auto value = static_cast<std::uint32_t>(std::get<std::int32_t>(args[0]));
                for (int shift = 0; shift < 32; shift += 8) number.push_back(static_cast<std::uint8_t>(value >> shift));
                bytes = number;
            }
            if (state_ != SocketState::Connected) Refuse(ErrorNumber::BadState);
            Send(bytes);
            return {};
        }
        case GetData: {
            if (args.size() > 3) Refuse(ErrorNumber::WrongArgumentCount);
            if (args.empty() || std::holds_alternative<std::monostate>(args[0]))
                Refuse(ErrorNumber::ArgumentNotOptional);
            auto* const* array = std::get_if<std::vector<std::uint8_t>*>(&args[0]);
            if (array == nullptr || *array == nullptr) Refuse(ErrorNumber::TypeMismatch);
            if (args.size() > 1 && !std::holds_alternative<std::monostate>(args[1])) {
                const auto* type = std::get_if<std::int32_t>(&args[1]);
                if (type == nullptr) Refuse(ErrorNumber::TypeMismatch);
                if (*type != kTypeByte && *type != kTypeByteArray) Refuse(ErrorNumber::UnsupportedType);
            }
            std::size_t maxLength = std::numeric_limits<std::size_t>::max();
            if (args.size() > 2 && !std::holds_alternative<std::monostate>(args[2])) {
                const std::int32_t requested = ToInt32(args[2]);
                if (requested < 0) Refuse(ErrorNumber::ArgumentOutOfRange);
                maxLength = static_cast<std::size_t>(requested);
            }
            if (state_ != SocketState::Connected && state_ != SocketState::Closing && state_ != SocketState::Error)
                Refuse(ErrorNumber::BadState);
            Take(**array, maxLength);
            return {};
        }
        case Close:
            if (!args.empty()) Refuse(ErrorNumber::WrongArgumentCount);
            CloseConnection();
            return {};
        default: Refuse(ErrorNumber::MemberNotSupported);
    }
}

void WinsockControl::StartConnect() {
    ++attempt_;
    received_.Clear();
    dataArrivalPending_ = false;
    state_ = SocketState::ResolvingHost;
    connectTimer_.start();
    if (remoteHost_.empty() || IsReservedInvalidName(remoteHost_)) {
        Fail(ErrorNumber::HostNotFound);
        return;
    }
    if (remotePort_ == 0) {
        Fail(ErrorNumber::AddressNotAvailable);
        return;
    }
    const std::uint64_t attempt = attempt_;
    QHostInfo::lookupHost(QString::fromStdString(remoteHost_), this, [this, attempt](const QHostInfo& info) {
        if (attempt != attempt_ || state_ != SocketState::ResolvingHost) return;
        switch (info.error()) {
            case QHostInfo::NoError: break;
            case QHostInfo::HostNotFound: Fail(ErrorNumber::HostNotFound); return;
            default: Fail(ErrorNumber::HostNotFoundTryAgain); return;
        }
        const QList<QHostAddress> found = info.addresses();
        if (found.isEmpty()) {
            Fail(ErrorNumber::NoAddress);
            return;
        }
        OnResolved(std::vector<QHostAddress>(found.begin(), found.end()));
    });
}

void WinsockControl::OnResolved(std::vector<QHostAddress> addresses) {
    state_ = SocketState::HostResolved;
    TcpStream::Handlers handlers;
    handlers.connected = [this] {
        connectTimer_.stop();
        state_ = SocketState::Connected;
        Post([this] { emit ConnectEvent(); });
    };
    handlers.received = [this](std::span<const std::uint8_t> bytes) { OnReceived(bytes); };
    handlers.ended = [this] {
        state_ = SocketState::Closing;
        Post([this] { emit CloseEvent(); });
    };
    handlers.failed = [this](int error) { Fail(ErrorFromErrno(error)); };
    stream_ = std::make_unique<TcpStream>(std::move(handlers));
    state_ = SocketState::Connecting;
    stream_->Start(std::move(addresses), static_cast<std::uint16_t>(remotePort_),
                   static_cast<std::uint16_t>(localPort_));
}

void WinsockControl::OnReceived(std::span<const std::uint8_t> bytes) {
    received_.Append(bytes);
    if (received_.size() >= kReceiveLimit) stream_->SetReading(false);
    // One event stands for every arrival until it is delivered; it reports what waits by then.
    if (dataArrivalPending_) return;
    dataArrivalPending_ = true;
    Post([this] {
        dataArrivalPending_ = false;
        if (received_.empty()) return;
        emit DataArrivalEvent(ClampToInt32(received_.size()));
    });
}

void WinsockControl::Send(std::span<const std::uint8_t> bytes) { stream_->Write(bytes); }

void WinsockControl::Take(std::vector<std::uint8_t>& data, std::size_t maxLength) {
    const auto taken = received_.Front(maxLength);
    data.assign(taken.begin(), taken.end());
    received_.Drop(taken.size());
    if (stream_ && received_.size() < kReceiveLimit) stream_->SetReading(true);
}

void WinsockControl::CloseConnection() {
    if (state_ == SocketState::Closed) return;
    ++attempt_;
    dataArrivalPending_ = false;
    connectTimer_.stop();
    if (stream_ && stream_->HasPendingWrites()) stream_.release()->FinishInBackground(this, kFinishTimeoutMs);
    stream_.reset();
    received_.Clear();
    state_ = SocketState::Closed;
}

void WinsockControl::Fail(ErrorNumber number) {
    connectTimer_.stop();
    state_ = SocketState::Error;
    Post([this, number] { emit ErrorEvent(static_cast<std::int16_t>(number), std::string(ErrorDescription(number))); });
}

void WinsockControl::Post(std::function<void()> delivery) {
    QMetaObject::invokeMethod(
        this,
        [this, attempt = attempt_, delivery = std::move(delivery)] {
            if (attempt == attempt_) delivery();
        },
        Qt::QueuedConnection);
}

}  // namespace winsock
