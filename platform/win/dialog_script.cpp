// DUMP of a dialog, the "dlg" lines and the console modal loop.
#include "dialog_script.h"

#include <algorithm>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>

#include "base/console_input.h"
#include "base/user_action.h"
#include "combo_box.h"
#include "controls.h"
#include "message_box.h"
#include "ui_models.h"

namespace winplat {

namespace {

using Json = nlohmann::ordered_json;
using Action = std::function<void()>;

std::string utf8(const std::wstring& s) { return zrbase::wideToUtf8(s); }

Json controlJson(const HWND__& w, const std::string& kind) {
  Json c;
  c["id"] = w.id;
  c["kind"] = kind;
  c["text"] = utf8(windowText(w));
  if (kind == "combobox") {
    Json items = Json::array();
    for (const auto& item : w.items) items.push_back(utf8(item));
    c["items"] = items;
    c["sel"] = w.curSel;
  }
  if (kind == "radio" || kind == "checkbox") c["checked"] = w.check == BST_CHECKED;
  c["enabled"] = !(w.style & WS_DISABLED);
  c["visible"] = (w.style & WS_VISIBLE) != 0;
  return c;
}

Json gridJson(int id, const GridModel& g) {
  Json j;
  j["id"] = id;
  j["rows"] = g.gridRowCount();
  j["cols"] = g.gridColumnCount();
  j["fixedRows"] = g.gridFixedRowCount();
  j["fixedCols"] = g.gridFixedColumnCount();
  j["focus"] = Json::array({g.focusRow(), g.focusColumn()});
  Json cells = Json::array();
  for (int r = 0; r < g.gridRowCount(); ++r) {
    Json row = Json::array();
    for (int c = 0; c < g.gridColumnCount(); ++c) row.push_back(utf8(g.cellText(r, c)));
    cells.push_back(row);
  }
  j["cells"] = cells;
  return j;
}

// One parsed line: the words before the free text, and the free text.
class LineReader {
 public:
  explicit LineReader(const std::string& line) : m_line(line) {}
  bool word(std::string& out) {
    skip();
    if (m_pos >= m_line.size()) return false;
    const auto end = m_line.find_first_of(" \t", m_pos);
    out = m_line.substr(m_pos, end == std::string::npos ? std::string::npos : end - m_pos);
    m_pos = end == std::string::npos ? m_line.size() : end;
    return true;
  }
  bool number(int& out) {
    std::string w;
    if (!word(w)) return false;
    std::size_t used = 0;
    try {
      out = std::stoi(w, &used);
    } catch (const std::exception&) {
      return false;
    }
    return used == w.size();
  }
  // The rest of the line after the blanks that follow the last word.
  std::wstring rest() {
    skip();
    return zrbase::utf8ToWide(m_line.substr(m_pos));
  }
  bool atEnd() {
    skip();
    return m_pos >= m_line.size();
  }

