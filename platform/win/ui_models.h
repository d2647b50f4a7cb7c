// The interfaces through which front ends (the console dump, the desktop
// window, tests) see custom controls without knowing their classes: a grid
// model and a preview model. A custom control derives from CWnd and from one
// of these; the dialog finds it among its child windows by dynamic_cast.
#pragma once

#include <string>
#include <vector>

#include "base/windef.h"

namespace winplat {

// What every custom control's model shares: a way to tell the front ends that
// mirror the windows that what they show has changed.
class ControlModel {
 public:
  virtual ~ControlModel() = default;

 protected:
  // Called by the control after every change of its model (texts, counts,
  // widths, focus, the database shown); front ends then refresh it as they do
  // after any change of a window's own state.
  void modelChanged();
};

// A grid of text cells. Rows and columns count from 0, fixed rows at the top
// and fixed columns at the left included.
class GridModel : public ControlModel {
 public:
  enum class CellKind { Plain, Combo };

  virtual int gridRowCount() const = 0;
  virtual int gridColumnCount() const = 0;
  virtual int gridFixedRowCount() const = 0;
  virtual int gridFixedColumnCount() const = 0;
  virtual std::wstring cellText(int row, int col) const = 0;
  virtual CellKind cellKind(int row, int col) const = 0;
  // The choices of a combo cell (empty for a plain cell).
  virtual std::vector<std::wstring> cellChoices(int row, int col) const = 0;
  // Whether a combo cell takes only one of its choices (a drop-down list):
  // front ends then offer the choices alone, and editCell refuses any other
  // text. False for a combo cell with an edit field and for plain cells;
  // grids without drop-down lists need not override it.
  virtual bool cellChoicesOnly(int /*row*/, int /*col*/) const { return false; }
  // False for fixed cells and read-only grids.
  virtual bool cellEditable(int row, int col) const = 0;
  virtual int columnWidth(int col) const = 0;
  virtual int rowHeight(int row) const = 0;
  // The focus cell, -1 and -1 when no cell has the focus.
  virtual int focusRow() const = 0;
  virtual int focusColumn() const = 0;

  // What the user does, as the control itself would handle it; each raises
  // the control's notification to its parent.
  // A click on a cell: the focus moves there, then the click notification.
  // row or col -1 is a click outside the cells: no focus change, the
  // notification carries -1.
  virtual void clickCell(int row, int col) = 0;
  // An in-place edit that ends with text: the focus moves to the cell, its
  // text is set, then the end-of-edit notification. False (nothing done) for
  // a cell that is not editable or does not exist, and for a text that a
  // drop-down list cell does not offer.
  virtual bool editCell(int row, int col, const std::wstring& text) = 0;
  // A choice from a combo cell's list: as editCell; false when text is not one
  // of the cell's choices.
  virtual bool pickCell(int row, int col, const std::wstring& text) = 0;
};

// How a preview shows its drawing.
struct PreviewView {
  double centerX = 0;  // view centre in model coordinates
  double centerY = 0;
  double width = 0;  // model-space width and height shown; 0 before the first view
  double height = 0;
  double twist = 0;  // radians
};

// The commands of a preview's context menu. A module that gives its previews a
// menu keeps it in its resources with these command ids; the front end shows
// the first such menu it finds and does what each command names.
inline constexpr UINT kPreviewZoomRealtime = 32768;  // drag up and down to zoom
inline constexpr UINT kPreviewPan = 32769;           // drag to move the view
inline constexpr UINT kPreviewOrbit = 32770;         // drag to turn the view
inline constexpr UINT kPreviewInitialView = 32773;   // back to the drawing fitted
inline constexpr UINT kPreviewZoomWindow = 32775;    // drag a rectangle to fill the view

// A preview of a drawing database's model space.
class PreviewModel : public ControlModel {
 public:
  // The database shown (an AcDbDatabase* of the CAD runtime), null when none.
  virtual const void* previewDatabase() const = 0;
  // Entities in the model space of that database; 0 when nothing is shown.
  virtual int previewEntityCount() const = 0;
  // False when the preview was erased or never given a database.
  virtual bool previewShown() const = 0;
  virtual COLORREF previewBackground() const = 0;
  virtual PreviewView previewView() const = 0;
};

}  // namespace winplat
