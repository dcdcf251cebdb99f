// Shell values the suite uses.
#pragma once

#include "types.h"

// ShellExecuteA answers a value above 32 on success, one of these at or below 32 on failure.
inline constexpr std::intptr_t SE_ERR_FNF = 2;
inline constexpr std::intptr_t SE_ERR_PNF = 3;
inline constexpr std::intptr_t SE_ERR_ACCESSDENIED = 5;
inline constexpr std::intptr_t SE_ERR_OOM = 8;
inline constexpr std::intptr_t SE_ERR_NOASSOC = 31;
