// A single-line text box is a QLineEdit, a multi-line one a QPlainTextEdit. Windows counts a line
// break as CR LF, two characters; Qt keeps one paragraph separator: positions are converted.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "kinds.h"

namespace frame {
namespace {

class TextBoxObject : public ControlObject {
public:
    TextBoxObject(ControlDescription description, QLineEdit* line)
        : ControlObject(std::move(description)), line_(line) {}
    TextBoxObject(ControlDescription description, QPlainTextEdit* edit)
        : ControlObject(std::move(description)), edit_(edit) {}
    QWidget* widget() const override { return line_ ? static_cast<QWidget*>(line_) : edit_; }
    QLineEdit* line() const { return line_; }
    QPlainTextEdit* edit() const { return edit_; }
    // The text ends with a CR shown as a break; an LF appended next completes that same break.
    bool endsWithCarriageReturn = false;

private:
    QPointer<QLineEdit> line_;
    QPointer<QPlainTextEdit> edit_;
};

std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext& context) {
    const QString text = QString::fromStdString(row.caption.value_or(""));
    if (row.settings.multiLine) {
        auto* edit = new QPlainTextEdit(context.window);
        edit->setPlainText(QString(text).replace("\r\n", "\n"));
        edit->setVerticalScrollBarPolicy(row.settings.verticalScrollBar ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ApplyCommonSettings(edit, row);
        return std::make_unique<TextBoxObject>(row, edit);
    }
    auto* line = new QLineEdit(text, context.window);
    ApplyCommonSettings(line, row);
    return std::make_unique<TextBoxObject>(row, line);
}

TextBoxObject& Box(const std::string& name) { return detail::FindControlAs<TextBoxObject>(name); }

std::int32_t WindowsLength(const QTextDocument* document) {
    return static_cast<std::int32_t>(document->characterCount() - 1 + (document->blockCount() - 1));
}

int DocumentPosition(const QTextDocument* document, std::int32_t windowsPosition) {
    if (windowsPosition >= WindowsLength(document)) return document->characterCount() - 1;
    std::int32_t remaining = std::max(0, windowsPosition);
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const int length = block.length() - 1;
        if (remaining <= length) return block.position() + remaining;
        remaining -= length + 2;
        if (remaining < 0) return block.position() + length;
    }
    return document->characterCount() - 1;
}

// Received text may carry any line ends; the box shows each as one break.
QString ForDisplay(std::string_view text) {
    QString s = ToQString(text);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

}  // namespace

// A text box raises no event the programs handle.
const ControlKindInfo TextBoxKind = {ControlKind::TextBox, "text box", {}, &Build};

std::string TextBox::text() const {
    auto& box = Box(name());
    if (box.line()) return box.line()->text().toStdString();
    return box.edit()->toPlainText().replace("\n", "\r\n").toStdString();
}

void TextBox::setText(std::string_view text) const {
    auto& box = Box(name());
    if (box.line()) {
        box.line()->setText(ToQString(text));
    } else {
        box.edit()->setPlainText(ForDisplay(text));
        box.endsWithCarriageReturn = text.ends_with('\r');
    }
}

std::int32_t TextBox::textLength() const {
    auto& box = Box(name());
    if (box.line()) return static_cast<std::int32_t>(box.line()->text().size());
    return WindowsLength(box.edit()->document());
}

std::int32_t TextBox::selStart() const {
    auto& box = Box(name());
    if (box.line()) return box.line()->hasSelectedText() ? box.line()->selectionStart() : box.line()->cursorPosition();
    const QTextCursor cursor = box.edit()->textCursor();
    const QTextBlock block = box.edit()->document()->findBlock(cursor.selectionStart());
    return cursor.selectionStart() + block.blockNumber();
}

void TextBox::setSelStart(std::int32_t start) const {
    auto& box = Box(name());
    if (start < 0) Raise(errors::InvalidPropertyValue);
    if (box.line()) {
        box.line()->deselect();
        box.line()->setCursorPosition(start);
        return;
    }
    QTextCursor cursor = box.edit()->textCursor();
    cursor.setPosition(DocumentPosition(box.edit()->document(), start));
    box.edit()->setTextCursor(cursor);
}

std::string TextBox::selText() const {
    auto& box = Box(name());
    if (box.line()) return box.line()->selectedText().toStdString();
    return box.edit()->textCursor().selectedText().replace(QChar::ParagraphSeparator, "\r\n").toStdString();
}

void TextBox::setSelText(std::string_view text) const {
    auto& box = Box(name());
    if (box.line()) {
        box.line()->insert(ToQString(text));
        return;
    }
    QTextCursor cursor = box.edit()->textCursor();
    const bool atEnd = !cursor.hasSelection() && cursor.position() == box.edit()->document()->characterCount() - 1;
    // Text that arrives in pieces may split a CR LF between two of them.
    if (atEnd && box.endsWithCarriageReturn && text.starts_with('\n')) text.remove_prefix(1);
    cursor.insertText(ForDisplay(text));
    box.edit()->setTextCursor(cursor);
    box.endsWithCarriageReturn = atEnd ? text.ends_with('\r') : false;
}

}  // namespace frame
