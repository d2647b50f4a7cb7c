// The UI service of the desktop mode (win/message_box.h): dialogs and message
// boxes on screen.
//
// Interactive (no script): message boxes are Qt message boxes with the
// caption, text, buttons and icon asked for, the first button the default;
// modal dialogs are DialogViews that run a nested event loop until the dialog
// ends.
//
// Scripted: the lines of the script drive everything as in console mode, so a
// script prints the same DUMP and MSGBOX lines in both modes. Dialogs are
// still shown (and kept in line after every line, for "dlg shot" and for the
// eye), but the modal loop reads dlg lines, and message boxes are printed and
// answered by msg lines.
//
// Pictures of drawing items are painted into PNG files in either case.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "win/message_box.h"

namespace zrgui {

class GuiUiService : public winplat::UiService {
 public:
  // main: the window that owns dialogs and boxes when no dialog is up.
  GuiUiService(QWidget* main, bool scripted);

  int messageBox(const winplat::MessageBoxRequest& box) override;
  INT_PTR runModal(CDialog& dlg) override;
  std::string dialogPicture(CDialog& dlg, const std::wstring& file) override;
  // Interactive: a TableChoiceWindow, modal. Scripted: not shown, so the
  // script's lines answer the command's prompts as in console mode.
  winplat::TableChoiceResult chooseFromTable(const winplat::TableChoice& choice) override;
  std::string savePicturePng(const winplat::VectorPicture& picture,
                             const std::wstring& file) override;

  // The window boxes and dialogs open over now.
  QWidget* ownerWindow() const;

 private:
  QPointer<QWidget> m_main;
  bool m_scripted;
  winplat::ConsoleUiService m_console;
};

// A window's picture: its client area under a plain frame with its title
// (the window manager draws the real frame, which no picture of the widget
// holds; without it the caption, part of the window's state, would be lost).
QImage framedWindowPicture(QWidget& window);
// Saves a window's framed picture as PNG. Returns "" or why it could not.
std::string saveWindowPicture(QWidget& window, const QString& file);

}  // namespace zrgui
