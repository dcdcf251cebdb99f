#include "winsock/errors.h"

#include <cerrno>

namespace winsock {

std::string_view ErrorDescription(ErrorNumber number) {
    switch (number) {
        case ErrorNumber::TypeMismatch: return "型が一致しません。";
        case ErrorNumber::InvalidPropertyValue: return "プロパティの値が不正です。";
        case ErrorNumber::PropertyReadOnly: return "プロパティは読み取り専用です。";
        case ErrorNumber::MemberNotSupported:
            return "オブジェクトは、このプロパティまたはメソッドをサポートしていません。";
        case ErrorNumber::ArgumentNotOptional: return "引数は省略できません。";
        case ErrorNumber::WrongArgumentCount: return "引数の数が一致していません。";
        case ErrorNumber::BadState:
            return "要求されたトランザクションまたは要求に対してプロトコルまたは接続の状態が間違っています。";
        case ErrorNumber::UnsupportedType: return "サポートされていないデータ型です。";
        case ErrorNumber::InvalidOperation: return "現在の状態では無効な操作です。";
        case ErrorNumber::ArgumentOutOfRange: return "引数が範囲外です。";
        case ErrorNumber::AccessDenied: return "アクセスが拒否されました。";
        case ErrorNumber::InvalidArgument: return "無効な引数が指定されました。";
        case ErrorNumber::TooManySockets: return "開いているソケットが多すぎます。";
        case ErrorNumber::AddressFamilyNotSupported: return "このアドレス ファミリはサポートされていません。";
        case ErrorNumber::AddressInUse: return "アドレスは既に使用されています。";
        case ErrorNumber::AddressNotAvailable: return "要求されたアドレスは使用できません。";
        case ErrorNumber::NetworkDown: return "ネットワークが停止しています。";
        case ErrorNumber::NetworkUnreachable: return "ネットワークに到達できません。";
        case ErrorNumber::ConnectionAborted: return "接続が中止されました。";
        case ErrorNumber::ConnectionReset: return "接続が相手側によってリセットされました。";
        case ErrorNumber::NoBufferSpace: return "バッファ領域が不足しています。";
        case ErrorNumber::TimedOut: return "接続がタイムアウトしました。";
        case ErrorNumber::ConnectionRefused: return "接続が拒否されました。";
        case ErrorNumber::HostUnreachable: return "ホストに到達できません。";
        case ErrorNumber::HostNotFound: return "ホストが見つかりません。";
        case ErrorNumber::HostNotFoundTryAgain: return "ホストが見つかりません。しばらくしてから再試行してください。";
        case ErrorNumber::NoAddress: return "ホスト名は有効ですが、アドレスが登録されていません。";
    }
    return {};
}

ControlError MakeControlError(ErrorNumber number) {
    return ControlError{static_cast<std::int32_t>(number), std::string(ErrorDescription(number))};
}

ErrorNumber ErrorFromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM: return ErrorNumber::AccessDenied;
        case EMFILE:
        case ENFILE: return ErrorNumber::TooManySockets;
        case EAFNOSUPPORT: return ErrorNumber::AddressFamilyNotSupported;
        case EADDRINUSE: return ErrorNumber::AddressInUse;
        case EADDRNOTAVAIL: return ErrorNumber::AddressNotAvailable;
        case ENETDOWN: return ErrorNumber::NetworkDown;
        case ENETUNREACH: return ErrorNumber::NetworkUnreachable;
        case ECONNABORTED: return ErrorNumber::ConnectionAborted;
        // Writing to a connection the peer has torn down ends in EPIPE where Windows says reset.
        case ECONNRESET:
        case EPIPE: return ErrorNumber::ConnectionReset;
        case ENOBUFS:
        case ENOMEM: return ErrorNumber::NoBufferSpace;
        case ETIMEDOUT: return ErrorNumber::TimedOut;
        case ECONNREFUSED: return ErrorNumber::ConnectionRefused;
        case EHOSTUNREACH:
        case EHOSTDOWN: return ErrorNumber::HostUnreachable;
        default: return ErrorNumber::InvalidArgument;
    }
}

}  // namespace winsock
