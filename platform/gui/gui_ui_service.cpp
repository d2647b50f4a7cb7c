// Dialogs and message boxes of the desktop mode.
#include "gui/gui_ui_service.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

#include "gui/dialog_view.h"
#include "gui/event_loops.h"
#include "gui/mirror_registry.h"
#include "gui/picture_painter.h"
#include "gui/table_choice_window.h"
#include "win/dialog.h"
#include "win/dialog_script.h"

namespace zrgui {

namespace {

QMessageBox::Icon iconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// The buttons of a box, first (default) button first, with the answer each gives.
std::vector<std::pair<QMessageBox::StandardButton, int>> buttonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO:
      return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_YESNOCANCEL:
      return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    default:
      return {{QMessageBox::Ok, IDOK}};
  }
}

}  // namespace

GuiUiService::GuiUiService(QWidget* main, bool scripted) : m_main(main), m_scripted(scripted) {}

QWidget* GuiUiService::ownerWindow() const {
  if (DialogView* top = MirrorRegistry::instance().topVisible()) return top;
  return m_main;
}

int GuiUiService::messageBox(const winplat::MessageBoxRequest& box) {
  if (m_scripted) return m_console.messageBox(box);
  MirrorRegistry::instance().syncAll();
  QMessageBox mb(iconOf(box.type), QString::fromStdWString(box.caption),
                 QString::fromStdWString(box.text), QMessageBox::NoButton, ownerWindow());
  const auto buttons = buttonsOf(box.type);
  for (const auto& [button, id] : buttons) mb.addButton(button);
  mb.setDefaultButton(buttons.front().first);
  // Esc answers Cancel where there is one, and OK on a box with OK alone;
  // a YES/NO box must be answered.
  for (const auto& [button, id] : buttons) {
    if (id == IDCANCEL) mb.setEscapeButton(button);
  }
  if (buttons.size() == 1) mb.setEscapeButton(buttons.front().first);
  const int result = mb.exec();
  for (const auto& [button, id] : buttons) {
    if (result == button) return id;
  }
  return winplat::defaultButton(box.type);
}

INT_PTR GuiUiService::runModal(CDialog& dlg) {
  DialogView view(dlg, ownerWindow());
  if (m_scripted) {
    view.sync();
    QCoreApplication::processEvents();
    winplat::runConsoleModalLoop(dlg);
  } else {
    view.setRemembersSize(true);
    view.runModal();
  }
  return dlg.GetModalResult();
}

std::string GuiUiService::dialogPicture(CDialog& dlg, const std::wstring& file) {
  DialogView* view = MirrorRegistry::instance().viewOf(dlg);
  if (!view) return "the dialog is not on screen";
  view->sync();
  QCoreApplication::processEvents();
  return saveWindowPicture(*view, QString::fromStdWString(file));
}

winplat::TableChoiceResult GuiUiService::chooseFromTable(const winplat::TableChoice& choice) {
  using Outcome = winplat::TableChoiceResult::Outcome;
  if (m_scripted) return {};
  MirrorRegistry::instance().syncAll();
  TableChoiceWindow window(choice, ownerWindow());
  if (window.exec() != QDialog::Accepted || choice.rows.empty()) return {Outcome::Cancelled, 0};
  return {Outcome::Chosen, window.selectedRow()};
}

std::string GuiUiService::savePicturePng(const winplat::VectorPicture& picture,
                                         const std::wstring& file) {
  return zrgui::savePicturePng(picture, QString::fromStdWString(file));
}

QImage framedWindowPicture(QWidget& dialog) {
  const QPixmap body = dialog.grab();
  // The title as the window manager shows it: "[*]" stands for the modified mark.
  QString title = dialog.windowTitle();
  title.replace(QStringLiteral("[*]"), dialog.isWindowModified() ? QStringLiteral("*") : QString());
  QFont font = dialog.font();
  font.setBold(true);
  const QFontMetrics fm(font);
  constexpr int kBorder = 1;
  const int bar = fm.height() + 12;
  QImage image(body.width() + 2 * kBorder, body.height() + bar + kBorder,
               QImage::Format_ARGB32_Premultiplied);
  const QPalette& pal = dialog.palette();
  QPainter p(&image);
  p.fillRect(image.rect(), pal.color(QPalette::Dark));
  const QRect strip(kBorder, kBorder, body.width(), bar - kBorder);
  QLinearGradient shade(strip.topLeft(), strip.bottomLeft());
  shade.setColorAt(0, pal.color(QPalette::Highlight).lighter(115));
  shade.setColorAt(1, pal.color(QPalette::Highlight));
  p.fillRect(strip, shade);
  p.setFont(font);
  p.setPen(pal.color(QPalette::HighlightedText));
  p.drawText(strip.adjusted(10, 0, -bar, 0), Qt::AlignLeft | Qt::AlignVCenter, title);
  // The close box.
  const QRect box(strip.right() - bar + 6, strip.top() + 5, bar - 12, bar - 12);
  p.setPen(QPen(pal.color(QPalette::HighlightedText), 2));
  p.drawLine(box.topLeft(), box.bottomRight());
  p.drawLine(box.topRight(), box.bottomLeft());
  p.drawPixmap(kBorder, bar, body);
  return image;
}

std::string saveWindowPicture(QWidget& window, const QString& file) {
  return saveImagePng(framedWindowPicture(window), file);
}

}  // namespace zrgui
