// Error numbers of the Winsock control and their texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace winsock {

// Refusals of a property or a call come back to the caller as this exception; the form run time
// turns it into one of its run-time errors.
struct ControlError {
    std::int32_t number;
    std::string description;
};

// The numbers keep the values the original control used, so programs that test them still work.
enum class ErrorNumber : std::int32_t {
    // Refusals thrown as ControlError.
    TypeMismatch = 13,
    InvalidPropertyValue = 380,
    PropertyReadOnly = 383,
    MemberNotSupported = 438,
    ArgumentNotOptional = 449,
    WrongArgumentCount = 450,
    BadState = 40006,
    UnsupportedType = 40018,
    InvalidOperation = 40020,
    ArgumentOutOfRange = 40021,
    // Failures of the connection, reported by the Error event.
    AccessDenied = 10013,
    InvalidArgument = 10022,
    TooManySockets = 10024,
    AddressFamilyNotSupported = 10047,
    AddressInUse = 10048,
    AddressNotAvailable = 10049,
    NetworkDown = 10050,
    NetworkUnreachable = 10051,
    ConnectionAborted = 10053,
    ConnectionReset = 10054,
    NoBufferSpace = 10055,
    TimedOut = 10060,
    ConnectionRefused = 10061,
    HostUnreachable = 10065,
    HostNotFound = 11001,
    HostNotFoundTryAgain = 11002,
    NoAddress = 11004,
};

// The Japanese text shown for a number; an empty view for numbers the control never reports.
std::string_view ErrorDescription(ErrorNumber number);

ControlError MakeControlError(ErrorNumber number);

// The Windows Sockets number for a POSIX errno value met while connecting, sending or receiving.
ErrorNumber ErrorFromErrno(int error);

}  // namespace winsock
