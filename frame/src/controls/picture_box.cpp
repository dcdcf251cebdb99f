// The off-screen image is a 32-bit top-down DIB selected into the box's own memory DC, so GDI
// calls through hDC and the box's own drawing share one picture.
#include "controls/picture_box.h"

#include <QFile>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <cstdlib>

#include <platform/image_bitmaps.h>

#include "frame/services.h"

namespace frame {

// Shows an image that lives elsewhere (the DIB the GDI layer draws into) at the widget's origin.
class ImageView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    std::function<QImage()> image;
    std::function<void(QMouseEvent*)> onMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override {
        if (onMouseDown) onMouseDown(event);
    }
};

void ImageView::paintEvent(QPaintEvent* event) {
    if (!image) return;
    // The image's fourth byte is whatever GDI left there, and Qt copies it into the window as alpha;
    // a compositor that honours it (Wayland) would show the desktop through. Paint an opaque copy.
    const QImage source = image();
    const QRect area = event->rect() & source.rect();
    if (area.isEmpty()) return;
    QImage shown = source.copy(area);
    for (int y = 0; y < shown.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x) row[x] |= 0xFF000000u;
    }
    QPainter painter(this);
    painter.drawImage(area.topLeft(), shown);
}

namespace {

constexpr EventSpec Events[] = {{"MouseDown", HandlerShape::Mouse}};

class PictureBoxObject : public ControlObject {
public:
    PictureBoxObject(ControlDescription description, ImageView* view, int width, int height, COLORREF background)
        : ControlObject(std::move(description)), view_(view), background_(background) {
        dc_ = gdi32::CreateCompatibleDC(nullptr);
        resizeImage(width, height);
        view_->image = [this] { return image(); };
    }
    ~PictureBoxObject() override {
        if (view_) view_->image = nullptr;
        gdi32::DeleteDC(dc_);
        gdi32::DeleteObject(bitmap_);
    }
    QWidget* widget() const override { return view_; }
    HDC hDC() const { return dc_; }
    ImageView* view() const { return view_; }
    QImage image() const;  // a view over the DIB's bits, no copy
    void setPicture(const PictureData& picture);
    void lineStep(int x, int y, int dx, int dy, COLORREF color);
    void putPixel(int x, int y, COLORREF color);
    COLORREF point(int x, int y) const;

private:
    void resizeImage(int width, int height);

    QPointer<ImageView> view_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    COLORREF background_;
};

// A bordered box draws inside its 2-pixel three-dimensional edge.
int InsetOf(const ControlDescription& row) { return row.settings.border == BorderSetting::None ? 0 : 2; }

std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext& context) {
    auto* view = new ImageView(context.window);
    const QRect rect = PixelRect(row);
    const int inset = InsetOf(row);
    view->setGeometry(rect);
    if (row.settings.disabledAtStart) view->setEnabled(false);
    const COLORREF background = row.settings.background.value_or(RGB(0xF0, 0xF0, 0xF0));
    auto object = std::make_unique<PictureBoxObject>(row, view, std::max(1, rect.width() - 2 * inset),
                                                     std::max(1, rect.height() - 2 * inset), background);
    if (row.settings.picture) {
        QFile file(":/" + QString::fromStdString(*row.settings.picture));
        if (!file.open(QIODevice::ReadOnly))
            throw std::invalid_argument("embedded picture missing: " + *row.settings.picture);
        const QByteArray bytes = file.readAll();
        const auto picture = DecodePicture(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())),
            *row.settings.picture);
        object->setPicture(*picture);
    }
    view->onMouseDown = MouseDownOf(object->description(), row.settings.scalePixels);
    return object;
}

void PictureBoxObject::resizeImage(int width, int height) {
    HBITMAP fresh = gdi32::CreateImageBitmap(width, height, background_);
    if (fresh == nullptr) Raise(errors::OutOfMemory);
    gdi32::SelectObject(dc_, fresh);
    if (bitmap_ != nullptr) gdi32::DeleteObject(bitmap_);
    bitmap_ = fresh;
}

