// View block names, and the views of either hand.
#include "fan_views.h"

#include "drawings/view_names.h"

namespace fangen {

std::string viewBlockName(View view, Hand hand, int angleDegrees) {
  // Any hand text but the left one names the right hand.
  return ViewBlockName(static_cast<int>(view), hand == Hand::Left ? kLeftHand : L"",
                       CString(std::to_wstring(angleDegrees)))
      .ToUtf8();
}

Sketch viewSketch(View view, Hand hand, const FanLayout& layout, const std::string& model) {
  Sketch s = view == View::Front  ? frontView(layout, model)
             : view == View::Side ? sideView(layout)
                                  : topView(layout, model);
  if (hand == Hand::Left) s.mirrorX();
  return s;
}

Label modelLabel(const FanLayout& layout, double y, const std::string& model) {
  const double height = 0.08 * layout.shape.impeller;
  return {{0, y - 0.06 * layout.shape.impeller - height}, height, "MODEL", "风机型号", model};
}

}  // namespace fangen
