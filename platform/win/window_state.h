// The windows themselves: what an HWND points to on this platform.
//
// Every window and control is a record of state (class, id, text, style,
// rectangle, items, selection, check state) kept here; CWnd objects are
// wrappers attached to a record, as a framework object is attached to a native
// window. Handlers change the state through CWnd and its control classes; the
// console dump, the tests and the desktop front end read it.
//
// Ownership: a parent owns its children's records; a top-level window's record
// is owned by the window registry until it is destroyed. Destroying a window
// sends WM_DESTROY to it, destroys its children, detaches every CWnd attached
// to it and frees the records. An HWND is valid (IsWindow) from creation to
// destruction.
//
// Geometry: one dialog base unit is fixed for the template font (宋体 9 pt):
// 4 horizontal dialog units are 6 pixels and 8 vertical dialog units are 12
// pixels (kBaseUnitX/kBaseUnitY), rounded as MulDiv rounds. Top-level windows
// stand at a fixed place on the screen, (kScreenLeft, kScreenTop); a window with
// a caption has a frame of kFrameWidth pixels and a caption of kCaptionHeight
// pixels above its client area; a control with WS_BORDER or SS_SUNKEN has a
// one-pixel edge, WS_EX_CLIENTEDGE two. So screen and client coordinates
// convert exactly and the same way every run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "geometry.h"
#include "winuser.h"

class CWnd;

struct HWND__ {
  std::wstring className;  // "#32770" for dialogs, "BUTTON", "EDIT", "COMBOBOX", "STATIC", ...
  int id = 0;              // control id (16 bits, as in templates), 0 for top-level windows
  std::wstring text;       // window text; for a combo box with an edit field, the field
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{0, 0, 0, 0};  // window rectangle: parent client coordinates for children,
                          // screen coordinates for top-level windows
  HWND parent = nullptr;  // parent (children) or owner (top-level windows)
  std::vector<std::unique_ptr<HWND__>> children;  // in creation (template) order
  bool fromTemplate = false;                      // created from a dialog template

  // Combo boxes.
  std::vector<std::wstring> items;
  std::vector<DWORD_PTR> itemData;
  int curSel = -1;
  int textLimit = 0;
  // Buttons.
  int check = 0;
  // Edits.
  bool modified = false;

  CWnd* wnd = nullptr;              // the permanent CWnd attached, if any
  std::unique_ptr<CWnd> temporary;  // the wrapper FromHandle made for an unattached window
  unsigned long paintCount = 0;     // times the window was asked to repaint
};

namespace winplat {

inline constexpr int kBaseUnitX = 6;   // pixels per 4 horizontal dialog units
inline constexpr int kBaseUnitY = 12;  // pixels per 8 vertical dialog units
inline constexpr int kScreenLeft = 100;
inline constexpr int kScreenTop = 100;
inline constexpr int kFrameWidth = 3;
inline constexpr int kCaptionHeight = 22;

// Dialog units to pixels (MulDiv rounding: halves away from zero).
int dluToPixelsX(int dlu);
int dluToPixelsY(int dlu);
RECT dluRectToPixels(int x, int y, int cx, int cy);

// What a window of this class and style is, for the dump and the script lines:
// "button", "radio", "checkbox", "edit", "combobox", "static", or "" for any
// other class (dialogs, grids, custom controls).
std::string controlKind(const HWND__& w);
bool isComboWithEdit(const HWND__& w);  // CBS_SIMPLE or CBS_DROPDOWN

// Creates a window record. A child is appended to its parent's children; a
// top-level window (parent null or style without WS_CHILD) is kept by the
// registry, with parent as its owner. rect as for HWND__::rect.
HWND createWindow(const std::wstring& className, const std::wstring& text, DWORD style,
                  DWORD exStyle, const RECT& rect, HWND parent, int id);
// Destroys the window and its children (see the file comment). Returns false
// for a window that is not valid.
bool destroyWindow(HWND h);
bool isWindow(HWND h);

// The edges between window and client rectangle, in pixels.
RECT nonClientEdges(const HWND__& w);
// The screen position of the window's client origin.
POINT clientOriginOnScreen(const HWND__& w);
// The first direct child with this id, or null.
HWND findChild(HWND parent, int id);
// The top-level windows that exist now, oldest first.
std::vector<HWND> topLevelWindows();
// The window's text as GetWindowText gives it: for a drop-down list the
// selected item (empty when none), for every other window its own text.
std::wstring windowText(const HWND__& w);
// True when the window and all its ancestors (up to the top-level window) have WS_VISIBLE.
bool isVisibleOnScreen(const HWND__& w);

// Increases with every change of any window's state; front ends that mirror
// the windows compare it to know when to refresh.
unsigned long stateGeneration();
void noteStateChange();

}  // namespace winplat

// The native function of the same name.
BOOL IsWindow(HWND h);
