// Qt widgets behind the controls, where Qt's own do not behave as the programs expect.
#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <functional>

namespace frame {

using MouseCallback = std::function<void(QMouseEvent*)>;

// Client area of a form: controls sit on it at fixed pixel places.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    FormWindow();
    std::function<void()> onClose;
    MouseCallback onMouseDown;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// A label that lays its lines one font height apart, as the designs' fonts did on Windows (a
// 12-pixel font, 12-pixel lines), so that the texts fit the boxes they were written for.
class MouseLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    MouseCallback onMouseDown;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// Shows an image that lives elsewhere (a DIB the GDI layer draws into) at the widget's origin.
class ImageView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    std::function<QImage()> image;
    MouseCallback onMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace frame
