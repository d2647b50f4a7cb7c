// Resource tables: look-ups, string loading and the resource-compiler statements.
#include "resources.h"

#include <dlfcn.h>

#include <cwchar>

#include "base/module_instance.h"
#include "extension_module.h"

namespace winplat {

const DialogTemplate* ResourceTable::findDialog(UINT id) const {
  for (const auto& d : dialogs) {
    if (d.id == id) return &d;
  }
  return nullptr;
}

const MenuTemplate* ResourceTable::findMenu(UINT id) const {
  for (const auto& m : menus) {
    if (m.id == id) return &m;
  }
  return nullptr;
}

const std::wstring* ResourceTable::findString(UINT id) const {
  for (const auto& s : strings) {
    if (s.id == id) return &s.text;
  }
  return nullptr;
}

const ResourceTable* resourcesOf(HINSTANCE h) {
  const zrbase::ModuleInstance* m = zrbase::moduleInstance(h);
  if (!m) return nullptr;
  if (m->table) return static_cast<const ResourceTable*>(m->table);
  if (!m->dlHandle) return nullptr;
  using Getter = decltype(&fancadModuleResources);
  const auto getter = reinterpret_cast<Getter>(::dlsym(m->dlHandle, kResourceSymbol));
  return getter ? getter() : nullptr;
}

HINSTANCE instanceFromTable(const ResourceTable* table, const std::string& name) {
  return zrbase::instanceFromTable(table, name);
}

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

ControlTemplate make(int id, const wchar_t* cls, const std::wstring& text, DWORD style, int x,
                     int y, int cx, int cy) {
  ControlTemplate c;
  c.id = id & 0xFFFF;
  c.className = cls;
  c.text = text;
  c.style = style | kChild;
  c.x = x;
  c.y = y;
  c.cx = cx;
  c.cy = cy;
  return c;
}

}  // namespace

ControlTemplate pushButton(const std::wstring& text, int id, int x, int y, int cx, int cy,
                           DWORD style) {
  return make(id, L"BUTTON", text, BS_PUSHBUTTON | WS_TABSTOP | style, x, y, cx, cy);
}

ControlTemplate defPushButton(const std::wstring& text, int id, int x, int y, int cx, int cy,
                              DWORD style) {
  return make(id, L"BUTTON", text, BS_DEFPUSHBUTTON | WS_TABSTOP | style, x, y, cx, cy);
}

ControlTemplate autoRadioButton(const std::wstring& text, int id, int x, int y, int cx, int cy,
                                DWORD style) {
  return make(id, L"BUTTON", text, BS_AUTORADIOBUTTON | WS_TABSTOP | style, x, y, cx, cy);
}

ControlTemplate autoCheckBox(const std::wstring& text, int id, int x, int y, int cx, int cy,
                             DWORD style) {
  return make(id, L"BUTTON", text, BS_AUTOCHECKBOX | WS_TABSTOP | style, x, y, cx, cy);
}

ControlTemplate groupBox(const std::wstring& text, int id, int x, int y, int cx, int cy,
                         DWORD style) {
  return make(id, L"BUTTON", text, BS_GROUPBOX | style, x, y, cx, cy);
}

ControlTemplate lText(const std::wstring& text, int id, int x, int y, int cx, int cy, DWORD style) {
  return make(id, L"STATIC", text, SS_LEFT | WS_GROUP | style, x, y, cx, cy);
}

ControlTemplate editText(int id, int x, int y, int cx, int cy, DWORD style) {
  return make(id, L"EDIT", L"", ES_LEFT | WS_BORDER | WS_TABSTOP | style, x, y, cx, cy);
}

ControlTemplate comboBox(int id, int x, int y, int cx, int cy, DWORD style,
                         std::vector<std::wstring> items) {
  // The box's type replaces the default CBS_SIMPLE rather than adding to it.
  const DWORD type = (style & CBS_TYPEMASK) ? 0 : CBS_SIMPLE;
  ControlTemplate c = make(id, L"COMBOBOX", L"", type | WS_TABSTOP | style, x, y, cx, cy);
  c.items = std::move(items);
  return c;
}

ControlTemplate control(const std::wstring& text, int id, const std::wstring& className,
                        DWORD style, int x, int y, int cx, int cy, DWORD exStyle) {
  ControlTemplate c = make(id, L"", text, style, x, y, cx, cy);
  c.className = className;
  c.exStyle = exStyle;
  return c;
}

}  // namespace winplat

int LoadString(HINSTANCE hInstance, UINT uID, LPTSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) return 0;
  lpBuffer[0] = 0;
  const winplat::ResourceTable* table = winplat::resourcesOf(hInstance);
  const std::wstring* text = table ? table->findString(uID) : nullptr;
  if (!text) return 0;
  const auto n = std::min<std::size_t>(text->size(), static_cast<std::size_t>(cchBufferMax - 1));
  std::wmemcpy(lpBuffer, text->data(), n);
  lpBuffer[n] = 0;
  return static_cast<int>(n);
}

BOOL AfxLoadString(UINT nID, CString& rString) {
  const std::wstring* text = winplat::findStringResource(nID);
  if (!text) return FALSE;
  rString = CString(*text);
  return TRUE;
}
