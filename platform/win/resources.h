// Resources as data: dialog templates, menus and string tables, grouped in one
// table per module. A module exports its table through fancadModuleResources
// (declared below; the module defines it) and the framework finds templates and
// strings through the instance handle.
//
// Geometry in templates is in dialog units (window_state.h converts them).
// Control ids are 16-bit as in native templates: IDC_STATIC (-1) is 65535.
// The helpers below build controls as the resource compiler's statements do,
// with the same default styles (WS_CHILD | WS_VISIBLE and the statement's own).
#pragma once

#include <string>
#include <vector>

#include "base/cstring.h"
#include "extension_module.h"
#include "winuser.h"

namespace winplat {

struct ControlTemplate {
  int id = 0;
  std::wstring className;  // "BUTTON", "EDIT", "COMBOBOX", "STATIC" or a custom class name
  std::wstring text;
  DWORD style = 0;  // complete style, WS_CHILD | WS_VISIBLE included
  int x = 0, y = 0, cx = 0, cy = 0;
  std::vector<std::wstring> items;  // a combo box's initial items (added in OnInitDialog)
  DWORD exStyle = 0;
};

struct DialogTemplate {
  UINT id = 0;
  std::wstring caption;
  std::wstring fontFace;  // e.g. L"宋体"
  int pointSize = 9;
  DWORD style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::vector<ControlTemplate> controls;  // in tab (creation) order
};

// Menu item flags.
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MFS_DEFAULT = 0x1000;

struct MenuItemTemplate {
  UINT id = 0;  // command id; 0 for separators and popups
  std::wstring text;
  UINT flags = MF_STRING;  // MF_SEPARATOR, MF_GRAYED, MFS_DEFAULT (the default item)...
  std::vector<MenuItemTemplate> popup;  // the items of a popup (MF_POPUP)
};

struct MenuTemplate {
  UINT id = 0;
  std::vector<MenuItemTemplate> items;
};

struct StringResource {
  UINT id = 0;
  std::wstring text;
};

struct ResourceTable {
  std::vector<DialogTemplate> dialogs;
  std::vector<MenuTemplate> menus;
  std::vector<StringResource> strings;

  // Null when the table has no resource with that id.
  const DialogTemplate* findDialog(UINT id) const;
  const MenuTemplate* findMenu(UINT id) const;
  const std::wstring* findString(UINT id) const;
};

// The resource table behind an instance handle (null when none): the table the
// handle was made over, or the one its library exports.
const ResourceTable* resourcesOf(HINSTANCE h);
// A new instance handle over a resource table (tests, the host program itself).
HINSTANCE instanceFromTable(const ResourceTable* table, const std::string& name);

// The name under which a module library exports fancadModuleResources.
inline constexpr const char* kResourceSymbol = "fancadModuleResources";

// Resource-compiler statements. style adds to the statement's default style.
ControlTemplate pushButton(const std::wstring& text, int id, int x, int y, int cx, int cy,
                           DWORD style = 0);
ControlTemplate defPushButton(const std::wstring& text, int id, int x, int y, int cx, int cy,
                              DWORD style = 0);
ControlTemplate autoRadioButton(const std::wstring& text, int id, int x, int y, int cx, int cy,
                                DWORD style = 0);
ControlTemplate autoCheckBox(const std::wstring& text, int id, int x, int y, int cx, int cy,
                             DWORD style = 0);
ControlTemplate groupBox(const std::wstring& text, int id, int x, int y, int cx, int cy,
                         DWORD style = 0);
ControlTemplate lText(const std::wstring& text, int id, int x, int y, int cx, int cy,
                      DWORD style = 0);
ControlTemplate editText(int id, int x, int y, int cx, int cy, DWORD style = 0);
ControlTemplate comboBox(int id, int x, int y, int cx, int cy, DWORD style,
                         std::vector<std::wstring> items = {});
// CONTROL: any class, the style as given plus WS_CHILD | WS_VISIBLE.
ControlTemplate control(const std::wstring& text, int id, const std::wstring& className,
                        DWORD style, int x, int y, int cx, int cy, DWORD exStyle = 0);

}  // namespace winplat

// A module with resources defines this, with C linkage so that the loader finds it
// by kResourceSymbol in the loaded library.
extern "C" const winplat::ResourceTable* fancadModuleResources();

// Copies string nID of the module's string table into buffer (at most
// cchBufferMax - 1 characters and a terminator). Returns the number of
// characters copied, 0 when there is no such string.
int LoadString(HINSTANCE hInstance, UINT uID, LPTSTR lpBuffer, int cchBufferMax);
// The string from the current resource module, then the CDynLinkLibrary chain.
BOOL AfxLoadString(UINT nID, CString& rString);
