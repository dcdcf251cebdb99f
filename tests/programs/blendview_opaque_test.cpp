// A picture box shows its image opaque whatever GDI left in each pixel's fourth byte, and its DC
// keeps those bytes as they were written.
#include <frame/form.h>
#include <frame/testing.h>

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/image_bitmaps.h"

namespace {

class BlendviewOpaque : public ::testing::Test {
protected:
    void SetUp() override { frame::testing::StartProgram(); }
    void TearDown() override { frame::testing::StopProgram(); }
};

// The box as the window system gets it: painted on a fully transparent surface, nothing beneath.
QImage Shown(const char* box) {
    QWidget* widget = frame::testing::Widget(box);
    QImage surface(widget->size(), QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::transparent);
    widget->render(&surface, {}, {}, QWidget::RenderFlags());
    return surface;
}

TEST_F(BlendviewOpaque, PicturesShowOpaqueAndTheirBytesStay) {
    const HBITMAP bitmap = gdi32::CurrentBitmap(frame::PictureBox("Picture1").hDC());
    const auto view = gdi32::ViewOf(bitmap);
    ASSERT_TRUE(view);
    // Fourth bytes as GDI may leave them: 0 from a loaded picture, anything after raster operations.
    const std::uint8_t fourth[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    for (int y = 0; y < view->height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(view->bits + static_cast<std::ptrdiff_t>(y) * view->stride);
        for (int x = 0; x < view->width; ++x) {
            row[x] = (row[x] & 0x00FFFFFFu) | (static_cast<std::uint32_t>(fourth[(x + y) % std::size(fourth)]) << 24);
        }
    }
    std::vector<std::uint8_t> written(view->bits,
                                      view->bits + static_cast<std::ptrdiff_t>(view->height) * view->stride);

    const QImage shown = Shown("Picture1");
    int seeThrough = 0, wrongColour = 0;
    for (int y = 0; y < view->height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(written.data() + static_cast<std::ptrdiff_t>(y) * view->stride);
        for (int x = 0; x < view->width; ++x) {
            const QRgb pixel = shown.pixel(x, y);
            if (qAlpha(pixel) != 255) ++seeThrough;
            if ((pixel & 0x00FFFFFFu) != (row[x] & 0x00FFFFFFu)) ++wrongColour;
        }
    }
    EXPECT_EQ(seeThrough, 0);
    EXPECT_EQ(wrongColour, 0);
    EXPECT_EQ(std::memcmp(written.data(), view->bits, written.size()), 0) << "painting changed the DC's bytes";
}

}  // namespace
