// Fonts as the designs name them, on the Japanese fonts this system has.
#pragma once

#include <QFont>

#include "frame/description.h"

class QApplication;

namespace frame {

// "ＭＳ Ｐゴシック" and "ＭＳ ゴシック" are IPAPGothic and IPAGothic, which keep their metrics;
// sizes are laid out for 96 dots per inch, like the twips of the description.
QFont FontFor(const FontSetting& setting);
// The designs' default: 9 points of the proportional Gothic.
void InstallFonts(QApplication& app);

}  // namespace frame
