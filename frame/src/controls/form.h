// The form: a top-level window whose client area holds the controls at fixed pixel places.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

#include "kinds.h"

namespace frame {

class FormWindow : public QWidget {
    Q_OBJECT
public:
    FormWindow() : QWidget(nullptr) {}
    std::function<void()> onClose;
    std::function<void(QMouseEvent*)> onMouseDown;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

class FormObject : public ControlObject {
public:
    FormObject(ControlDescription description, FormWindow* window);
    ~FormObject() override;
    QWidget* widget() const override { return window_; }
    FormWindow* window() const { return window_; }
    HWND hWnd() const { return hwnd_; }
    HDC hDC() const { return dc_; }

private:
    QPointer<FormWindow> window_;
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
};

}  // namespace frame
