// The console and script side of dialogs: the DUMP of a dialog's state, the
// "dlg" lines that act on it, and the modal loop of console mode.
//
// A "dlg" line is checked against the dialog first; a line naming a control,
// a cell or an item that is not there cannot be applied, and nothing of it is
// done. A line that can be applied changes the control as the user would and
// sends the notification the control sends (which may run handlers, open
// other dialogs and message boxes, and read further input lines).
#pragma once

#include <string>

#include "dialog.h"

namespace winplat {

// The dialog's state as the JSON object of a DUMP line:
// {"id":..,"caption":..,"controls":[..],"grids":[..],"previews":[..]}.
std::string dialogDumpJson(const CDialog& dlg);

// Applies one "dlg ..." line to the dialog. Returns an empty string when the
// line was applied (including "dlg click" on a disabled control, which prints
// "DLG control ID is disabled" and sends nothing), otherwise the reason it
// cannot be applied, with nothing done. "dlg dump" prints "DUMP " + JSON to
// zrbase::consoleOut(); "dlg shot" asks the UI service for the picture
// (UiService::dialogPicture: written in desktop mode, a note without a screen).
std::string applyDialogLine(CDialog& dlg, const std::string& line);

// The modal loop of console and script mode: reads lines from zrbase::currentInput()
// and applies them to dlg until it ends, each line one user action. A line that
// is not a "dlg" line, or one that cannot be applied, fails a script
// (failInputLine); at the keyboard its reason is printed and the dialog waits
// for the next line. At the end of the input, or with no input at all, the
// dialog is cancelled (the Esc key).
void runConsoleModalLoop(CDialog& dlg);

// What the user does to a control, for front ends that act on windows rather
// than lines: the control's state changes, then its notification goes to the
// parent. Callers check that the control is enabled and visible first.
// Choosing item index of a combo box: CBN_SELCHANGE, then CBN_SELENDOK.
void userSelect(HWND combo, int index);
// Typing text into an edit (EN_CHANGE) or a combo box's edit field
// (CBN_EDITCHANGE); the text is cut to the control's limit.
void userType(HWND control, const std::wstring& text);
// Clicking a button is winplat::clickButton (controls.h).

// The Esc key: IDCANCEL to the dialog; if a handler kept the dialog up,
// EndDialog(IDCANCEL) ends it all the same.
void cancelDialog(CDialog& dlg);

}  // namespace winplat
