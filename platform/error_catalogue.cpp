#include "platform/error_catalogue.h"

#include <algorithm>
#include <array>

namespace platform {
namespace {

struct Entry {
    int number;
    std::string_view text;
};

using namespace errors;

// In number order, so a look-up can halve its way through.
constexpr std::array catalogue = {
    Entry{InvalidProcedureCall, "プロシージャの呼び出し、または引数が不正です。"},
    Entry{Overflow, "オーバーフローしました。"},
    Entry{OutOfMemory, "メモリが不足しています。"},
    Entry{SubscriptOutOfRange, "インデックスが有効範囲にありません。"},
    Entry{TypeMismatch, "型が一致しません。"},
    Entry{DllLoad, "DLL 読み込みのエラーです。"},
    Entry{BadDllCallingConvention, "DLL 呼び出し規約が不正です。"},
    Entry{InternalError, "内部エラーです。"},
    Entry{BadFileNameOrNumber, "ファイル名または番号が不正です。"},
    Entry{FileNotFound, "ファイルが見つかりません。"},
    Entry{BadFileMode, "ファイル モードが不正です。"},
    Entry{FileAlreadyOpen, "ファイルは既に開かれています。"},
    Entry{DeviceIo, "デバイス I/O エラーです。"},
    Entry{InputPastEndOfFile, "ファイルにこれ以上データがありません。"},
    Entry{PathFileAccess, "パス名が無効です。"},
    Entry{InvalidPropertyValue, "プロパティの値が不正です。"},
    Entry{PropertyReadOnly, "プロパティは読み取り専用です。"},
    Entry{ObjectRequired, "オブジェクトが必要です。"},
    Entry{MemberNotSupported, "オブジェクトは、このプロパティまたはメソッドをサポートしていません。"},
    Entry{ArgumentNotOptional, "引数は省略できません。"},
    Entry{WrongArgumentCount, "引数の数が一致していません。"},
    Entry{DllEntryNotFound, "DLL エントリ ポイントが見つかりません。"},
    Entry{InvalidPicture, "ピクチャが不正です。"},
    Entry{SocketAccessDenied, "アクセスが拒否されました。"},
    Entry{SocketInvalidArgument, "無効な引数が指定されました。"},
    Entry{SocketTooManySockets, "開いているソケットが多すぎます。"},
    Entry{SocketAddressFamilyNotSupported, "このアドレス ファミリはサポートされていません。"},
    Entry{SocketAddressInUse, "アドレスは既に使用されています。"},
    Entry{SocketAddressNotAvailable, "要求されたアドレスは使用できません。"},
    Entry{SocketNetworkDown, "ネットワークが停止しています。"},
    Entry{SocketNetworkUnreachable, "ネットワークに到達できません。"},
    Entry{SocketConnectionAborted, "接続が中止されました。"},
    Entry{SocketConnectionReset, "接続が相手側によってリセットされました。"},
    Entry{SocketNoBufferSpace, "バッファ領域が不足しています。"},
    Entry{SocketTimedOut, "接続がタイムアウトしました。"},
    Entry{SocketConnectionRefused, "接続が拒否されました。"},
    Entry{SocketHostUnreachable, "ホストに到達できません。"},
    Entry{SocketHostNotFound, "ホストが見つかりません。"},
    Entry{SocketHostNotFoundTryAgain, "ホストが見つかりません。しばらくしてから再試行してください。"},
    Entry{SocketNoAddress, "ホスト名は有効ですが、アドレスが登録されていません。"},
    Entry{SocketBadState, "要求されたトランザクションまたは要求に対してプロトコルまたは接続の状態が間違っています。"},
    Entry{SocketUnsupportedType, "サポートされていないデータ型です。"},
    Entry{SocketInvalidOperation, "現在の状態では無効な操作です。"},
    Entry{SocketArgumentOutOfRange, "引数が範囲外です。"},
};
static_assert(std::is_sorted(catalogue.begin(), catalogue.end(),
                             [](const Entry& a, const Entry& b) { return a.number < b.number; }));

}  // namespace

std::string_view ErrorText(int number) {
    const auto it = std::lower_bound(catalogue.begin(), catalogue.end(), number,
                                     [](const Entry& entry, int wanted) { return entry.number < wanted; });
    return it != catalogue.end() && it->number == number ? it->text : std::string_view{};
}

}  // namespace platform
