// The GDI work of the blend demo, call for call: nine 8-bit channel planes with ramp colour tables,
// split and halved from two pictures (12 operations), then per channel a 30-operation adder and a
// composition of the three sums into a 32-bit picture (93 operations). Shared by tests and benchmarks.
#pragma once

#include <cmath>

#include "gdi32/gdi.h"

namespace gditest {

class BlendPlanes {
public:
    // Tables: the plane ramps (entry i has i in the channel), the doubling and the halving tables.
    void Prepare(HDC formDc, HDC dc1, HDC dc2, int width, int height) {
        BITMAPINFO templateInfo{};
        templateInfo.bmiHeader.biSize = 40;
        templateInfo.bmiHeader.biWidth = width;
        templateInfo.bmiHeader.biHeight = height;
        templateInfo.bmiHeader.biPlanes = 1;
        templateInfo.bmiHeader.biBitCount = 8;
        templateInfo.bmiHeader.biCompression = BI_RGB;
        for (int c = 0; c < 3; ++c) {
            plane_[c] = doubling_[c] = halving_[c] = BITMAPINFO{};
            plane_[c].bmiHeader = doubling_[c].bmiHeader = halving_[c].bmiHeader = templateInfo.bmiHeader;
            for (int i = 0; i < 256; ++i) {
                Channel(plane_[c].bmiColors[i], c) = static_cast<BYTE>(i);
                Channel(doubling_[c].bmiColors[i], c) = static_cast<BYTE>(2 * i < 256 ? 2 * i : 255);
                Channel(halving_[c].bmiColors[i], c) = static_cast<BYTE>(std::nearbyint(i / 2.0));
            }
        }
        for (int c = 0; c < 3; ++c)
            for (int s = 0; s < 3; ++s) {
                bitmaps_[c][s] = gdi32::CreateDIBSection(formDc, &plane_[c], DIB_RGB_COLORS, &bits_[c][s], nullptr, 0);
                dcs_[c][s] = gdi32::CreateCompatibleDC(dc1);
                old_[c][s] = gdi32::SelectObject(dcs_[c][s], bitmaps_[c][s]);
            }
        for (int c = 0; c < 3; ++c) {
            gdi32::BitBlt(dcs_[c][0], 0, 0, width, height, dc1, 0, 0, SRCCOPY);
            gdi32::StretchDIBits(dcs_[c][0], 0, 0, width, height, 0, 0, width, height, bits_[c][0], &halving_[c],
                                 DIB_RGB_COLORS, SRCCOPY);
            gdi32::BitBlt(dcs_[c][1], 0, 0, width, height, dc2, 0, 0, SRCCOPY);
            gdi32::StretchDIBits(dcs_[c][1], 0, 0, width, height, 0, 0, width, height, bits_[c][1], &halving_[c],
                                 DIB_RGB_COLORS, SRCCOPY);
        }
    }

    // A, B, T are slots 0, 1, 2; seven carry passes, then the closing exclusive or leaves the sum in B.
    void Add(int c, int width, int height) {
        HDC a = dcs_[c][0], b = dcs_[c][1], t = dcs_[c][2];
        for (int pass = 0; pass < 8; ++pass) {
            HDC x = pass % 2 == 0 ? t : b, y = pass % 2 == 0 ? b : t;
            gdi32::BitBlt(x, 0, 0, width, height, a, 0, 0, SRCCOPY);
            gdi32::BitBlt(x, 0, 0, width, height, y, 0, 0, SRCINVERT);
            if (pass == 7) break;
            gdi32::BitBlt(a, 0, 0, width, height, y, 0, 0, SRCAND);
            gdi32::StretchDIBits(a, 0, 0, width, height, 0, 0, width, height, bits_[c][0], &doubling_[c],
                                 DIB_RGB_COLORS, SRCCOPY);
        }
    }

    void Draw(HDC dc3, int width, int height) {
        for (int c = 0; c < 3; ++c) Add(c, width, height);
        gdi32::BitBlt(dc3, 0, 0, width, height, dcs_[0][1], 0, 0, SRCCOPY);
        gdi32::BitBlt(dc3, 0, 0, width, height, dcs_[1][1], 0, 0, SRCPAINT);
        gdi32::BitBlt(dc3, 0, 0, width, height, dcs_[2][1], 0, 0, SRCPAINT);
    }

    void Release() {
        for (int c = 0; c < 3; ++c)
            for (int s = 0; s < 3; ++s) {
                gdi32::SelectObject(dcs_[c][s], old_[c][s]);
                gdi32::DeleteDC(dcs_[c][s]);
                gdi32::DeleteObject(bitmaps_[c][s]);
            }
    }

    HDC PlaneDc(int c, int s) const { return dcs_[c][s]; }
    std::uint8_t* PlaneBits(int c, int s) const { return static_cast<std::uint8_t*>(bits_[c][s]); }
    const BITMAPINFO& DoublingInfo(int c) const { return doubling_[c]; }

private:
    static BYTE& Channel(RGBQUAD& q, int c) { return c == 0 ? q.rgbRed : c == 1 ? q.rgbGreen : q.rgbBlue; }

    BITMAPINFO plane_[3]{}, doubling_[3]{}, halving_[3]{};
    HBITMAP bitmaps_[3][3]{};
    void* bits_[3][3]{};
    HDC dcs_[3][3]{};
    HGDIOBJ old_[3][3]{};
};

}  // namespace gditest
