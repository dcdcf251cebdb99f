#include "widgets.h"

#include <QCloseEvent>
#include <QMouseEvent>
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

void ImageView::paintEvent(QPaintEvent*) {
    if (!image) return;
    QPainter painter(this);
    painter.drawImage(0, 0, image());
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown) onMouseDown(event);
}

}  // namespace frame
