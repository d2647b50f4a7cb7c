// Font choice.
#include "gui/gui_fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <cmath>

namespace zrgui {

namespace {

const char* const kLatinFamilies[] = {"DejaVu Sans", "Liberation Sans", "Noto Sans"};
const char* const kCjkFamilies[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Noto Sans SC",
                                    "Source Han Sans SC",  "SimSun",           "AR PL UMing CN"};
const char* const kFixedFamilies[] = {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono",
                                      "WenQuanYi Micro Hei Mono"};

template <std::size_t N>
QString firstInstalled(const char* const (&names)[N], const QStringList& installed) {
  for (const char* name : names) {
    const QString family = QString::fromUtf8(name);
    if (installed.contains(family, Qt::CaseInsensitive)) return family;
  }
  return {};
}

}  // namespace

QStringList uiFamilies() {
  static const QStringList families = [] {
    const QStringList installed = QFontDatabase::families();
    QStringList list;
    for (const QString& f :
         {firstInstalled(kLatinFamilies, installed), firstInstalled(kCjkFamilies, installed)}) {
      if (!f.isEmpty()) list << f;
    }
    return list;
  }();
  return families;
}

QFont cjkFont() {
  QFont f = QGuiApplication::font();
  if (!uiFamilies().isEmpty()) f.setFamilies(uiFamilies());
  return f;
}

QFont dialogFont(int pointSize) {
  QFont f = cjkFont();
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(pointSize * 96.0 / 72.0))));
  return f;
}

QFont fixedFont() {
  QFont f = QGuiApplication::font();
  const QStringList installed = QFontDatabase::families();
  QStringList families;
  for (const char* name : kFixedFamilies) {
    const QString family = QString::fromUtf8(name);
    if (installed.contains(family, Qt::CaseInsensitive)) families << family;
  }
  families << uiFamilies();
  f.setFamilies(families);
  f.setStyleHint(QFont::Monospace);
  f.setFixedPitch(true);
  return f;
}

}  // namespace zrgui
