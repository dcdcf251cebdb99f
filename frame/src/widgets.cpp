#include "widgets.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTextLayout>

namespace frame {

FormWindow::FormWindow() : QWidget(nullptr) {}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (onClose) onClose();
    event->accept();
}

void FormWindow::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown) onMouseDown(event);
}

void MouseLabel::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown) {
        onMouseDown(event);
    } else {
        QLabel::mousePressEvent(event);
    }
}

void MouseLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect();
    const int lineHeight = font().pixelSize() > 0 ? font().pixelSize() : fontMetrics().height();
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    // Lines break where the language allows (between Japanese characters, at spaces), never inside
    // a word: a word wider than the label is cut at its edge, as on Windows.
    option.setWrapMode(QTextOption::WordWrap);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.setClipRect(area);
    int y = area.top();
    for (const QString& paragraph : text().split('\n')) {
        QTextLayout layout(paragraph, font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(area.width());
            line.setPosition(QPointF(0, y - area.top()));
            y += lineHeight;
        }
        layout.endLayout();
        layout.draw(&painter, area.topLeft());
        if (y > area.bottom()) break;
    }
}

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

void ImageView::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown) onMouseDown(event);
}

}  // namespace frame
