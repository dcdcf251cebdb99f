// blendview's module: nine 8-bit channel planes with ramp colour tables, halved on the way in,
// added with exclusive-or, and and a doubling redraw, then put together in Picture3.
#include "Module1.h"

#include <cmath>
#include <cstring>

#include <frame/form.h>

namespace {

const frame::Form Form1;

enum Channel { Red = 0, Green = 1, Blue = 2 };

BYTE& ChannelByte(RGBQUAD& entry, int channel) {
    switch (channel) {
        case Red: return entry.rgbRed;
        case Green: return entry.rgbGreen;
        default: return entry.rgbBlue;
    }
}

BITMAPINFO& PlaneInfo(int channel) {
    return channel == Red ? RedPlaneInfo : channel == Green ? GreenPlaneInfo : BluePlaneInfo;
}

BITMAPINFO& HalfInfo(int channel) {
    return channel == Red ? RedHalfInfo : channel == Green ? GreenHalfInfo : BlueHalfInfo;
}

// The caption gains the label and the milliseconds since `start`. The count wraps every 2^32 ms;
// the difference taken modulo 2^32 is the true elapsed time across either wrap.
void ReportElapsed(const char* label, DWORD start) {
    const std::string caption = Form1.caption();
    const DWORD end = timeGetTime();
    const auto elapsed = static_cast<std::int32_t>(end - start);
    Form1.setCaption(caption + label + frame::CStr(elapsed) + "ミリ秒");
}

// One channel's sum: seven carry passes, then the closing exclusive-or leaves it in B.
void AddChannelPlanes(int channel, const BITMAPINFO& doubleInfo, int width, int height) {
    const HDC a = PlaneDCs[channel][0];
    HDC x = PlaneDCs[channel][2];  // T
    HDC y = PlaneDCs[channel][1];  // B
    for (int pass = 1; pass <= 7; ++pass) {
        BitBlt(x, 0, 0, width, height, a, 0, 0, SRCCOPY);
        BitBlt(x, 0, 0, width, height, y, 0, 0, SRCINVERT);
        BitBlt(a, 0, 0, width, height, y, 0, 0, SRCAND);
        StretchDIBits(a, 0, 0, width, height, 0, 0, width, height, PlaneBits[channel][0], &doubleInfo, DIB_RGB_COLORS,
                      SRCCOPY);
        std::swap(x, y);
    }
    BitBlt(x, 0, 0, width, height, a, 0, 0, SRCCOPY);
    BitBlt(x, 0, 0, width, height, y, 0, 0, SRCINVERT);
}

}  // namespace

HBITMAP PlaneBitmaps[3][3];
void* PlaneBits[3][3];
HDC PlaneDCs[3][3];
HGDIOBJ OldBitmaps[3][3];

BITMAPINFO TemplateInfo;
BITMAPINFO RedPlaneInfo, GreenPlaneInfo, BluePlaneInfo;
BITMAPINFO RedDoubleInfo, GreenDoubleInfo, BlueDoubleInfo;
BITMAPINFO RedHalfInfo, GreenHalfInfo, BlueHalfInfo;

