#include "winsock/errors.h"

#include <cerrno>

namespace winsock {

std::string_view ErrorDescription(ErrorNumber number) { return platform::ErrorText(static_cast<int>(number)); }

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
