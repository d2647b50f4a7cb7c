// Message box functions and the console service.
#include "message_box.h"

#include <nlohmann/json.hpp>

#include "base/console_input.h"
#include "dialog.h"
#include "dialog_script.h"
#include "wnd.h"

namespace winplat {

const wchar_t* const kAppName = L"fancad";

namespace {
UiService* g_service = nullptr;
}

std::string buttonsName(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return "OKCANCEL";
    case MB_YESNO:
      return "YESNO";
    case MB_YESNOCANCEL:
      return "YESNOCANCEL";
    default:
      return "OK";
  }
}

std::string iconName(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
      return "ERROR";
    case MB_ICONQUESTION:
      return "QUESTION";
    case MB_ICONEXCLAMATION:
      return "EXCLAMATION";
    case MB_ICONINFORMATION:
      return "INFORMATION";
    default:
      return "NONE";
  }
}

std::string messageBoxJson(const MessageBoxRequest& box) {
  nlohmann::ordered_json j;
  j["caption"] = zrbase::wideToUtf8(box.caption);
  j["text"] = zrbase::wideToUtf8(box.text);
  j["buttons"] = buttonsName(box.type);
  j["icon"] = iconName(box.type);
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

int defaultButton(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    default:
      return IDOK;
  }
}

namespace {

// The answer of a "msg WORD" line for a box of the given type, or 0 when the
// box has no such button.
int answerFor(const std::string& word, UINT type) {
  const std::string buttons = buttonsName(type);
  if (word == "ok" && (buttons == "OK" || buttons == "OKCANCEL")) return IDOK;
  if (word == "cancel" && (buttons == "OKCANCEL" || buttons == "YESNOCANCEL")) return IDCANCEL;
  if (word == "yes" && (buttons == "YESNO" || buttons == "YESNOCANCEL")) return IDYES;
  if (word == "no" && (buttons == "YESNO" || buttons == "YESNOCANCEL")) return IDNO;
  return 0;
}

}  // namespace

int ConsoleUiService::messageBox(const MessageBoxRequest& box) {
  zrbase::consoleOut() << "MSGBOX " << messageBoxJson(box) << std::endl;
  zrbase::InputSource* in = zrbase::currentInput();
  if (!in) return defaultButton(box.type);
  const auto line = in->peek();
  if (!line || line->rfind("msg", 0) != 0 || (line->size() > 3 && (*line)[3] != ' ')) {
    return defaultButton(box.type);
  }
  const std::string word = zrbase::trimLine(line->substr(3));
  const int id = answerFor(word, box.type);
  if (id == 0) {
    zrbase::failInputLine("the message box has no button '" + word + "' (buttons " +
                          buttonsName(box.type) + ")");
  }
  in->consume();
  return id;
}

INT_PTR UiService::runModal(CDialog& dlg) {
  runConsoleModalLoop(dlg);
  return dlg.GetModalResult();
}

std::string UiService::dialogPicture(CDialog& /*dlg*/, const std::wstring& file) {
  zrbase::consoleOut() << "DLG shot " << zrbase::wideToUtf8(file)
                       << ": pictures of dialogs are taken in desktop mode only; nothing written"
                       << std::endl;
  return {};
}

TableChoiceResult UiService::chooseFromTable(const TableChoice& /*choice*/) { return {}; }

std::string UiService::savePicturePng(const VectorPicture& /*picture*/,
                                      const std::wstring& /*file*/) {
  return "PNG pictures are drawn in desktop mode only (fancad --gui)";
}

UiService& uiService() {
  static ConsoleUiService console;
  return g_service ? *g_service : console;
}

void setUiService(UiService* service) { g_service = service; }

ScopedUiService::ScopedUiService(UiService& service) : m_previous(g_service) {
  g_service = &service;
}

ScopedUiService::~ScopedUiService() { g_service = m_previous; }

}  // namespace winplat

int AfxMessageBox(LPCTSTR text, UINT type, UINT /*helpId*/) {
  return winplat::uiService().messageBox({winplat::kAppName, text ? text : L"", type});
}

int MessageBox(HWND /*owner*/, LPCTSTR text, LPCTSTR caption, UINT type) {
  return winplat::uiService().messageBox({caption ? caption : L"错误", text ? text : L"", type});
}
