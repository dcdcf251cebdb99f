// The window table with plain widgets on Qt's offscreen platform, where no window manager draws a
// frame: styles are stored and read back, show only at a frame change, and SetWindowPos works in
// outer geometry against the Windows frame of the shown style.
#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include <platform/exports.h>

#include "user32/windows.h"

namespace {

std::vector<UINT> seenMessages;

LRESULT OwnProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return user32::DefWindowProcA(window, message, wParam, lParam);
}

WNDPROC previousProcedure = nullptr;

LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seenMessages.push_back(message);
    return user32::CallWindowProcA(previousProcedure, window, message, wParam, lParam);
}

constexpr DWORD Sizable = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD FixedSingle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
constexpr DWORD Flip = WS_CAPTION | WS_THICKFRAME;

// A top-level widget with a 200 x 100 client area, registered with `style`.
class Window {
public:
    explicit Window(DWORD style) : widget_(std::make_unique<QWidget>()) {
        widget_->resize(200, 100);
        handle_ = user32::RegisterWindow(widget_.get(), &OwnProcedure, static_cast<LONG_PTR>(style));
    }
    ~Window() { user32::UnregisterWindow(handle_); }
    QWidget* widget() const { return widget_.get(); }
    HWND handle() const { return handle_; }
    void Reset() { widget_.reset(); }

private:
    std::unique_ptr<QWidget> widget_;
    HWND handle_;
};

void FrameChange(HWND window) {
    EXPECT_TRUE(user32::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED));
}

bool Frameless(const QWidget* widget) { return widget->windowFlags().testFlag(Qt::FramelessWindowHint); }
bool Resizable(const QWidget* widget) { return widget->minimumSize() != widget->maximumSize(); }

TEST(WindowFrame, StandardFramesAreThoseOfWindowsAt96Dpi) {
    struct Case {
        DWORD style;
        QMargins frame;
    };
    const Case cases[] = {
        {Sizable, QMargins(4, 23, 4, 4)},           {FixedSingle, QMargins(3, 22, 3, 3)}, {Sizable ^ Flip, QMargins()},
        {FixedSingle ^ Flip, QMargins(4, 4, 4, 4)},  // sizing border, no caption
        {WS_BORDER, QMargins(1, 1, 1, 1)},          {WS_DLGFRAME, QMargins(3, 3, 3, 3)},  {WS_POPUP, QMargins()},
    };
    for (const Case& c : cases) EXPECT_EQ(user32::StandardFrame(c.style), c.frame) << std::hex << c.style;
}

// The style is only stored until SWP_FRAMECHANGED; then the frame goes or comes and the client area
// takes what it gives up, so the outer size stays.
TEST(WindowFrame, FlippingCaptionAndFrameKeepsTheOuterSize) {
    struct Case {
        DWORD style;
        QSize flipped;  // the client area after the first flip
        bool flippedFrameless;
        bool flippedResizable;
    };
    const Case cases[] = {
        {Sizable, QSize(208, 127), true, false},
        {FixedSingle, QSize(198, 117), false, true},  // caption off, sizing border on
    };
    for (const Case& c : cases) {
        Window window(c.style);
        QWidget* widget = window.widget();
        const LONG_PTR style = user32::GetWindowLongA(window.handle(), GWL_STYLE);
        EXPECT_EQ(style, static_cast<LONG_PTR>(c.style));
        EXPECT_EQ(user32::SetWindowLongA(window.handle(), GWL_STYLE, style ^ Flip), style);
        EXPECT_EQ(user32::GetWindowLongA(window.handle(), GWL_STYLE), style ^ Flip);
        EXPECT_FALSE(Frameless(widget));
        EXPECT_EQ(widget->size(), QSize(200, 100));

        FrameChange(window.handle());
        EXPECT_EQ(widget->size(), c.flipped) << std::hex << c.style;
        EXPECT_EQ(Frameless(widget), c.flippedFrameless);
        EXPECT_EQ(Resizable(widget), c.flippedResizable);
        EXPECT_FALSE(widget->isVisible());  // a hidden window stays hidden

        user32::SetWindowLongA(window.handle(), GWL_STYLE, style);
        FrameChange(window.handle());
        EXPECT_EQ(widget->size(), QSize(200, 100));
        EXPECT_FALSE(Frameless(widget));
        EXPECT_TRUE(widget->windowFlags().testFlag(Qt::WindowTitleHint));
        EXPECT_EQ(Resizable(widget), (c.style & WS_THICKFRAME) != 0);
    }
}

TEST(WindowFrame, AShownWindowIsShownAgainAtItsPlace) {
    Window window(Sizable);
    QWidget* widget = window.widget();
    widget->move(40, 30);
    widget->show();
    user32::SetWindowLongA(window.handle(), GWL_STYLE, Sizable ^ Flip);
    FrameChange(window.handle());
    EXPECT_TRUE(widget->isVisible());
    EXPECT_TRUE(Frameless(widget));
    EXPECT_EQ(widget->frameGeometry().topLeft(), QPoint(40, 30));
    EXPECT_EQ(widget->size(), QSize(208, 127));
}

