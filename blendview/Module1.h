// The channel planes and the raster-op adder behind blendview's two buttons.
#pragma once

#include <frame/declare.h>
#include <win32/api.h>

// The Windows functions this program calls, bound by library and entry name at their first call.
inline const frame::Declare<DWORD()> timeGetTime{"winmm.dll", "timeGetTime"};
inline const frame::Declare<HBITMAP(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD)> CreateDIBSection{
    "gdi32.dll", "CreateDIBSection"};
inline const frame::Declare<HDC(HDC)> CreateCompatibleDC{"gdi32.dll", "CreateCompatibleDC"};
inline const frame::Declare<HGDIOBJ(HDC, HGDIOBJ)> SelectObject{"gdi32.dll", "SelectObject"};
inline const frame::Declare<BOOL(HDC, int, int, int, int, HDC, int, int, DWORD)> BitBlt{"gdi32.dll", "BitBlt"};
inline const frame::Declare<int(HDC, int, int, int, int, int, int, int, int, const void*, const BITMAPINFO*, UINT,
                                DWORD)>
    StretchDIBits{"gdi32.dll", "StretchDIBits"};
inline const frame::Declare<BOOL(HDC)> DeleteDC{"gdi32.dll", "DeleteDC"};
inline const frame::Declare<BOOL(HGDIOBJ)> DeleteObject{"gdi32.dll", "DeleteObject"};

// The five values both buttons pass: the three picture boxes' device contexts and the size.
void PreparePlanes(HDC pictureDC1, HDC pictureDC2, HDC pictureDC3, int width, int height);
void DrawBlend(HDC pictureDC1, HDC pictureDC2, HDC pictureDC3, int width, int height);
void ReleasePlanes();

void AddRedPlanes(int width, int height);
void AddGreenPlanes(int width, int height);
void AddBluePlanes(int width, int height);

// Planes by channel (0 red, 1 green, 2 blue) and slot (0 first picture / carry, 1 second picture /
// sum, 2 work plane).
extern HBITMAP PlaneBitmaps[3][3];
extern void* PlaneBits[3][3];
extern HDC PlaneDCs[3][3];
extern HGDIOBJ OldBitmaps[3][3];

extern BITMAPINFO TemplateInfo;
extern BITMAPINFO RedPlaneInfo, GreenPlaneInfo, BluePlaneInfo;
extern BITMAPINFO RedDoubleInfo, GreenDoubleInfo, BlueDoubleInfo;
extern BITMAPINFO RedHalfInfo, GreenHalfInfo, BlueHalfInfo;
