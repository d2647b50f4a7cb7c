// Window records: creation, destruction, kinds and the fixed screen geometry.
#include "window_state.h"

#include <algorithm>
#include <unordered_set>

#include "wnd.h"

namespace winplat {

namespace {

struct Registry {
  std::vector<std::unique_ptr<HWND__>> topLevel;
  std::unordered_set<HWND> valid;
  unsigned long generation = 0;
};

Registry& registry() {
  static Registry r;
  return r;
}

int mulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(p >= 0 ? (p + half) / c : -((-p + half) / c));
}

bool sameClass(const std::wstring& a, const wchar_t* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    wchar_t x = a[i];
    wchar_t y = b[i];
    if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - L'a' + L'A');
    if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - L'a' + L'A');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == 0;
}

bool isChild(const HWND__& w) { return w.parent && (w.style & WS_CHILD); }

// WM_DESTROY to the window, then to its children; every record of the tree is
// collected, parents before children, for destroyWindow to detach.
void destroyTree(HWND h, std::vector<HWND>& tree) {
  if (CWnd* wnd = h->wnd) wnd->SendMessage(WM_DESTROY);
  tree.push_back(h);
  std::vector<HWND> kids;
  for (auto& child : h->children) kids.push_back(child.get());
  for (HWND k : kids) {
    if (isWindow(k)) destroyTree(k, tree);
  }
}

}  // namespace

int dluToPixelsX(int dlu) { return mulDiv(dlu, kBaseUnitX, 4); }
int dluToPixelsY(int dlu) { return mulDiv(dlu, kBaseUnitY, 8); }

RECT dluRectToPixels(int x, int y, int cx, int cy) {
  const LONG left = dluToPixelsX(x);
  const LONG top = dluToPixelsY(y);
  return RECT{left, top, left + dluToPixelsX(cx), top + dluToPixelsY(cy)};
}

std::string controlKind(const HWND__& w) {
  if (sameClass(w.className, L"BUTTON")) {
    switch (w.style & BS_TYPEMASK) {
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        return "radio";
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
        return "checkbox";
      case BS_GROUPBOX:
        return "static";
      default:
        return "button";
    }
  }
  if (sameClass(w.className, L"EDIT")) return "edit";
  if (sameClass(w.className, L"COMBOBOX")) return "combobox";
  if (sameClass(w.className, L"STATIC")) return "static";
  return "";
}

bool isComboWithEdit(const HWND__& w) {
  const DWORD type = w.style & CBS_TYPEMASK;
  return sameClass(w.className, L"COMBOBOX") && (type == CBS_SIMPLE || type == CBS_DROPDOWN);
}

HWND createWindow(const std::wstring& className, const std::wstring& text, DWORD style,
                  DWORD exStyle, const RECT& rect, HWND parent, int id) {
  auto rec = std::make_unique<HWND__>();
  rec->className = className;
  rec->text = text;
  rec->style = style;
  rec->exStyle = exStyle;
  rec->rect = rect;
  rec->parent = parent;
  rec->id = id & 0xFFFF;
  HWND h = rec.get();
  if (parent && (style & WS_CHILD)) {
    parent->children.push_back(std::move(rec));
  } else {
    registry().topLevel.push_back(std::move(rec));
  }
  registry().valid.insert(h);
  noteStateChange();
  return h;
}

bool isWindow(HWND h) { return h && registry().valid.count(h) != 0; }

bool destroyWindow(HWND h) {
  if (!isWindow(h)) return false;
  std::vector<HWND> tree;
  destroyTree(h, tree);
  for (HWND w : tree) {
    registry().valid.erase(w);
    if (w->temporary) w->temporary->m_hWnd = nullptr;
    if (CWnd* wnd = w->wnd) {
      w->wnd = nullptr;
      wnd->m_hWnd = nullptr;
      wnd->PostNcDestroy();
    }
  }
  auto release = [h](std::vector<std::unique_ptr<HWND__>>& list) {
    auto it = std::find_if(list.begin(), list.end(), [h](const auto& p) { return p.get() == h; });
    if (it == list.end()) return false;
    std::unique_ptr<HWND__> doomed = std::move(*it);
    list.erase(it);
    return true;
  };
  if (!(isChild(*h) && isWindow(h->parent) && release(h->parent->children))) {
    release(registry().topLevel);
  }
  noteStateChange();
  return true;
}

RECT nonClientEdges(const HWND__& w) {
  if (!isChild(w)) {
    const bool framed = (w.style & (WS_CAPTION | WS_DLGFRAME | WS_BORDER | WS_THICKFRAME)) ||
                        (w.style & DS_MODALFRAME);
    const LONG f = framed ? kFrameWidth : 0;
    const LONG caption = (w.style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0;
    return RECT{f, f + caption, f, f};
  }
  LONG e = 0;
  if (w.exStyle & WS_EX_CLIENTEDGE) {
    e = 2;
  } else if ((w.style & WS_BORDER) || (w.exStyle & WS_EX_STATICEDGE) ||
             (sameClass(w.className, L"STATIC") && (w.style & SS_SUNKEN))) {
    e = 1;
  }
  return RECT{e, e, e, e};
}

POINT clientOriginOnScreen(const HWND__& w) {
  const RECT edges = nonClientEdges(w);
  POINT p{w.rect.left + edges.left, w.rect.top + edges.top};
  if (isChild(w)) {
    const POINT parent = clientOriginOnScreen(*w.parent);
    p.x += parent.x;
    p.y += parent.y;
  }
  return p;
}

HWND findChild(HWND parent, int id) {
  if (!isWindow(parent)) return nullptr;
  for (auto& child : parent->children) {
    if (child->id == (id & 0xFFFF)) return child.get();
  }
  return nullptr;
}

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> list;
  for (auto& w : registry().topLevel) list.push_back(w.get());
  return list;
}

std::wstring windowText(const HWND__& w) {
  if (controlKind(w) == "combobox" && !isComboWithEdit(w)) {
    if (w.curSel < 0 || w.curSel >= static_cast<int>(w.items.size())) return {};
    return w.items[static_cast<std::size_t>(w.curSel)];
  }
  return w.text;
}

bool isVisibleOnScreen(const HWND__& w) {
  for (const HWND__* p = &w; p; p = isChild(*p) ? p->parent : nullptr) {
    if (!(p->style & WS_VISIBLE)) return false;
  }
  return true;
}

unsigned long stateGeneration() { return registry().generation; }
void noteStateChange() { ++registry().generation; }

}  // namespace winplat

BOOL IsWindow(HWND h) { return winplat::isWindow(h) ? TRUE : FALSE; }
