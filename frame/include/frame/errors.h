// Run-time errors of the form run time: a number and a Japanese description, as the programs'
// users know them. An error that no handler catches ends the program after a message box.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace frame {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, std::string description);
    int number() const { return number_; }
    const std::string& description() const { return description_; }

private:
    int number_;
    std::string description_;
};

// The run time's own errors, with their standard texts.
namespace errors {
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int DllLoad = 48;
inline constexpr int BadDllCallingConvention = 49;
inline constexpr int BadFileNameOrNumber = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int BadFileMode = 54;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int InvalidPicture = 481;
inline constexpr int ObjectRequired = 424;
inline constexpr int DllEntryNotFound = 453;
}  // namespace errors

[[noreturn]] void Raise(int number);
[[noreturn]] void Raise(int number, std::string description);
std::string StandardDescription(int number);

// Runs one statement of a handler that ignores its errors: a failing statement is skipped.
void ResumeNext(const std::function<void()>& statement);

}  // namespace frame