TEST(WindowPosition, PlaceAndSizeAreOuterGeometry) {
    Window window(Sizable);
    QWidget* widget = window.widget();
    EXPECT_TRUE(user32::SetWindowPos(window.handle(), HWND_TOP, 10, 20, 300, 200, SWP_NOZORDER));
    EXPECT_EQ(widget->pos(), QPoint(10, 20));
    EXPECT_EQ(widget->size(), QSize(292, 173));
    EXPECT_TRUE(Resizable(widget));
    EXPECT_TRUE(user32::SetWindowPos(window.handle(), HWND_TOP, 50, 60, 10, 10, SWP_NOSIZE | SWP_NOZORDER));
    EXPECT_EQ(widget->pos(), QPoint(50, 60));
    EXPECT_EQ(widget->size(), QSize(292, 173));
    EXPECT_TRUE(user32::SetWindowPos(window.handle(), HWND_TOP, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER));
    EXPECT_EQ(widget->pos(), QPoint(50, 60));
    EXPECT_EQ(widget->size(), QSize(92, 23));
    // Smaller than the frame: nothing left for the client area.
    EXPECT_TRUE(user32::SetWindowPos(window.handle(), HWND_TOP, 0, 0, 5, 5, SWP_NOMOVE | SWP_NOZORDER));
    EXPECT_EQ(widget->size(), QSize(0, 0));

    Window fixed(FixedSingle);
    EXPECT_TRUE(user32::SetWindowPos(fixed.handle(), HWND_TOP, 0, 0, 306, 125, SWP_NOMOVE | SWP_NOZORDER));
    EXPECT_EQ(fixed.widget()->size(), QSize(300, 100));
    EXPECT_FALSE(Resizable(fixed.widget()));
}

TEST(WindowPosition, ShowAndHideFlags) {
    Window window(Sizable);
    EXPECT_TRUE(user32::SetWindowPos(window.handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW));
    EXPECT_TRUE(window.widget()->isVisible());
    EXPECT_TRUE(
        user32::SetWindowPos(window.handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW));
    EXPECT_FALSE(window.widget()->isVisible());
}

TEST(WindowLongs, StylesAreThirtyTwoBitValues) {
    Window popup(WS_POPUP | WS_CLIPCHILDREN);
    EXPECT_EQ(user32::GetWindowLongA(popup.handle(), GWL_STYLE),
              static_cast<LONG_PTR>(static_cast<LONG>(WS_POPUP | WS_CLIPCHILDREN)));
    EXPECT_LT(user32::GetWindowLongA(popup.handle(), GWL_STYLE), 0);
    user32::SetWindowLongA(popup.handle(), GWL_STYLE, (LONG_PTR{1} << 40) | WS_CAPTION);
    EXPECT_EQ(user32::GetWindowLongA(popup.handle(), GWL_STYLE), static_cast<LONG_PTR>(WS_CAPTION));
    EXPECT_EQ(user32::SetWindowLongA(popup.handle(), GWL_EXSTYLE, 0x100), 0);
    EXPECT_EQ(user32::GetWindowLongA(popup.handle(), GWL_EXSTYLE), 0x100);
    EXPECT_EQ(user32::GetWindowLongA(popup.handle(), 12345), 0);
}

TEST(WindowLongs, GoneWindowsAnswerNothing) {
    Window window(Sizable);
    const HWND handle = window.handle();
    window.Reset();
    EXPECT_FALSE(user32::IsWindow(handle));
    EXPECT_EQ(user32::GetWindowLongA(handle, GWL_STYLE), 0);
    EXPECT_EQ(user32::SetWindowLongA(handle, GWL_STYLE, WS_CAPTION), 0);
    EXPECT_FALSE(user32::SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_FRAMECHANGED));
    EXPECT_EQ(user32::SendMessageA(handle, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(user32::SetWindowPos(reinterpret_cast<HWND>(0x7), HWND_TOP, 0, 0, 0, 0, 0));
}

TEST(WindowMessages, SentMessagesPassTheSubclassAndReachTheDefaultHandling) {
    Window window(Sizable);
    window.widget()->show();
    previousProcedure = reinterpret_cast<WNDPROC>(
        user32::SetWindowLongA(window.handle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProcedure)));
    ASSERT_EQ(previousProcedure, &OwnProcedure);
    seenMessages.clear();
    // No button is down: the caption press has nothing to follow.
    const QPoint place = window.widget()->pos();
    std::int32_t noPosition = 0;
    user32::SendMessageA(window.handle(), WM_NCLBUTTONDOWN, HTCAPTION, reinterpret_cast<LPARAM>(&noPosition));
    EXPECT_EQ(window.widget()->pos(), place);
    user32::SendMessageA(window.handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(seenMessages, (std::vector<UINT>{WM_NCLBUTTONDOWN, WM_CLOSE}));
    EXPECT_FALSE(window.widget()->isVisible());
}

TEST(WindowMessages, ReleaseCaptureEndsTheMouseGrab) {
    Window window(Sizable);
    window.widget()->show();
    window.widget()->grabMouse();
    ASSERT_EQ(QWidget::mouseGrabber(), window.widget());
    EXPECT_EQ(user32::ReleaseCapture(), TRUE);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(user32::ReleaseCapture(), TRUE);  // nothing to release is no failure
}

TEST(WindowExports, EveryEntryBindsWithItsSdkSignature) {
    struct Case {
        const char* name;
        const std::type_info& signature;
    };
    const Case cases[] = {
        {"ReleaseCapture", typeid(BOOL())},
        {"SendMessageA", typeid(LRESULT(HWND, UINT, WPARAM, LPARAM))},
        {"GetWindowLongA", typeid(LONG_PTR(HWND, int))},
        {"SetWindowLongA", typeid(LONG_PTR(HWND, int, LONG_PTR))},
        {"SetWindowPos", typeid(BOOL(HWND, HWND, int, int, int, int, UINT))},
        {"CallWindowProcA", typeid(LRESULT(WNDPROC, HWND, UINT, WPARAM, LPARAM))},
        {"DefWindowProcA", typeid(LRESULT(HWND, UINT, WPARAM, LPARAM))},
    };
    for (const Case& c : cases) {
        const auto found = platform::FindExport("USER32.dll", c.name, c.signature);
        EXPECT_EQ(found.failure, platform::BindFailure::None) << c.name;
        EXPECT_NE(found.function, nullptr) << c.name;
    }
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
