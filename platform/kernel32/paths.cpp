#include "platform/paths.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace kernel32 {
namespace fs = std::filesystem;

namespace {

#ifndef SUITE_SOURCE_DRIVE_C
#define SUITE_SOURCE_DRIVE_C "drive_c"
#endif

const fs::path& ExecutableFolder() {
    static const fs::path folder = [] {
        std::error_code error;
        const fs::path exe = fs::read_symlink("/proc/self/exe", error);
        return error ? fs::path() : exe.parent_path();
    }();
    return folder;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (i > start) parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// The entry of `folder` whose name equals `name` without regard to case; the exact name wins, and
// among several others the first in byte order, so the choice does not depend on directory order.
std::optional<std::string> EntryMatching(const fs::path& folder, std::string_view name) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(folder / fs::path(name), error))) return std::string(name);
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    std::optional<std::string> best;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (QString::fromStdString(candidate).compare(wanted, Qt::CaseInsensitive) != 0) continue;
        if (!best || candidate < *best) best = candidate;
    }
    return best;
}

// Joins `parts` below `root`, resolving "." and ".." and the letter case of each existing component.
// `root` empty means the working directory, where leading ".." components are kept.
std::string Resolve(const std::string& root, const std::vector<std::string_view>& parts) {
    std::vector<std::string> resolved;
    std::size_t fixedPrefix = 0;  // leading ".." of a relative path, which cannot be folded away
    for (std::string_view part : parts) {
        if (part == ".") continue;
        if (part == "..") {
            if (resolved.size() > fixedPrefix) {
                resolved.pop_back();
            } else if (root.empty()) {
                resolved.emplace_back("..");
                ++fixedPrefix;
            }
            continue;
        }
        resolved.emplace_back(part);
    }

    fs::path folder = root.empty() ? fs::path() : fs::path(root);
    bool matching = true;  // once a component is missing, nothing below it can exist
    for (std::size_t i = 0; i < resolved.size(); ++i) {
        if (matching && i >= fixedPrefix) {
            if (auto found = EntryMatching(folder, resolved[i])) {
                resolved[i] = *found;
            } else {
                matching = false;
            }
        }
        folder /= resolved[i];
    }

    std::string result = root;
    for (const std::string& part : resolved) {
        if (!result.empty() && result.back() != '/') result += '/';
        result += part;
    }
    return result.empty() ? std::string(".") : result;
}

}  // namespace

std::string DriveCFolder() {
    if (const char* setting = std::getenv("SUITE_DRIVE_C"); setting != nullptr && *setting != '\0') {
        return WithoutTrailingSeparator(setting);
    }
    if (!ExecutableFolder().empty()) {
        const fs::path installed = ExecutableFolder() / ".." / "share" / "multimedia-techniques" / "drive_c";
        std::error_code error;
        if (fs::is_directory(installed, error)) return installed.lexically_normal().string();
    }
    return WithoutTrailingSeparator(SUITE_SOURCE_DRIVE_C);
}

std::string LinuxPathOf(std::string_view windowsPath) {
    std::string root;
    std::string_view rest = windowsPath;
    if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
        const std::string driveC = DriveCFolder();
        root = drive == 'c' ? driveC : (fs::path(driveC).parent_path() / (std::string("drive_") + drive)).string();
        rest.remove_prefix(2);  // "C:name" is taken as "C:\name": the programs keep no current folder per drive
    } else if (!rest.empty() && (rest.front() == '\\' || rest.front() == '/')) {
        root = DriveCFolder();  // rooted without a drive: the current drive, which is always C here
    }
    return Resolve(root, Components(rest));
}

}  // namespace kernel32
