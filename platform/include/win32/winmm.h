// Multimedia structures, messages and values the suite uses.
#pragma once

#include "types.h"

using MMRESULT = UINT;

inline constexpr MMRESULT JOYERR_NOERROR = 0;
inline constexpr MMRESULT JOYERR_PARMS = 165;
inline constexpr MMRESULT JOYERR_NOCANDO = 166;
inline constexpr MMRESULT JOYERR_UNPLUGGED = 167;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

inline constexpr UINT JOYSTICKID1 = 0;
inline constexpr UINT JOYSTICKID2 = 1;

struct JOYINFOEX {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwXpos;
    DWORD dwYpos;
    DWORD dwZpos;
    DWORD dwRpos;
    DWORD dwUpos;
    DWORD dwVpos;
    DWORD dwButtons;
    DWORD dwButtonNumber;
    DWORD dwPOV;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
static_assert(sizeof(JOYINFOEX) == 52);

inline constexpr DWORD JOY_RETURNX = 0x00000001;
inline constexpr DWORD JOY_RETURNY = 0x00000002;
inline constexpr DWORD JOY_RETURNZ = 0x00000004;
inline constexpr DWORD JOY_RETURNR = 0x00000008;
inline constexpr DWORD JOY_RETURNU = 0x00000010;
inline constexpr DWORD JOY_RETURNV = 0x00000020;
inline constexpr DWORD JOY_RETURNPOV = 0x00000040;
inline constexpr DWORD JOY_RETURNBUTTONS = 0x00000080;
inline constexpr DWORD JOY_RETURNALL = 0x000000FF;

inline constexpr DWORD JOY_BUTTON1 = 0x0001;
inline constexpr DWORD JOY_BUTTON2 = 0x0002;
inline constexpr DWORD JOY_BUTTON3 = 0x0004;
inline constexpr DWORD JOY_BUTTON4 = 0x0008;
inline constexpr DWORD JOY_BUTTON1CHG = 0x0100;
inline constexpr DWORD JOY_BUTTON2CHG = 0x0200;
inline constexpr DWORD JOY_BUTTON3CHG = 0x0400;
inline constexpr DWORD JOY_BUTTON4CHG = 0x0800;

inline constexpr DWORD JOY_RETURNRAWDATA = 0x00000100;
inline constexpr DWORD JOY_RETURNPOVCTS = 0x00000200;
inline constexpr DWORD JOY_RETURNCENTERED = 0x00000400;

inline constexpr DWORD JOY_POVCENTERED = 0xFFFF;
inline constexpr DWORD JOY_POVFORWARD = 0;
inline constexpr DWORD JOY_POVRIGHT = 9000;
inline constexpr DWORD JOY_POVBACKWARD = 18000;
inline constexpr DWORD JOY_POVLEFT = 27000;

inline constexpr UINT MM_JOY1MOVE = 0x3A0;
inline constexpr UINT MM_JOY2MOVE = 0x3A1;
inline constexpr UINT MM_JOY1ZMOVE = 0x3A2;
inline constexpr UINT MM_JOY2ZMOVE = 0x3A3;
inline constexpr UINT MM_JOY1BUTTONDOWN = 0x3B5;
inline constexpr UINT MM_JOY2BUTTONDOWN = 0x3B6;
inline constexpr UINT MM_JOY1BUTTONUP = 0x3B7;
inline constexpr UINT MM_JOY2BUTTONUP = 0x3B8;

inline constexpr UINT SND_SYNC = 0x0000;
inline constexpr UINT SND_ASYNC = 0x0001;
inline constexpr UINT SND_NODEFAULT = 0x0002;
inline constexpr UINT SND_MEMORY = 0x0004;
inline constexpr UINT SND_LOOP = 0x0008;
inline constexpr UINT SND_NOSTOP = 0x0010;
