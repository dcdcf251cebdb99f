#include "widgets.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

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

void ImageView::paintEvent(QPaintEvent*) {
    if (!image) return;
    QPainter painter(this);
    painter.drawImage(0, 0, image());
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown) onMouseDown(event);
}

}  // namespace frame