QImage PictureBoxObject::image() const {
    const auto view = gdi32::ViewOf(bitmap_);
    if (!view) return {};
    return QImage(view->bits, view->width, view->height, view->stride, QImage::Format_RGB32);
}

void PictureBoxObject::setPicture(const PictureData& picture) {
    if (description().settings.autoSize) {
        resizeImage(picture.width, picture.height);
        const int inset = InsetOf(description());
        view_->resize(picture.width + 2 * inset, picture.height + 2 * inset);
    } else {
        // Clear to the background, then the picture from the top-left corner, clipped.
        resizeImage(image().width(), image().height());
    }
    const auto view = gdi32::ViewOf(bitmap_);
    const int w = std::min(view->width, picture.width);
    const int h = std::min(view->height, picture.height);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(view->bits + static_cast<ptrdiff_t>(y) * view->stride);
        const std::uint32_t* source = picture.pixels.data() + static_cast<size_t>(y) * picture.width;
        for (int x = 0; x < w; ++x) row[x] = source[x] & 0x00FFFFFFu;
    }
    view_->update();
}

void PictureBoxObject::putPixel(int x, int y, COLORREF color) {
    const auto view = gdi32::ViewOf(bitmap_);
    if (!view || x < 0 || y < 0 || x >= view->width || y >= view->height) return;
    auto* row = reinterpret_cast<std::uint32_t*>(view->bits + static_cast<ptrdiff_t>(y) * view->stride);
    row[x] = (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
             (static_cast<std::uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

// Bresenham, leaving out the last point as a GDI line does; shows at once.
void PictureBoxObject::lineStep(int x, int y, int dx, int dy, COLORREF color) {
    const int x1 = x + dx, y1 = y + dy;
    const int ax = std::abs(dx), ay = std::abs(dy);
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    int error = ax - ay;
    while (x != x1 || y != y1) {
        putPixel(x, y, color);
        const int e2 = 2 * error;
        if (e2 > -ay) {
            error -= ay;
            x += sx;
        }
        if (e2 < ax) {
            error += ax;
            y += sy;
        }
    }
    if (view_) view_->update();
}

COLORREF PictureBoxObject::point(int x, int y) const {
    const auto view = gdi32::ViewOf(bitmap_);
    if (!view || x < 0 || y < 0 || x >= view->width || y >= view->height) return static_cast<COLORREF>(-1);
    const std::uint32_t p =
        reinterpret_cast<const std::uint32_t*>(view->bits + static_cast<ptrdiff_t>(y) * view->stride)[x];
    return RGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
}

PictureBoxObject& Box(const std::string& name) { return detail::FindControlAs<PictureBoxObject>(name); }

}  // namespace

const ControlKindInfo PictureBoxKind = {ControlKind::PictureBox, "picture box", Events, &Build};

QImage OffscreenImageOf(const ControlObject& object) {
    auto* box = dynamic_cast<const PictureBoxObject*>(&object);
    return box ? box->image().copy() : QImage();
}

HDC PictureBox::hDC() const { return Box(name()).hDC(); }
void PictureBox::setPicture(const Picture& picture) const {
    if (!picture) Raise(errors::InvalidPicture);
    Box(name()).setPicture(*picture);
}
void PictureBox::refresh() const {
    if (ImageView* view = Box(name()).view()) view->repaint();
}
void PictureBox::lineStep(int x, int y, int dx, int dy, COLORREF color) const {
    Box(name()).lineStep(x, y, dx, dy, color);
}
void PictureBox::pset(int x, int y, COLORREF color) const {
    auto& box = Box(name());
    box.putPixel(x, y, color);
    if (ImageView* view = box.view()) view->update(x, y, 1, 1);
}
COLORREF PictureBox::point(int x, int y) const { return Box(name()).point(x, y); }

}  // namespace frame

#include "picture_box.moc"
