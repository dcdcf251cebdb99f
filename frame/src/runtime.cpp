#include "runtime.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "controls.h"
#include "frame/testing.h"
#include "platform/events.h"

namespace frame {
namespace {

struct RunningForm {
    FormDescription description;
    std::unique_ptr<FormWindow> window;
    std::map<std::string, std::unique_ptr<ControlObject>> controls;  // by full name, the form included
};

struct RuntimeState {
    std::unique_ptr<RunningForm> form;
    std::function<void(const std::string&, const std::string&)> messageBoxHook;
    bool testMode = false;
    std::optional<int> endedWith;
};

RuntimeState& State() {
    static RuntimeState state;
    return state;
}

// Thrown through a handler in test mode so that nothing after an end statement runs.
struct ProgramEndedSignal {
    int exitCode;
};

QString FamilyFor(const std::string& name) {
    if (name == "ＭＳ Ｐゴシック") return "IPAPGothic";
    if (name == "ＭＳ ゴシック") return "IPAGothic";
    return QString::fromStdString(name);
}

// Point sizes are laid out for 96 dots per inch, like the twips of the description.
QFont FontFor(const FontSetting& setting) {
    QFont font(FamilyFor(setting.name));
    font.setPixelSize(static_cast<int>(setting.points * 96.0 / 72.0 + 0.5));
    return font;
}

QRect PixelRect(const ControlDescription& c) {
    return QRect(c.left / TwipsPerPixel, c.top / TwipsPerPixel, c.width / TwipsPerPixel, c.height / TwipsPerPixel);
}

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

MouseCallback MouseDownOf(const ControlDescription& control, bool scalePixels) {
    return [&control, scalePixels](QMouseEvent* event) {
        const float scale = scalePixels ? 1.0f : static_cast<float>(TwipsPerPixel);
        const QPointF p = event->position();
        detail::RaiseMouseEvent(control, "MouseDown", ButtonMask(event->button()), ShiftMask(event->modifiers()),
                                static_cast<float>(p.x()) * scale, static_cast<float>(p.y()) * scale);
    };
}

void ApplyCommonSettings(QWidget* widget, const ControlDescription& c) {
    widget->setGeometry(PixelRect(c));
    if (c.settings.font) widget->setFont(FontFor(*c.settings.font));
    if (c.settings.disabledAtStart) widget->setEnabled(false);
    if (c.settings.background) {
        QPalette palette = widget->palette();
        const COLORREF bgr = *c.settings.background;
        palette.setColor(QPalette::Window, QColor(GetRValue(bgr), GetGValue(bgr), GetBValue(bgr)));
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    }
}

std::unique_ptr<ControlObject> BuildControl(const ControlDescription& c, FormWindow* window, bool formScalePixels) {
    const QString caption = QString::fromStdString(c.caption.value_or(""));
    switch (c.kind) {
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(caption, window);
            ApplyCommonSettings(button, c);
            auto object = std::make_unique<ButtonObject>(c, button);
            const ControlDescription& d = object->description();
            QObject::connect(button, &QPushButton::clicked, [&d] { detail::RaiseEvent(d, "Click"); });
            return object;
        }
        case ControlKind::Label: {
            QString text = caption;
            text.replace("\r\n", "\n");
            auto* label = new MouseLabel(text, window);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            label->setAlignment((c.settings.textCentered ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
            if (c.settings.border == BorderSetting::FixedSingle) {
                label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                label->setLineWidth(1);
            }
            ApplyCommonSettings(label, c);
            auto object = std::make_unique<LabelObject>(c, label);
            const ControlDescription& d = object->description();
            label->onMouseDown = MouseDownOf(d, formScalePixels);
            return object;
        }
        case ControlKind::TextBox: {
            if (c.settings.multiLine) {
                auto* edit = new QPlainTextEdit(window);
                edit->setPlainText(QString(caption).replace("\r\n", "\n"));
                edit->setVerticalScrollBarPolicy(c.settings.verticalScrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
                edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                ApplyCommonSettings(edit, c);
                return std::make_unique<TextBoxObject>(c, edit);
            }
            auto* line = new QLineEdit(caption, window);
            ApplyCommonSettings(line, c);
            return std::make_unique<TextBoxObject>(c, line);
        }
        case ControlKind::ListBox: {
            auto* list = new QListWidget(window);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            ApplyCommonSettings(list, c);
            auto object = std::make_unique<ListBoxObject>(c, list);
            const ControlDescription& d = object->description();
            QObject::connect(list, &QListWidget::itemDoubleClicked, [&d] { detail::RaiseEvent(d, "DblClick"); });
            QObject::connect(list, &QListWidget::itemClicked, [&d] { detail::RaiseEvent(d, "Click"); });
            return object;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(caption, window);
            ApplyCommonSettings(box, c);
            auto object = std::make_unique<CheckBoxObject>(c, box);
            const ControlDescription& d = object->description();
            // Only the user's clicks come through here; a value written by code raises Click itself.
            QObject::connect(box, &QCheckBox::clicked, [&d] { detail::RaiseEvent(d, "Click"); });
            return object;
        }
        case ControlKind::PictureBox: {
            auto* view = new ImageView(window);
            const QRect rect = PixelRect(c);
            // A bordered box draws inside its 2-pixel three-dimensional edge.
            const int inset = c.settings.border == BorderSetting::None ? 0 : 2;
            view->setGeometry(rect);
            if (c.settings.disabledAtStart) view->setEnabled(false);
            const COLORREF background = c.settings.background.value_or(RGB(0xF0, 0xF0, 0xF0));
            auto object = std::make_unique<PictureBoxObject>(c, view, std::max(1, rect.width() - 2 * inset),
                                                             std::max(1, rect.height() - 2 * inset), background);
            if (c.settings.picture) {
                QFile file(":/" + QString::fromStdString(*c.settings.picture));
                if (!file.open(QIODevice::ReadOnly)) {
                    throw std::invalid_argument("embedded picture missing: " + *c.settings.picture);
                }
                const QByteArray bytes = file.readAll();
                const auto picture = DecodePicture(
                    std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())),
                    *c.settings.picture);
                object->setPicture(*picture);
            }
            const ControlDescription& d = object->description();
            view->onMouseDown = MouseDownOf(d, c.settings.scalePixels);
            return object;
        }
        case ControlKind::Timer: {
            auto object = std::make_unique<TimerObject>(c);
            const ControlDescription& d = object->description();
            QObject::connect(&object->timer(), &QTimer::timeout, [&d] { detail::RaiseEvent(d, "Timer"); });
            if (c.settings.disabledAtStart) object->setEnabled(false);
            return object;
        }
        case ControlKind::Winsock:
            return CreateWinsockObject(c);
        case ControlKind::Form:
            break;
    }
    throw std::invalid_argument("a form inside a form");
}

Qt::WindowFlags FlagsFor(const Settings& s) {
    if (s.border == BorderSetting::None) return Qt::Window | Qt::FramelessWindowHint;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint;
    if (!s.noMaxMinButtons) flags |= Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    return flags;
}

// Which handler shape each event takes.
enum class Shape { Plain, Mouse, Arrival, SocketError };

Shape ShapeOf(const std::string& event) {
    if (event == "MouseDown") return Shape::Mouse;
    if (event == "DataArrival") return Shape::Arrival;
    if (event == "Error") return Shape::SocketError;
    return Shape::Plain;
}

const HandlerEntry* FindHandler(const std::string& name) {
    for (const auto& entry : Form1Handlers) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

// Every binding of the description must reach a handler of the right shape: a mismatch is the
// program's own fault and stops it before the window exists.
void CheckBindings(const FormDescription& description) {
    auto check = [](const ControlDescription& c) {
        for (const auto& binding : c.events) {
            const HandlerEntry* entry = FindHandler(binding.handler);
            if (entry == nullptr) throw std::invalid_argument("no handler " + binding.handler + " for " + c.FullName());
            if (static_cast<size_t>(ShapeOf(binding.event)) != entry->function.index()) {
                throw std::invalid_argument("handler " + binding.handler + " has the wrong parameters for " + binding.event);
            }
        }
    };
    check(description.form);
    for (const auto& c : description.controls) check(c);
}

const HandlerEntry* BoundHandler(const ControlDescription& control, const std::string& event) {
    for (const auto& binding : control.events) {
        if (binding.event == event) return FindHandler(binding.handler);
    }
    return nullptr;
}

[[noreturn]] void ReportFatal(int number, const std::string& description) {
    detail::ShowMessageBox(ProgramName(), "実行時エラー '" + std::to_string(number) + "':\n\n" + description);
    detail::EndProgram(1);
}

void StartForm() {
    auto& state = State();
    QFile file(":/Form1.form");
    if (!file.open(QIODevice::ReadOnly)) throw std::invalid_argument("the form description is missing");
    auto form = std::make_unique<RunningForm>();
    form->description = ParseFormDescription(file.readAll().toStdString());
    CheckBindings(form->description);

    const ControlDescription& fd = form->description.form;
    form->window = std::make_unique<FormWindow>();
    FormWindow* window = form->window.get();
    window->setWindowFlags(FlagsFor(fd.settings));
    window->setWindowTitle(QString::fromStdString(fd.caption.value_or("")));
    const QSize client(fd.width / TwipsPerPixel, fd.height / TwipsPerPixel);
    window->resize(client);
    if (fd.settings.border == BorderSetting::FixedSingle || fd.settings.border == BorderSetting::None) {
        window->setFixedSize(client);
    }
    if (fd.settings.font) window->setFont(FontFor(*fd.settings.font));
    if (fd.settings.background) {
        QPalette palette = window->palette();
        const COLORREF bgr = *fd.settings.background;
        palette.setColor(QPalette::Window, QColor(GetRValue(bgr), GetGValue(bgr), GetBValue(bgr)));
        window->setPalette(palette);
        window->setAutoFillBackground(true);
    }

    auto formObject = std::make_unique<FormObject>(fd, window);
    const ControlDescription& formDescription = formObject->description();
    window->onMouseDown = MouseDownOf(formDescription, fd.settings.scalePixels);
    window->onClose = [&formDescription] {
        detail::RaiseEvent(formDescription, "Unload");
        try {
            detail::EndProgram(0);
        } catch (const ProgramEndedSignal&) {
        }
    };
    form->controls.emplace(fd.name, std::move(formObject));

    // Later controls in the description lie above earlier ones, as the designer stacked them.
    for (const auto& c : form->description.controls) {
        form->controls.emplace(c.FullName(), BuildControl(c, window, fd.settings.scalePixels));
    }
    for (auto it = form->description.controls.rbegin(); it != form->description.controls.rend(); ++it) {
        if (QWidget* w = form->controls.at(it->FullName())->widget()) w->raise();
    }
    state.form = std::move(form);

    detail::RaiseEvent(formDescription, "Load");
    if (state.endedWith) return;
    if (fd.settings.start == StartPosition::CenterScreen) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect available = screen->availableGeometry();
            // Form_Load may have changed the window's size (a style change, say): centre what shows.
            window->move(available.center() - QPoint(window->width() / 2, window->height() / 2));
        }
    }
    window->show();
}

void InstallGuard() { platform::SetEventGuard(&detail::Guarded); }

void InstallFonts(QApplication& app) {
    QFont font("IPAPGothic");
    font.setPixelSize(12);  // 9 pt at 96 dpi
    app.setFont(font);
}

}  // namespace

