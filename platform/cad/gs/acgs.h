// The host's graphics-system objects as a preview control holds them: a view
// (what part of the drawing is looked at and how), a device (the surface drawn
// on: its size in pixels and its background) and a model (how a database's
// entities are turned into graphics).
//
// On this platform they hold settings only; the front end that mirrors the
// control (the console dump, the desktop window) renders from them. Each
// object belongs to the control that made it and lives as long as it.
#pragma once

#include "cad/adsdef.h"
#include "cad/db/ge_geometry.h"

// A colour of the graphics system: red, green, blue and a fourth byte that the
// device keeps as it is given (the host uses it for flags).
struct AcGsColor {
  Adesk::UInt8 m_red = 0;
  Adesk::UInt8 m_green = 0;
  Adesk::UInt8 m_blue = 0;
  Adesk::UInt8 m_filler = 0;
};

class AcGsView {
 public:
  // How shapes are filled, as the host numbers its render modes. A 2D drawing
  // of lines looks the same in every mode.
  enum RenderMode {
    kBoundingBox = -1,
    k2DOptimized = 0,
    kWireframe = 1,
    kHiddenLine = 2,
    kFlatShaded = 3,
    kGouraudShaded = 4,
    kFlatShadedWithWireframe = 5,
    kGouraudShadedWithWireframe = 6,
  };

  RenderMode mode() const { return m_mode; }
  void setMode(RenderMode mode) { m_mode = mode; }

  // The part of the drawing shown: a field of width x height drawing units
  // around target, seen from position (plan view: position above target).
  void setView(const AcGePoint3d& position, const AcGePoint3d& target, const AcGeVector3d& upVector,
               double fieldWidth, double fieldHeight) {
    m_position = position;
    m_target = target;
    m_up = upVector;
    m_fieldWidth = fieldWidth;
    m_fieldHeight = fieldHeight;
  }
  AcGePoint3d position() const { return m_position; }
  AcGePoint3d target() const { return m_target; }
  AcGeVector3d upVector() const { return m_up; }
  double fieldWidth() const { return m_fieldWidth; }
  double fieldHeight() const { return m_fieldHeight; }

  // Pixels kept free around the drawing when a view is fitted to its content.
  int frameMargin() const { return m_frameMargin; }
  void setFrameMargin(int pixels) { m_frameMargin = pixels < 0 ? 0 : pixels; }

 private:
  RenderMode m_mode = k2DOptimized;
  AcGePoint3d m_position{0, 0, 1};
  AcGePoint3d m_target;
  AcGeVector3d m_up{0, 1, 0};
  double m_fieldWidth = 0;  // 0: no view set yet
  double m_fieldHeight = 0;
  int m_frameMargin = 0;
};

class AcGsDevice {
 public:
  // The device's size in pixels (the control's client area).
  void onSize(int width, int height) {
    m_width = width;
    m_height = height;
  }
  int width() const { return m_width; }
  int height() const { return m_height; }

  AcGsColor getBackgroundColor() const { return m_background; }
  void setBackgroundColor(const AcGsColor& color) { m_background = color; }

 private:
  int m_width = 0;
  int m_height = 0;
  AcGsColor m_background{255, 255, 255, 0};  // a new device draws on white
};

class AcGsModel {
 public:
  // A render mode that overrides the view's for this model's graphics.
  AcGsView::RenderMode renderModeOverride() const { return m_override; }
  void setRenderModeOverride(AcGsView::RenderMode mode) { m_override = mode; }

 private:
  AcGsView::RenderMode m_override = AcGsView::k2DOptimized;
};
