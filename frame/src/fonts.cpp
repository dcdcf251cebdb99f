#include "fonts.h"

#include <QApplication>

namespace frame {
namespace {

QString FamilyFor(const std::string& name) {
    if (name == "ＭＳ Ｐゴシック") return "IPAPGothic";
    if (name == "ＭＳ ゴシック") return "IPAGothic";
    return QString::fromStdString(name);
}

}  // namespace

QFont FontFor(const FontSetting& setting) {
    QFont font(FamilyFor(setting.name));
    font.setPixelSize(static_cast<int>(setting.points * 96.0 / 72.0 + 0.5));
    return font;
}

void InstallFonts(QApplication& app) {
    QFont font("IPAPGothic");
    font.setPixelSize(12);  // 9 pt at 96 dpi
    app.setFont(font);
}

}  // namespace frame