const std::string& ProgramName() {
    static const std::string name = ThisProgram.name;
    return name;
}

[[noreturn]] void End() { detail::EndProgram(0); }

namespace detail {

ControlObject& FindControl(const std::string& fullName) {
    auto& form = State().form;
    if (!form) Raise(errors::ObjectRequired);
    auto it = form->controls.find(fullName);
    if (it == form->controls.end()) Raise(errors::ObjectRequired, StandardDescription(errors::ObjectRequired) + " (" + fullName + ")");
    return *it->second;
}

void Guarded(const std::function<void()>& body) {
    if (State().endedWith) return;
    try {
        body();
    } catch (const ProgramEndedSignal&) {
        // The end statement ran in test mode; the state already records it.
    } catch (const RuntimeError& error) {
        try {
            ReportFatal(error.number(), error.description());
        } catch (const ProgramEndedSignal&) {
        }
    } catch (const std::bad_alloc&) {
        try {
            ReportFatal(errors::OutOfMemory, StandardDescription(errors::OutOfMemory));
        } catch (const ProgramEndedSignal&) {
        }
    } catch (const std::exception& error) {
        try {
            ReportFatal(51, StandardDescription(51) + " (" + error.what() + ")");
        } catch (const ProgramEndedSignal&) {
        }
    }
}

void RaiseEvent(const ControlDescription& control, const std::string& event) {
    const HandlerEntry* entry = BoundHandler(control, event);
    if (entry == nullptr) return;
    Guarded([entry] { std::get<PlainHandler>(entry->function)(); });
}

void RaiseMouseEvent(const ControlDescription& control, const std::string& event, short button, short shift, float x,
                     float y) {
    const HandlerEntry* entry = BoundHandler(control, event);
    if (entry == nullptr) return;
    Guarded([=] { std::get<MouseHandler>(entry->function)(button, shift, x, y); });
}

void RaiseArrivalEvent(const ControlDescription& control, std::int32_t bytesTotal) {
    const HandlerEntry* entry = BoundHandler(control, "DataArrival");
    if (entry == nullptr) return;
    Guarded([=] { std::get<ArrivalHandler>(entry->function)(bytesTotal); });
}

void RaiseSocketErrorEvent(const ControlDescription& control, std::int16_t number, std::string description) {
    const HandlerEntry* entry = BoundHandler(control, "Error");
    if (entry == nullptr) return;
    Guarded([&] {
        bool cancelDisplay = false;
        std::get<SocketErrorHandler>(entry->function)(number, description, 0, ProgramName(), "", 0, cancelDisplay);
    });
}

void ShowMessageBox(const std::string& title, const std::string& text) {
    auto& state = State();
    if (state.messageBoxHook) {
        state.messageBoxHook(title, text);
        return;
    }
    QWidget* parent = state.form ? state.form->window.get() : nullptr;
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void EndProgram(int exitCode) {
    auto& state = State();
    if (state.testMode) {
        if (!state.endedWith) state.endedWith = exitCode;
        throw ProgramEndedSignal{exitCode};
    }
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace detail

int RunProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallFonts(app);
    InstallGuard();
    try {
        StartForm();
    } catch (const RuntimeError& error) {
        ReportFatal(error.number(), error.description());
    } catch (const std::exception& error) {
        // A description that does not fit its program is the program's fault, not the user's.
        std::cerr << ProgramName() << ": " << error.what() << '\n';
        return 70;
    }
    return app.exec();
}

namespace testing {
namespace {

// Made by the first StartProgram and ended by Shutdown, before the process's statics go.
std::unique_ptr<QApplication>& TestApplication() {
    static std::unique_ptr<QApplication> application;
    return application;
}

}  // namespace

void Shutdown() {
    StopProgram();
    TestApplication().reset();
}

void StartProgram() {
    auto& state = State();
    state.testMode = true;
    state.endedWith.reset();
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        TestApplication() = std::make_unique<QApplication>(argc, argv);
        InstallFonts(*TestApplication());
        InstallGuard();
    }
    try {
        StartForm();
    } catch (const RuntimeError& error) {
        try {
            ReportFatal(error.number(), error.description());
        } catch (const ProgramEndedSignal&) {
        }
    }
}

void CloseWindow() {
    auto& state = State();
    if (state.form && !state.endedWith) state.form->window->close();
}

void StopProgram() {
    auto& state = State();
    state.form.reset();
    state.endedWith.reset();
}

std::optional<int> EndedWith() { return State().endedWith; }

void EndForReal() { State().testMode = false; }

void SetMessageBoxHook(std::function<void(const std::string& title, const std::string& text)> hook) {
    State().messageBoxHook = std::move(hook);
}

QWidget* Widget(std::string_view fullName) {
    auto& form = State().form;
    if (!form) return nullptr;
    auto it = form->controls.find(std::string(fullName));
    return it == form->controls.end() ? nullptr : it->second->widget();
}

QImage PictureImage(std::string_view fullName) {
    auto& form = State().form;
    if (!form) return {};
    auto it = form->controls.find(std::string(fullName));
    if (it == form->controls.end()) return {};
    auto* picture = dynamic_cast<PictureBoxObject*>(it->second.get());
    return picture ? picture->image().copy() : QImage();
}

}  // namespace testing
}  // namespace frame
