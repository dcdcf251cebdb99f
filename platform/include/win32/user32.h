// USER structures, messages and values the suite uses.
#pragma once

#include <cstddef>

#include "types.h"

inline constexpr int CCHDEVICENAME = 32;
inline constexpr int CCHFORMNAME = 32;

// The 124-byte form that ends with dmDisplayFrequency; every field at its natural boundary.
struct DEVMODEA {
    BYTE dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    short dmOrientation;
    short dmPaperSize;
    short dmPaperLength;
    short dmPaperWidth;
    short dmScale;
    short dmCopies;
    short dmDefaultSource;
    short dmPrintQuality;
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    BYTE dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
};
static_assert(sizeof(DEVMODEA) == 124);
static_assert(offsetof(DEVMODEA, dmSpecVersion) == 32);
static_assert(offsetof(DEVMODEA, dmSize) == 36);
static_assert(offsetof(DEVMODEA, dmDriverExtra) == 38);
static_assert(offsetof(DEVMODEA, dmFields) == 40);
static_assert(offsetof(DEVMODEA, dmOrientation) == 44);
static_assert(offsetof(DEVMODEA, dmCollate) == 68);
static_assert(offsetof(DEVMODEA, dmFormName) == 70);
static_assert(offsetof(DEVMODEA, dmLogPixels) == 102);
static_assert(offsetof(DEVMODEA, dmBitsPerPel) == 104);
static_assert(offsetof(DEVMODEA, dmPelsWidth) == 108);
static_assert(offsetof(DEVMODEA, dmPelsHeight) == 112);
static_assert(offsetof(DEVMODEA, dmDisplayFlags) == 116);
static_assert(offsetof(DEVMODEA, dmDisplayFrequency) == 120);

inline constexpr DWORD DM_BITSPERPEL = 0x00040000;
inline constexpr DWORD DM_PELSWIDTH = 0x00080000;
inline constexpr DWORD DM_PELSHEIGHT = 0x00100000;
inline constexpr DWORD DM_DISPLAYFLAGS = 0x00200000;
inline constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;

inline constexpr DWORD ENUM_CURRENT_SETTINGS = 0xFFFFFFFF;
inline constexpr DWORD ENUM_REGISTRY_SETTINGS = 0xFFFFFFFE;

inline constexpr DWORD CDS_UPDATEREGISTRY = 0x00000001;
inline constexpr DWORD CDS_TEST = 0x00000002;
inline constexpr DWORD CDS_FULLSCREEN = 0x00000004;

inline constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
inline constexpr LONG DISP_CHANGE_RESTART = 1;
inline constexpr LONG DISP_CHANGE_FAILED = -1;
inline constexpr LONG DISP_CHANGE_BADMODE = -2;
inline constexpr LONG DISP_CHANGE_NOTUPDATED = -3;
inline constexpr LONG DISP_CHANGE_BADFLAGS = -4;
inline constexpr LONG DISP_CHANGE_BADPARAM = -5;

// Window long indexes.
inline constexpr int GWL_WNDPROC = -4;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;

// Window styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;

// SetWindowPos.
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;

// Messages.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr UINT WM_USER = 0x0400;

// Hit-test codes.
inline constexpr WPARAM HTCLIENT = 1;
inline constexpr WPARAM HTCAPTION = 2;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
