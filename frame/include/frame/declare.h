// A Windows function as a program declares it: library, entry name and signature. It binds on
// its first call; an entry we do not provide fails that call as a run-time error.
#pragma once

#include <platform/exports.h>

#include <string_view>
#include <typeinfo>

namespace frame {

namespace detail {
[[noreturn]] void RaiseBindFailure(platform::BindFailure failure, std::string_view library, std::string_view entry);
}

template <typename Signature>
class Declare;

template <typename Result, typename... Args>
class Declare<Result(Args...)> {
public:
    constexpr Declare(std::string_view library, std::string_view entry) : library_(library), entry_(entry) {}

    template <typename... CallArgs>
    Result operator()(CallArgs&&... args) const {
        return Bound()(static_cast<Args>(std::forward<CallArgs>(args))...);
    }

private:
    using Function = Result (*)(Args...);

    Function Bound() const {
        if (function_ == nullptr) {
            const auto found = platform::FindExport(library_, entry_, typeid(Result(Args...)));
            if (found.failure != platform::BindFailure::None) detail::RaiseBindFailure(found.failure, library_, entry_);
            function_ = reinterpret_cast<Function>(found.function);
        }
        return function_;
    }

    std::string_view library_;
    std::string_view entry_;
    mutable Function function_ = nullptr;
};

}  // namespace frame
