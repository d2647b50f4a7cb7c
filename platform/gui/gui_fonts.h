// The fonts of the desktop front end.
//
// Dialog templates name 宋体 (SimSun), which Linux desktops seldom have. Text
// is drawn with two families: a Latin one for letters, digits and symbols,
// then a CJK one for what the first lacks. Both are chosen by name, the first
// installed of each list (the bootstrap installs DejaVu Sans and WenQuanYi
// Micro Hei): without a CJK face Qt draws every Chinese character as an empty
// box, and WenQuanYi Micro Hei claims symbols such as ℃ but draws them blank,
// so it must not come first.
#pragma once

#include <QFont>
#include <QStringList>

namespace zrgui {

// The families in use, Latin first (empty when none of either is installed:
// the default font then).
QStringList uiFamilies();
// The families at the default size of widgets.
QFont cjkFont();
// The font of a dialog template: the families at pointSize points, sized in
// pixels at 96 pixels per inch (9 points: 12 pixels), as template layouts are
// measured on the screens they were made for.
QFont dialogFont(int pointSize);
// A fixed-width font at the default size, for text laid out in columns (the
// command history's tables): DejaVu Sans Mono, then the CJK families for
// Chinese, which no installed face draws exactly two Latin columns wide
// (WenQuanYi Micro Hei Mono's are 1.66), so a column after Chinese text
// shifts by a fraction of a character.
QFont fixedFont();

}  // namespace zrgui
