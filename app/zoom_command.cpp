// ZOOM.
#include "zoom_command.h"

#include "cad/aced.h"
#include "gui/drawing_canvas.h"

namespace fancad {

namespace {

zrgui::DrawingCanvas* g_canvas = nullptr;

int zoomWindow(const ads_point first) {
  ads_point second;
  const int rc = acedGetPoint(first, L"Specify opposite corner: ", second);
  if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
  g_canvas->zoomWindow(QRectF(QPointF(first[0], first[1]), QPointF(second[0], second[1])));
  return RTNORM;
}

int zoomCommand() {
  if (!g_canvas) return RTERROR;
  acedInitGet(0, L"Extents Window In Out");
  ads_point first;
  int rc = acedGetPoint(nullptr, L"Specify corner of window or [Extents/Window/In/Out] <Extents>: ",
                        first);
  if (rc == RTNORM) return zoomWindow(first);
  if (rc == RTNONE) {
    g_canvas->zoomExtents();
    return RTNORM;
  }
  if (rc != RTKWORD) return rc;
  ACHAR keyword[16];
  acedGetInput(keyword, 16);
  switch (keyword[0]) {
    case L'I':
      g_canvas->zoomBy(2);
      return RTNORM;
    case L'O':
      g_canvas->zoomBy(0.5);
      return RTNORM;
    case L'W':
      rc = acedGetPoint(nullptr, L"Specify first corner: ", first);
      if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
      return zoomWindow(first);
    default:
      g_canvas->zoomExtents();
      return RTNORM;
  }
}

}  // namespace

void registerZoomCommand(zrgui::DrawingCanvas* canvas) {
  g_canvas = canvas;
  cadrt::CommandProcessor::instance().addHostCommand(L"ZOOM", zoomCommand);
}

}  // namespace fancad
