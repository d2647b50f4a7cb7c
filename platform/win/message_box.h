// Message boxes: the platform functions the module calls, and the service that
// shows them (printed and answered from the input in console and script mode,
// recorded and answered by the test in unit tests).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/cstring.h"
#include "base/windef.h"
#include "win/table_choice.h"
#include "win/vector_picture.h"

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_ICONASTERISK = 0x40;
constexpr UINT MB_ICONMASK = 0xF0;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The framework's box: the application's name as caption.
int AfxMessageBox(LPCTSTR text, UINT type = MB_OK, UINT helpId = 0);
// The system's box with an explicit caption (null: "错误", as the system does).
int MessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type);

class CDialog;

namespace winplat {

// Caption of AfxMessageBox boxes.
extern const wchar_t* const kAppName;

struct MessageBoxRequest {
  std::wstring caption;
  std::wstring text;
  UINT type = MB_OK;
};

// "OK", "OKCANCEL", "YESNO", "YESNOCANCEL" and "NONE", "EXCLAMATION", ...
std::string buttonsName(UINT type);
std::string iconName(UINT type);
// The box as the JSON object of a MSGBOX line, keys in a fixed order.
std::string messageBoxJson(const MessageBoxRequest& box);
// The answer a box gives when nobody chooses: its first button.
int defaultButton(UINT type);

// Shows message boxes and runs the modal loops of dialogs for the current mode.
class UiService {
 public:
  virtual ~UiService() = default;
  // Returns IDOK, IDCANCEL, IDYES or IDNO.
  virtual int messageBox(const MessageBoxRequest& box) = 0;
  // Runs the modal loop of a dialog that is up (OnInitDialog has run) until
  // it ends; returns its result. The default is the console loop
  // (dialog_script.h: lines from zrbase::currentInput(), cancelled at the end of input).
  virtual INT_PTR runModal(CDialog& dlg);
  // "dlg shot FILE": a picture of the dialog as it is on screen, written to
  // file (PNG). Returns "" when it was written, else why not, and then the
  // line is not applied. Without a screen (the default) nothing is written and
  // a line says so.
  virtual std::string dialogPicture(CDialog& dlg, const std::wstring& file);
  // Shows a table whose rows have pictures and lets the user pick a row.
  // Without a screen (the default) nothing is shown: NotShown, and the
  // caller asks at the command line.
  virtual TableChoiceResult chooseFromTable(const TableChoice& choice);
  // Writes a picture to a PNG file; returns "" or why not. Without a screen
  // (the default) there is nothing to draw with, and it says so.
  virtual std::string savePicturePng(const VectorPicture& picture, const std::wstring& file);
};

// Console and script mode: prints "MSGBOX {json}" and takes a "msg" line as the
// answer; any other line stays unread and the box takes its first button.
class ConsoleUiService : public UiService {
 public:
  int messageBox(const MessageBoxRequest& box) override;
};

// The service in use. Without one set, boxes go to a ConsoleUiService.
UiService& uiService();
void setUiService(UiService* service);

// Installs a service for the lifetime of the object and restores the previous one.
class ScopedUiService {
 public:
  explicit ScopedUiService(UiService& service);
  ~ScopedUiService();
  ScopedUiService(const ScopedUiService&) = delete;
  ScopedUiService& operator=(const ScopedUiService&) = delete;

 private:
  UiService* m_previous;
};

}  // namespace winplat
