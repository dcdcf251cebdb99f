// Every error number that the form run time or one of its controls raises, with the Japanese text
// its users know it by. The run time and the controls we provide read the one table behind this.
#pragma once

#include <string_view>

namespace platform::errors {

// Run-time errors.
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int DllLoad = 48;
inline constexpr int BadDllCallingConvention = 49;
inline constexpr int InternalError = 51;
inline constexpr int BadFileNameOrNumber = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int BadFileMode = 54;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int DeviceIo = 57;
inline constexpr int InputPastEndOfFile = 62;
inline constexpr int PathFileAccess = 75;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int PropertyReadOnly = 383;
inline constexpr int ObjectRequired = 424;
inline constexpr int MemberNotSupported = 438;
inline constexpr int ArgumentNotOptional = 449;
inline constexpr int WrongArgumentCount = 450;
inline constexpr int DllEntryNotFound = 453;
inline constexpr int InvalidPicture = 481;

// The Winsock control's refusals of a property or a call.
inline constexpr int SocketBadState = 40006;
inline constexpr int SocketUnsupportedType = 40018;
inline constexpr int SocketInvalidOperation = 40020;
inline constexpr int SocketArgumentOutOfRange = 40021;

// Failures of a connection, with the Windows Sockets numbers its Error event reports.
inline constexpr int SocketAccessDenied = 10013;
inline constexpr int SocketInvalidArgument = 10022;
inline constexpr int SocketTooManySockets = 10024;
inline constexpr int SocketAddressFamilyNotSupported = 10047;
inline constexpr int SocketAddressInUse = 10048;
inline constexpr int SocketAddressNotAvailable = 10049;
inline constexpr int SocketNetworkDown = 10050;
inline constexpr int SocketNetworkUnreachable = 10051;
inline constexpr int SocketConnectionAborted = 10053;
inline constexpr int SocketConnectionReset = 10054;
inline constexpr int SocketNoBufferSpace = 10055;
inline constexpr int SocketTimedOut = 10060;
inline constexpr int SocketConnectionRefused = 10061;
inline constexpr int SocketHostUnreachable = 10065;
inline constexpr int SocketHostNotFound = 11001;
inline constexpr int SocketHostNotFoundTryAgain = 11002;
inline constexpr int SocketNoAddress = 11004;

}  // namespace platform::errors

namespace platform {

// The text of a catalogued number; an empty view for a number nobody raises.
std::string_view ErrorText(int number);

}  // namespace platform
