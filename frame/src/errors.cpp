#include "frame/errors.h"

#include <map>

#include "frame/declare.h"

namespace frame {

RuntimeError::RuntimeError(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

std::string StandardDescription(int number) {
    static const std::map<int, std::string> texts = {
        {5, "プロシージャの呼び出し、または引数が不正です。"},
        {errors::Overflow, "オーバーフローしました。"},
        {errors::OutOfMemory, "メモリが不足しています。"},
        {errors::SubscriptOutOfRange, "インデックスが有効範囲にありません。"},
        {errors::TypeMismatch, "型が一致しません。"},
        {errors::DllLoad, "DLL 読み込みのエラーです。"},
        {errors::BadDllCallingConvention, "DLL 呼び出し規約が不正です。"},
        {51, "内部エラーです。"},
        {errors::BadFileNameOrNumber, "ファイル名または番号が不正です。"},
        {errors::FileNotFound, "ファイルが見つかりません。"},
        {errors::BadFileMode, "ファイル モードが不正です。"},
        {errors::FileAlreadyOpen, "ファイルは既に開かれています。"},
        {57, "デバイス I/O エラーです。"},
        {62, "ファイルにこれ以上データがありません。"},
        {75, "パス名が無効です。"},
        {errors::ObjectRequired, "オブジェクトが必要です。"},
        {438, "オブジェクトは、このプロパティまたはメソッドをサポートしていません。"},
        {errors::DllEntryNotFound, "DLL エントリ ポイントが見つかりません。"},
        {errors::InvalidPicture, "ピクチャが不正です。"},
    };
    const auto it = texts.find(number);
    return it != texts.end() ? it->second : "アプリケーション定義またはオブジェクト定義のエラーです。";
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
        case platform::BindFailure::NoLibrary:
            Raise(errors::DllLoad, "DLL 読み込みのエラーです。(" + lib + ")");
        case platform::BindFailure::WrongSignature:
            Raise(errors::BadDllCallingConvention, "DLL 呼び出し規約が不正です。(" + lib + " の " + name + ")");
        case platform::BindFailure::NoEntry:
        case platform::BindFailure::None:
            break;
    }
    Raise(errors::DllEntryNotFound, "DLL エントリ ポイント " + name + " が " + lib + " に見つかりません。");
}

}  // namespace detail
}  // namespace frame
