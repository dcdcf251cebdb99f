// The shell's "open": a file or URL handed to the desktop's opener (xdg-open), as the user's
// associated application would be started on Windows.
#pragma once

#include <win32/shell32.h>
#include <win32/user32.h>

namespace shell32 {

// "open" (or a null or empty verb) starts the opener with lpFile, converted from code page 932, as
// its one argument: no shell, nothing trimmed or completed. The opener is xdg-open found on PATH,
// or the program that SUITE_OPENER names. It runs detached (the call returns once it has started,
// and it is never left a zombie), in lpDirectory when one is given.
// A text beginning with '-' that names an existing file in that directory goes as "./-...", so the
// opener cannot read it as an option; any other such text is refused with SE_ERR_FNF.
// Returns 42 when the opener started; SE_ERR_FNF for an empty or refused file, SE_ERR_PNF for a
// directory that does not exist, SE_ERR_NOASSOC for another verb or no opener on PATH.
// lpParameters and nShowCmd are not used: a document takes no parameters and the opener picks
// how its application shows.
HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                        INT nShowCmd);

}  // namespace shell32
