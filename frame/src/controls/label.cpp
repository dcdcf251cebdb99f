#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

#include "kinds.h"

namespace frame {

// A label that lays its lines one font height apart, as the designs' fonts did on Windows (a
// 12-pixel font, 12-pixel lines), so that the texts fit the boxes they were written for.
class MouseLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    std::function<void(QMouseEvent*)> onMouseDown;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (onMouseDown) {
            onMouseDown(event);
        } else {
            QLabel::mousePressEvent(event);
        }
    }
    void paintEvent(QPaintEvent* event) override;
};

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

namespace {

constexpr EventSpec Events[] = {{"MouseDown", HandlerShape::Mouse}};

using LabelObject = WidgetControl<MouseLabel>;

// The description writes line breaks as CR LF, the label shows each as one break.
std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext& context) {
    auto* label =
        new MouseLabel(QString::fromStdString(row.caption.value_or("")).replace("\r\n", "\n"), context.window);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment((row.settings.textCentered ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    if (row.settings.border == BorderSetting::FixedSingle) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
    }
    ApplyCommonSettings(label, row);
    auto object = std::make_unique<LabelObject>(row, label);
    // A label's position is in its form's scale.
    label->onMouseDown = MouseDownOf(object->description(), context.formScalePixels);
    return object;
}

MouseLabel* LabelNamed(const std::string& name) { return detail::FindControlAs<LabelObject>(name).get(); }

}  // namespace

const ControlKindInfo LabelKind = {ControlKind::Label, "label", Events, &Build};

std::string Label::caption() const { return LabelNamed(name())->text().replace("\n", "\r\n").toStdString(); }
void Label::setCaption(std::string_view caption) const {
    LabelNamed(name())->setText(ToQString(caption).replace("\r\n", "\n"));
}

}  // namespace frame

#include "label.moc"