 private:
  void skip() {
    while (m_pos < m_line.size() && (m_line[m_pos] == ' ' || m_line[m_pos] == '\t')) ++m_pos;
  }
  const std::string& m_line;
  std::size_t m_pos = 0;
};

std::string idText(int id) { return std::to_string(id); }

Action printLine(const std::string& text) {
  return [text] { zrbase::consoleOut() << text << std::endl; };
}

// The control that a line names, or an error.
HWND namedControl(const CDialog& dlg, int id, std::string& error) {
  HWND h = id == 0xFFFF ? nullptr : findChild(dlg.m_hWnd, id);
  if (!h) error = "the dialog has no control " + idText(id);
  return h;
}

// A control the user cannot reach: the line is applied as a message only.
std::optional<Action> unreachable(const HWND__& w) {
  if (w.style & WS_DISABLED) return printLine("DLG control " + idText(w.id) + " is disabled");
  if (!(w.style & WS_VISIBLE)) return printLine("DLG control " + idText(w.id) + " is hidden");
  return std::nullopt;
}

Action planSelect(CDialog& dlg, LineReader& in, std::string& error) {
  int id = 0;
  if (!in.number(id)) return error = "dlg select needs a control id and an item text", nullptr;
  HWND h = namedControl(dlg, id, error);
  if (!h) return nullptr;
  if (controlKind(*h) != "combobox")
    return error = "control " + idText(id) + " is not a combo box", nullptr;
  if (auto a = unreachable(*h)) return *a;
  const std::wstring text = in.rest();
  const int index = comboFindCaseSensitive(*h, text);
  if (index < 0) {
    return error = "combo box " + idText(id) + " has no item '" + utf8(text) + "'", nullptr;
  }
  return [h, index] { userSelect(h, index); };
}

Action planType(CDialog& dlg, LineReader& in, std::string& error) {
  int id = 0;
  if (!in.number(id)) return error = "dlg type needs a control id and a text", nullptr;
  HWND h = namedControl(dlg, id, error);
  if (!h) return nullptr;
  const std::string kind = controlKind(*h);
  const bool edit = kind == "edit";
  if (!edit && !(kind == "combobox" && isComboWithEdit(*h))) {
    return error = "control " + idText(id) + " has no text to type into", nullptr;
  }
  if (auto a = unreachable(*h)) return *a;
  if (edit && (h->style & ES_READONLY))
    return printLine("DLG control " + idText(id) + " is read-only");
  const std::wstring text = in.rest();
  return [h, text] { userType(h, text); };
}

Action planClick(CDialog& dlg, LineReader& in, std::string& error) {
  int id = 0;
  if (!in.number(id) || !in.atEnd()) return error = "dlg click needs one control id", nullptr;
  HWND h = namedControl(dlg, id, error);
  if (!h) return nullptr;
  const std::string kind = controlKind(*h);
  if (kind != "button" && kind != "radio" && kind != "checkbox") {
    return error = "control " + idText(id) + " is not a button", nullptr;
  }
  if (auto a = unreachable(*h)) return *a;
  return [h] { clickButton(h); };
}

bool isChoice(const GridModel& grid, int row, int col, const std::wstring& text) {
  const auto choices = grid.cellChoices(row, col);
  return std::find(choices.begin(), choices.end(), text) != choices.end();
}

// The choices of a combo cell for a message: "A, B", or "none".
std::string choiceList(const GridModel& grid, int row, int col) {
  std::string list;
  for (const auto& choice : grid.cellChoices(row, col)) {
    list += (list.empty() ? "" : ", ") + utf8(choice);
  }
  return list.empty() ? "none" : list;
}

Action planGrid(CDialog& dlg, LineReader& in, std::string& error) {
  int id = 0;
  std::string verb;
  int row = 0;
  int col = 0;
  if (!in.number(id) || !in.word(verb) || !in.number(row) || !in.number(col)) {
    return error = "dlg grid needs a grid id, click/edit/pick, a row and a column", nullptr;
  }
  HWND h = namedControl(dlg, id, error);
  if (!h) return nullptr;
  GridModel* grid = dynamic_cast<GridModel*>(h->wnd);
  if (!grid) return error = "control " + idText(id) + " is not a grid", nullptr;
  const std::string cell = "(" + std::to_string(row) + "," + std::to_string(col) + ")";
  const bool inside =
      row >= 0 && col >= 0 && row < grid->gridRowCount() && col < grid->gridColumnCount();
  if (verb == "click") {
    const bool outside = row == -1 || col == -1;
    if (!inside && !outside) return error = "grid " + idText(id) + " has no cell " + cell, nullptr;
    if (!in.atEnd()) return error = "dlg grid click takes no text", nullptr;
    if (auto a = unreachable(*h)) return *a;
    const int r = outside ? -1 : row;
    const int c = outside ? -1 : col;
    return [h, grid, r, c] {
      if (isWindow(h)) grid->clickCell(r, c);
    };
  }
  if (verb != "edit" && verb != "pick") {
    return error = "unknown grid action '" + verb + "' (click, edit or pick)", nullptr;
  }
  if (!inside) return error = "grid " + idText(id) + " has no cell " + cell, nullptr;
  const std::wstring text = in.rest();
  const std::string cellName = "cell " + cell + " of grid " + idText(id);
  if (verb == "pick") {
    if (grid->cellKind(row, col) != GridModel::CellKind::Combo) {
      return error = cellName + " is not a combo cell", nullptr;
    }
    if (!isChoice(*grid, row, col, text)) {
      return error = cellName + " has no choice '" + utf8(text) + "'", nullptr;
    }
  } else if (grid->cellChoicesOnly(row, col) && !isChoice(*grid, row, col, text)) {
    // A drop-down list cannot be typed into: only its choices reach it.
    return error = cellName + " is a drop-down list and '" + utf8(text) +
                   "' is none of its choices (" + choiceList(*grid, row, col) + ")",
           nullptr;
  }
  if (!grid->cellEditable(row, col)) {
    return error = cellName + " cannot be edited", nullptr;
  }
  if (auto a = unreachable(*h)) return *a;
  const bool pick = verb == "pick";
  return [h, grid, row, col, text, pick] {
    if (!isWindow(h)) return;
    if (pick) {
      grid->pickCell(row, col, text);
    } else {
      grid->editCell(row, col, text);
    }
  };
}

Action planKey(CDialog& dlg, int id) {
  HWND button = findChild(dlg.m_hWnd, id);
  if (button && id == IDOK) {
    if (auto a = unreachable(*button)) return *a;
  }
  CDialog* target = &dlg;
  return [target, id, button] {
    if (target->m_hWnd) {
      target->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id), BN_CLICKED),
                          reinterpret_cast<LPARAM>(isWindow(button) ? button : nullptr));
    }
  };
}

