// The channel planes and the raster-op adder behind blendview's two buttons.
#pragma once

#include <win32/api.h>

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
