// Error numbers of the Winsock control and their texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error_catalogue.h"
#include "platform/winsock.h"

namespace winsock {

// The numbers keep the values the original control used, so programs that test them still work.
enum class ErrorNumber : std::int32_t {
    // Refusals thrown as ControlError.
    TypeMismatch = platform::errors::TypeMismatch,
    InvalidPropertyValue = platform::errors::InvalidPropertyValue,
    PropertyReadOnly = platform::errors::PropertyReadOnly,
    MemberNotSupported = platform::errors::MemberNotSupported,
    ArgumentNotOptional = platform::errors::ArgumentNotOptional,
    WrongArgumentCount = platform::errors::WrongArgumentCount,
    BadState = platform::errors::SocketBadState,
    UnsupportedType = platform::errors::SocketUnsupportedType,
    InvalidOperation = platform::errors::SocketInvalidOperation,
    ArgumentOutOfRange = platform::errors::SocketArgumentOutOfRange,
    // Failures of the connection, reported by the Error event.
    AccessDenied = platform::errors::SocketAccessDenied,
    InvalidArgument = platform::errors::SocketInvalidArgument,
    TooManySockets = platform::errors::SocketTooManySockets,
    AddressFamilyNotSupported = platform::errors::SocketAddressFamilyNotSupported,
    AddressInUse = platform::errors::SocketAddressInUse,
    AddressNotAvailable = platform::errors::SocketAddressNotAvailable,
    NetworkDown = platform::errors::SocketNetworkDown,
    NetworkUnreachable = platform::errors::SocketNetworkUnreachable,
    ConnectionAborted = platform::errors::SocketConnectionAborted,
    ConnectionReset = platform::errors::SocketConnectionReset,
    NoBufferSpace = platform::errors::SocketNoBufferSpace,
    TimedOut = platform::errors::SocketTimedOut,
    ConnectionRefused = platform::errors::SocketConnectionRefused,
    HostUnreachable = platform::errors::SocketHostUnreachable,
    HostNotFound = platform::errors::SocketHostNotFound,
    HostNotFoundTryAgain = platform::errors::SocketHostNotFoundTryAgain,
    NoAddress = platform::errors::SocketNoAddress,
};

// The Japanese text shown for a number, from the one catalogue.
std::string_view ErrorDescription(ErrorNumber number);

ControlError MakeControlError(ErrorNumber number);

// The Windows Sockets number for a POSIX errno value met while connecting, sending or receiving.
ErrorNumber ErrorFromErrno(int error);

}  // namespace winsock