void PreparePlanes(HDC pictureDC1, HDC pictureDC2, HDC /*pictureDC3*/, int width, int height) {
    const DWORD start = timeGetTime();

    TemplateInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    TemplateInfo.bmiHeader.biWidth = width;
    TemplateInfo.bmiHeader.biHeight = height;
    TemplateInfo.bmiHeader.biPlanes = 1;
    TemplateInfo.bmiHeader.biBitCount = 8;
    TemplateInfo.bmiHeader.biCompression = BI_RGB;
    TemplateInfo.bmiHeader.biSizeImage = 0;
    TemplateInfo.bmiHeader.biXPelsPerMeter = 0;
    TemplateInfo.bmiHeader.biYPelsPerMeter = 0;
    TemplateInfo.bmiHeader.biClrUsed = 0;
    TemplateInfo.bmiHeader.biClrImportant = 0;

    BITMAPINFO* const records[] = {&RedPlaneInfo,   &GreenPlaneInfo, &BluePlaneInfo, &RedDoubleInfo, &GreenDoubleInfo,
                                   &BlueDoubleInfo, &RedHalfInfo,    &GreenHalfInfo, &BlueHalfInfo};
    for (BITMAPINFO* record : records)
        std::memcpy(&record->bmiHeader, &TemplateInfo.bmiHeader, sizeof(BITMAPINFOHEADER));

    for (int channel = Red; channel <= Blue; ++channel) {
        for (int i = 0; i <= 255; ++i) ChannelByte(PlaneInfo(channel).bmiColors[i], channel) = static_cast<BYTE>(i);
    }
    BITMAPINFO* const doubles[] = {&RedDoubleInfo, &GreenDoubleInfo, &BlueDoubleInfo};
    for (int channel = Red; channel <= Blue; ++channel) {
        for (int i = 0; i <= 255; ++i) {
            ChannelByte(doubles[channel]->bmiColors[i], channel) = static_cast<BYTE>(2 * i < 256 ? 2 * i : 255);
        }
    }
    for (int channel = Red; channel <= Blue; ++channel) {
        for (int i = 0; i <= 255; ++i) {
            // Round half to even, as a conversion of i / 2 to a byte does.
            ChannelByte(HalfInfo(channel).bmiColors[i], channel) = static_cast<BYTE>(std::nearbyint(i / 2.0));
        }
    }

    for (int channel = Red; channel <= Blue; ++channel) {
        for (int slot = 0; slot <= 2; ++slot) {
            PlaneBitmaps[channel][slot] = CreateDIBSection(Form1.hDC(), &PlaneInfo(channel), DIB_RGB_COLORS,
                                                           &PlaneBits[channel][slot], nullptr, 0);
            PlaneDCs[channel][slot] = CreateCompatibleDC(pictureDC1);
            OldBitmaps[channel][slot] = SelectObject(PlaneDCs[channel][slot], PlaneBitmaps[channel][slot]);
        }
    }

    for (int channel = Red; channel <= Blue; ++channel) {
        BitBlt(PlaneDCs[channel][0], 0, 0, width, height, pictureDC1, 0, 0, SRCCOPY);
        StretchDIBits(PlaneDCs[channel][0], 0, 0, width, height, 0, 0, width, height, PlaneBits[channel][0],
                      &HalfInfo(channel), DIB_RGB_COLORS, SRCCOPY);
        BitBlt(PlaneDCs[channel][1], 0, 0, width, height, pictureDC2, 0, 0, SRCCOPY);
        StretchDIBits(PlaneDCs[channel][1], 0, 0, width, height, 0, 0, width, height, PlaneBits[channel][1],
                      &HalfInfo(channel), DIB_RGB_COLORS, SRCCOPY);
    }

    ReportElapsed("　初期化所要時間：", start);
}

void ReleasePlanes() {
    for (int channel = Red; channel <= Blue; ++channel) {
        for (int slot = 0; slot <= 2; ++slot) {
            SelectObject(PlaneDCs[channel][slot], OldBitmaps[channel][slot]);
            DeleteDC(PlaneDCs[channel][slot]);
            DeleteObject(PlaneBitmaps[channel][slot]);
        }
    }
}

void AddRedPlanes(int width, int height) { AddChannelPlanes(Red, RedDoubleInfo, width, height); }
void AddGreenPlanes(int width, int height) { AddChannelPlanes(Green, GreenDoubleInfo, width, height); }
void AddBluePlanes(int width, int height) { AddChannelPlanes(Blue, BlueDoubleInfo, width, height); }

void DrawBlend(HDC /*pictureDC1*/, HDC /*pictureDC2*/, HDC pictureDC3, int width, int height) {
    const DWORD start = timeGetTime();
    AddRedPlanes(width, height);
    AddGreenPlanes(width, height);
    AddBluePlanes(width, height);
    BitBlt(pictureDC3, 0, 0, width, height, PlaneDCs[Red][1], 0, 0, SRCCOPY);
    BitBlt(pictureDC3, 0, 0, width, height, PlaneDCs[Green][1], 0, 0, SRCPAINT);
    BitBlt(pictureDC3, 0, 0, width, height, PlaneDCs[Blue][1], 0, 0, SRCPAINT);
    ReportElapsed("　作画所要時間：", start);
}
