// Control objects: one class per kind, holding its widget and its run-time state.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <memory>
#include <vector>

#include "frame/services.h"
#include "runtime.h"
#include "widgets.h"

namespace frame {

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

class ButtonObject : public ControlObject {
public:
    ButtonObject(ControlDescription description, QPushButton* button) : ControlObject(std::move(description)), button_(button) {}
    QWidget* widget() const override { return button_; }
    QPushButton* button() const { return button_; }

private:
    QPointer<QPushButton> button_;
};

class LabelObject : public ControlObject {
public:
    LabelObject(ControlDescription description, MouseLabel* label) : ControlObject(std::move(description)), label_(label) {}
    QWidget* widget() const override { return label_; }
    MouseLabel* label() const { return label_; }

private:
    QPointer<MouseLabel> label_;
};

// A single-line text box is a QLineEdit, a multi-line one a QPlainTextEdit.
class TextBoxObject : public ControlObject {
public:
    TextBoxObject(ControlDescription description, QLineEdit* line) : ControlObject(std::move(description)), line_(line) {}
    TextBoxObject(ControlDescription description, QPlainTextEdit* edit) : ControlObject(std::move(description)), edit_(edit) {}
    QWidget* widget() const override { return line_ ? static_cast<QWidget*>(line_) : edit_; }
    QLineEdit* line() const { return line_; }
    QPlainTextEdit* edit() const { return edit_; }
    // The text ends with a CR shown as a break; an LF appended next completes that same break.
    bool endsWithCarriageReturn = false;

private:
    QPointer<QLineEdit> line_;
    QPointer<QPlainTextEdit> edit_;
};

class ListBoxObject : public ControlObject {
public:
    ListBoxObject(ControlDescription description, QListWidget* list) : ControlObject(std::move(description)), list_(list) {}
    QWidget* widget() const override { return list_; }
    QListWidget* list() const { return list_; }

private:
    QPointer<QListWidget> list_;
};

class CheckBoxObject : public ControlObject {
public:
    CheckBoxObject(ControlDescription description, QCheckBox* box) : ControlObject(std::move(description)), box_(box) {}
    QWidget* widget() const override { return box_; }
    QCheckBox* box() const { return box_; }

private:
    QPointer<QCheckBox> box_;
};

// The off-screen image is a 32-bit top-down DIB selected into the box's own memory DC, so GDI
// calls through hDC and the box's own drawing share one picture.
class PictureBoxObject : public ControlObject {
public:
    PictureBoxObject(ControlDescription description, ImageView* view, int width, int height, COLORREF background);
    ~PictureBoxObject() override;
    QWidget* widget() const override { return view_; }
    HDC hDC() const { return dc_; }
    QImage image() const;  // a view over the DIB's bits, no copy
    void setPicture(const PictureData& picture);
    void refresh();
    void lineStep(int x, int y, int dx, int dy, COLORREF color);
    void pset(int x, int y, COLORREF color);
    COLORREF point(int x, int y) const;

private:
    void resizeImage(int width, int height);
    void putPixel(int x, int y, COLORREF color);

    QPointer<ImageView> view_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    COLORREF background_;
};

class TimerObject : public ControlObject {
public:
    explicit TimerObject(ControlDescription description);
    std::int32_t interval() const { return interval_; }
    void setInterval(std::int32_t milliseconds);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    QTimer& timer() { return timer_; }

private:
    void restart();
    QTimer timer_;
    std::int32_t interval_ = 0;
    bool enabled_ = true;
};

// The Winsock control lives in its own file with its adapter.
std::unique_ptr<ControlObject> CreateWinsockObject(ControlDescription description);


}  // namespace frame
