// The table through which each of our Windows libraries offers its entries by name.
#pragma once

#include <span>
#include <string_view>
#include <typeinfo>

namespace platform {

using AnyFunction = void (*)();

struct Export {
    std::string_view name;
    AnyFunction function;
    const std::type_info* signature;
};

template <typename Function>
Export MakeExport(std::string_view name, Function* function) {
    return Export{name, reinterpret_cast<AnyFunction>(function), &typeid(Function)};
}

// One library ("gdi32.dll"); a library may be served by several tables, looked through in turn.
struct ExportTable {
    std::string_view library;
    std::span<const Export> entries;
};

enum class BindFailure { None, NoLibrary, NoEntry, WrongSignature };

struct BindResult {
    AnyFunction function = nullptr;
    BindFailure failure = BindFailure::None;
};

// Library names compare without case and with or without ".dll", as LoadLibrary does.
BindResult FindExport(std::string_view library, std::string_view entry, const std::type_info& signature);

}  // namespace platform

#define PLATFORM_EXPORT(function) ::platform::MakeExport(#function, &function)
