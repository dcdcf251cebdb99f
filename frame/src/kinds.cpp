#include "kinds.h"

#include <QMouseEvent>
#include <QPalette>
#include <QWidget>

#include <array>
#include <stdexcept>

#include "events.h"
#include "fonts.h"

namespace frame {
namespace {

// Adding a kind: a file under controls/ that defines its row, and the row here.
const std::array<const ControlKindInfo*, 9> Kinds = {
    &FormKind,     &CommandButtonKind, &LabelKind, &TextBoxKind, &ListBoxKind,
    &CheckBoxKind, &PictureBoxKind,    &TimerKind, &WinsockKind,
};

short ButtonMask(Qt::MouseButtons buttons) {
    short mask = 0;
    if (buttons & Qt::LeftButton) mask |= vbLeftButton;
    if (buttons & Qt::RightButton) mask |= vbRightButton;
    if (buttons & Qt::MiddleButton) mask |= vbMiddleButton;
    return mask;
}

short ShiftMask(Qt::KeyboardModifiers modifiers) {
    short mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= 1;
    if (modifiers & Qt::ControlModifier) mask |= 2;
    if (modifiers & Qt::AltModifier) mask |= 4;
    return mask;
}

}  // namespace

const ControlKindInfo& KindInfo(ControlKind kind) {
    for (const ControlKindInfo* info : Kinds) {
        if (info->kind == kind) return *info;
    }
    throw std::logic_error("a control kind without its row");
}

const ControlKindInfo* KindNamed(std::string_view word) {
    for (const ControlKindInfo* info : Kinds) {
        if (info->word == word) return info;
    }
    return nullptr;
}

QString ToQString(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

QRect PixelRect(const ControlDescription& row) {
    return QRect(row.left / TwipsPerPixel, row.top / TwipsPerPixel, row.width / TwipsPerPixel,
                 row.height / TwipsPerPixel);
}

void ApplyCommonSettings(QWidget* widget, const ControlDescription& row) {
    widget->setGeometry(PixelRect(row));
    if (row.settings.font) widget->setFont(FontFor(*row.settings.font));
    if (row.settings.disabledAtStart) widget->setEnabled(false);
    ApplyBackground(widget, row.settings);
}

void ApplyBackground(QWidget* widget, const Settings& settings) {
    if (!settings.background) return;
    QPalette palette = widget->palette();
    const COLORREF bgr = *settings.background;
    palette.setColor(QPalette::Window, QColor(GetRValue(bgr), GetGValue(bgr), GetBValue(bgr)));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

std::function<void(QMouseEvent*)> MouseDownOf(const ControlDescription& row, bool scalePixels) {
    return [&row, scalePixels](QMouseEvent* event) {
        const float scale = scalePixels ? 1.0f : static_cast<float>(TwipsPerPixel);
        const QPointF p = event->position();
        detail::RaiseMouseEvent(row, "MouseDown", ButtonMask(event->button()), ShiftMask(event->modifiers()),
                                static_cast<float>(p.x()) * scale, static_cast<float>(p.y()) * scale);
    };
}

}  // namespace frame
