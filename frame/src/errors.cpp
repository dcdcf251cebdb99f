#include "frame/errors.h"

#include "frame/declare.h"

namespace frame {

RuntimeError::RuntimeError(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

std::string StandardDescription(int number) {
    const std::string_view text = platform::ErrorText(number);
    return text.empty() ? "アプリケーション定義またはオブジェクト定義のエラーです。" : std::string(text);
}

void Raise(int number) { throw RuntimeError(number, StandardDescription(number)); }

void Raise(int number, std::string description) { throw RuntimeError(number, std::move(description)); }

void ResumeNext(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const RuntimeError&) {
        // The handler asked to go on with its next statement.
    }
}

namespace detail {

void RaiseBindFailure(platform::BindFailure failure, std::string_view library, std::string_view entry) {
    const std::string lib(library), name(entry);
    switch (failure) {
        case platform::BindFailure::NoLibrary: Raise(errors::DllLoad, "DLL 読み込みのエラーです。(" + lib + ")");
        case platform::BindFailure::WrongSignature:
            Raise(errors::BadDllCallingConvention, "DLL 呼び出し規約が不正です。(" + lib + " の " + name + ")");
        case platform::BindFailure::NoEntry:
        case platform::BindFailure::None: break;
    }
    Raise(errors::DllEntryNotFound, "DLL エントリ ポイント " + name + " が " + lib + " に見つかりません。");
}

}  // namespace detail
}  // namespace frame
