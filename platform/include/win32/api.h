// Everything a program of the suite may name from the Windows SDK, declared by us.
#pragma once

#include "gdi32.h"
#include "kernel32.h"
#include "shell32.h"
#include "types.h"
#include "user32.h"
#include "winmm.h"
