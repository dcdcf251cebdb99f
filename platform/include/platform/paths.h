// Windows paths as the programs write them, mapped onto the Linux file system.
#pragma once

#include <string>
#include <string_view>

namespace kernel32 {

// Maps a Windows path (UTF-8) to a Linux path.
// - "C:\..." (or "C:/...", "c:...", "\...") lies under the drive C folder: $SUITE_DRIVE_C when set, else
//   <executable's directory>/../share/multimedia-techniques/drive_c when that exists (installed), else the
//   drive_c folder of the source tree.
// - Another drive letter X lies under <drive C folder>/../drive_x.
// - A relative path stays relative to the working directory.
// Both '\' and '/' separate components; "." and ".." are resolved (never above a drive's root). Each
// component that exists on disk under another letter case is replaced by the name on disk, as Windows
// matches names without regard to case; components that match nothing are kept as written.
std::string LinuxPathOf(std::string_view windowsPathUtf8);

// The folder that stands for drive C (no trailing separator).
std::string DriveCFolder();

}  // namespace kernel32
