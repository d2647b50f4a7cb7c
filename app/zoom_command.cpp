// ZOOM.
#include "zoom_command.h"

#include "cad/aced.h"

namespace fancad {

namespace {

ZoomView* g_view = nullptr;

int zoomWindow(const ads_point first) {
  ads_point second;
  const int rc = acedGetPoint(first, L"Specify opposite corner: ", second);
  if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
  if (g_view) g_view->zoomWindow(first[0], first[1], second[0], second[1]);
  return RTNORM;
}

void zoomExtents() {
  if (g_view) g_view->zoomExtents();
}

void zoomBy(double factor) {
  if (g_view) g_view->zoomBy(factor);
}

int zoomCommand() {
  acedInitGet(0, L"Extents Window In Out");
  ads_point first;
  int rc = acedGetPoint(nullptr, L"Specify corner of window or [Extents/Window/In/Out] <Extents>: ",
                        first);
  if (rc == RTNORM) return zoomWindow(first);
  if (rc == RTNONE) {
    zoomExtents();
    return RTNORM;
  }
  if (rc != RTKWORD) return rc;
  ACHAR keyword[16];
  acedGetInput(keyword, 16);
  switch (keyword[0]) {
    case L'I':
      zoomBy(2);
      return RTNORM;
    case L'O':
      zoomBy(0.5);
      return RTNORM;
    case L'W':
      rc = acedGetPoint(nullptr, L"Specify first corner: ", first);
      if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
      return zoomWindow(first);
    default:
      zoomExtents();
      return RTNORM;
  }
}

}  // namespace

void setZoomView(ZoomView* view) { g_view = view; }

void registerZoomCommand() {
  cadrt::CommandProcessor::instance().addHostCommand(L"ZOOM", zoomCommand);
}

}  // namespace fancad