// Checks a line against the dialog: an action to run, or null and the reason.
Action planLine(CDialog& dlg, const std::string& line, std::string& error) {
  LineReader in(line);
  std::string word;
  if (!in.word(word) || word != "dlg")
    return error = "a dialog is up: expected a dlg line", nullptr;
  if (!in.word(word)) return error = "dlg needs a command", nullptr;
  if (word == "dump") {
    if (!in.atEnd()) return error = "dlg dump takes no arguments", nullptr;
    const CDialog* d = &dlg;
    return [d] { zrbase::consoleOut() << "DUMP " << dialogDumpJson(*d) << std::endl; };
  }
  if (word == "select") return planSelect(dlg, in, error);
  if (word == "type") return planType(dlg, in, error);
  if (word == "click") return planClick(dlg, in, error);
  if (word == "grid") return planGrid(dlg, in, error);
  if (word == "ok" || word == "cancel") {
    if (!in.atEnd()) return error = "dlg " + word + " takes no arguments", nullptr;
    return planKey(dlg, word == "ok" ? IDOK : IDCANCEL);
  }
  if (word == "shot") {
    const std::wstring file = in.rest();
    if (file.empty()) return error = "dlg shot needs a file name", nullptr;
    // Taking the picture changes nothing in the dialog, so it is taken while
    // the line is checked and a picture that cannot be written refuses it.
    error = uiService().dialogPicture(dlg, file);
    if (!error.empty()) return nullptr;
    return [] {};
  }
  return error = "unknown dlg command '" + word + "'", nullptr;
}

}  // namespace

void userSelect(HWND combo, int index) {
  if (!isWindow(combo)) return;
  comboSetCurSel(combo, index);
  notifyParent(combo, CBN_SELCHANGE);
  if (isWindow(combo)) notifyParent(combo, CBN_SELENDOK);
}

void userType(HWND control, const std::wstring& text) {
  if (!isWindow(control)) return;
  const bool edit = controlKind(*control) == "edit";
  control->text = text;
  if (control->textLimit > 0 && static_cast<int>(text.size()) > control->textLimit) {
    control->text.resize(static_cast<std::size_t>(control->textLimit));
  }
  if (edit) control->modified = true;
  noteStateChange();
  notifyParent(control, edit ? EN_CHANGE : CBN_EDITCHANGE);
}

std::string dialogDumpJson(const CDialog& dlg) {
  Json j;
  HWND h = dlg.m_hWnd;
  j["id"] = dlg.GetTemplateID();
  j["caption"] = h ? utf8(h->text) : std::string();
  Json controls = Json::array();
  Json grids = Json::array();
  Json previews = Json::array();
  if (h) {
    for (const auto& child : h->children) {
      const std::string kind = controlKind(*child);
      if (!kind.empty() && child->id != 0xFFFF) controls.push_back(controlJson(*child, kind));
      if (const auto* g = dynamic_cast<const GridModel*>(child->wnd)) {
        grids.push_back(gridJson(child->id, *g));
      }
      if (const auto* p = dynamic_cast<const PreviewModel*>(child->wnd)) {
        Json pj;
        pj["id"] = child->id;
        pj["shown"] = p->previewShown();
        pj["entities"] = p->previewShown() ? p->previewEntityCount() : 0;
        previews.push_back(pj);
      }
    }
  }
  j["controls"] = controls;
  j["grids"] = grids;
  j["previews"] = previews;
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string applyDialogLine(CDialog& dlg, const std::string& line) {
  std::string error;
  Action action = planLine(dlg, zrbase::trimLine(line), error);
  if (!action) return error.empty() ? "the line cannot be applied" : error;
  action();
  pumpMessages();
  return {};
}

void cancelDialog(CDialog& dlg) {
  if (dlg.IsDialogEnded() || !dlg.m_hWnd) return;
  HWND button = findChild(dlg.m_hWnd, IDCANCEL);
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  pumpMessages();
  if (!dlg.IsDialogEnded()) dlg.EndDialog(IDCANCEL);
}

void runConsoleModalLoop(CDialog& dlg) {
  while (!dlg.IsDialogEnded() && dlg.m_hWnd) {
    zrbase::InputSource* in = zrbase::currentInput();
    const auto line = in ? in->peek() : std::nullopt;
    if (!line) {
      cancelDialog(dlg);
      break;
    }
    std::string error;
    Action action = planLine(dlg, *line, error);
    if (!action) {
      if (in->isScript()) zrbase::failInputLine(error);
      // At the keyboard the line is refused and the user goes on in the same dialog.
      zrbase::consoleOut() << error << std::endl;
      in->consume();
      continue;
    }
    in->consume();
    // The line is one user action, whatever it sends or posts.
    zrbase::UserActionScope userAction;
    action();
    pumpMessages();
  }
}

}  // namespace winplat
