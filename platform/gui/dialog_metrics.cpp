// Dialog units from the dialog font.
#include "gui/dialog_metrics.h"

#include <QFontMetrics>
#include <cmath>

#include "gui/gui_fonts.h"
#include "win/window_state.h"

namespace zrgui {

DialogMetrics DialogMetrics::forFont(const QFont& font) {
  DialogMetrics m;
  m.font = font;
  const QFontMetrics fm(font);
  const int letters =
      fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m.baseX = std::max(1, (letters / 26 + 1) / 2);
  m.baseY = std::max(1, fm.height());
  m.scaleX = static_cast<double>(m.baseX) / winplat::kBaseUnitX;
  m.scaleY = static_cast<double>(m.baseY) / winplat::kBaseUnitY;
  return m;
}

DialogMetrics DialogMetrics::forTemplateFont(int pointSize) {
  return forFont(dialogFont(pointSize > 0 ? pointSize : 9));
}

int DialogMetrics::toScreenX(int x) const { return static_cast<int>(std::lround(x * scaleX)); }
int DialogMetrics::toScreenY(int y) const { return static_cast<int>(std::lround(y * scaleY)); }

QRect DialogMetrics::toScreen(const RECT& r) const {
  const int left = toScreenX(r.left);
  const int top = toScreenY(r.top);
  return QRect(left, top, toScreenX(r.right) - left, toScreenY(r.bottom) - top);
}

}  // namespace zrgui
