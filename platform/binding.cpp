#include "platform/exports.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "tables.h"

namespace platform {
namespace {

std::string NormalizedLibrary(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.size() > 4 && lower.ends_with(".dll")) lower.resize(lower.size() - 4);
    return lower;
}

}  // namespace

BindResult FindExport(std::string_view library, std::string_view entry, const std::type_info& signature) {
    const std::array tables = {
        &gdi32::Exports(), &user32::Exports(), &winmm::Exports(), &shell32::Exports(), &kernel32::Exports(),
    };
    const std::string wanted = NormalizedLibrary(library);
    bool libraryFound = false;
    for (const ExportTable* table : tables) {
        if (NormalizedLibrary(table->library) != wanted) continue;
        libraryFound = true;
        for (const Export& e : table->entries) {
            if (e.name != entry) continue;  // entry names are case-sensitive, as GetProcAddress's
            if (*e.signature != signature) return {nullptr, BindFailure::WrongSignature};
            return {e.function, BindFailure::None};
        }
    }
    return {nullptr, libraryFound ? BindFailure::NoEntry : BindFailure::NoLibrary};
}

}  // namespace platform
