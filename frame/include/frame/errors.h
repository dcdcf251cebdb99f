// Run-time errors of the form run time: a number and a Japanese description, as the programs'
// users know them. An error that no handler catches ends the program after a message box.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include <platform/error_catalogue.h>

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

// The numbers the run time and its controls raise, by name; their texts are in one catalogue.
namespace errors = ::platform::errors;

[[noreturn]] void Raise(int number);
[[noreturn]] void Raise(int number, std::string description);
std::string StandardDescription(int number);

// Runs one statement of a handler that ignores its errors: a failing statement is skipped.
void ResumeNext(const std::function<void()>& statement);

}  // namespace frame
