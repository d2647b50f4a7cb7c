// Points, sizes and rectangles: the plain structs of the window layer and the
// framework's classes over them. Coordinates are pixels; a rectangle's right and
// bottom edges are exclusive, as on the native platform.
#pragma once

#include <algorithm>

#include "base/windef.h"

struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPPOINT = POINT*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(int cx_, int cy_) : SIZE{cx_, cy_} {}
  CSize(SIZE s) : SIZE(s) {}  // NOLINT: implicit as in the framework
  friend bool operator==(const CSize& a, const CSize& b) { return a.cx == b.cx && a.cy == b.cy; }
  friend bool operator!=(const CSize& a, const CSize& b) { return !(a == b); }
};

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(int x_, int y_) : POINT{x_, y_} {}
  CPoint(POINT p) : POINT(p) {}  // NOLINT: implicit as in the framework
  void Offset(int dx, int dy) {
    x += dx;
    y += dy;
  }
  friend bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
  friend bool operator!=(const CPoint& a, const CPoint& b) { return !(a == b); }
  friend CPoint operator+(const CPoint& a, const CSize& s) {
    return CPoint(a.x + s.cx, a.y + s.cy);
  }
  friend CPoint operator-(const CPoint& a, const CSize& s) {
    return CPoint(a.x - s.cx, a.y - s.cy);
  }
  friend CSize operator-(const CPoint& a, const CPoint& b) { return CSize(a.x - b.x, a.y - b.y); }
};

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}  // NOLINT: implicit as in the framework
  CRect(LPCRECT r) : RECT(*r) {}     // NOLINT
  CRect(POINT topLeft, SIZE size)
      : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  BOOL IsRectEmpty() const { return (right <= left || bottom <= top) ? TRUE : FALSE; }
  BOOL IsRectNull() const { return (left == 0 && top == 0 && right == 0 && bottom == 0); }
  BOOL PtInRect(POINT p) const {
    return (p.x >= left && p.x < right && p.y >= top && p.y < bottom) ? TRUE : FALSE;
  }
  void SetRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void OffsetRect(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
  void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
  void InflateRect(int dx, int dy) {
    left -= dx;
    right += dx;
    top -= dy;
    bottom += dy;
  }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
  }
  BOOL IntersectRect(LPCRECT a, LPCRECT b) {
    SetRect(std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
            std::min(a->bottom, b->bottom));
    if (IsRectEmpty()) {
      SetRectEmpty();
      return FALSE;
    }
    return TRUE;
  }

  operator LPRECT() { return this; }         // NOLINT: implicit as in the framework
  operator LPCRECT() const { return this; }  // NOLINT

  friend bool operator==(const CRect& a, const CRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  friend bool operator!=(const CRect& a, const CRect& b) { return !(a == b); }
};
