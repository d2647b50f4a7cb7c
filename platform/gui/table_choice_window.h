// TableChoiceWindow: a table of rows beside the picture of the selected row
// (win/table_choice.h), from which the user picks a row.
//
// Selecting a row draws its picture; the choose button, a double-click or
// Enter on a row ends the window with that row (accepted); "保存图表..."
// writes the selected row's picture to a file, SVG or PNG by the name's
// extension, and says on the window's status line where it went or why it
// could not; Close or Esc ends it without a row (rejected). Rows the choice
// marks are set apart by their background and a tooltip.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <functional>

#include "gui/picture_widget.h"
#include "win/table_choice.h"

namespace zrgui {

class TableChoiceWindow : public QDialog {
 public:
  TableChoiceWindow(const winplat::TableChoice& choice, QWidget* parent);

  QTableWidget* table() const { return m_table; }
  PictureWidget* pictureView() const { return m_picture; }
  QPushButton* chooseButton() const { return m_choose; }
  QPushButton* saveButton() const { return m_save; }
  QLabel* statusLine() const { return m_status; }

  // The row selected now (0 when none is).
  std::size_t selectedRow() const;
  // Saves the selected row's picture to file; returns "" or why not.
  QString savePicture(QString file);

  // Asks for the file to save to, suggesting one; "" when the user gives
  // none. Tests replace it.
  std::function<QString(const QString& suggested)> askFile;

 private:
  void fillTable();
  // Across every column, with the frame and a vertical scroll bar.
  int fullTableWidth() const;
  void showSelected();
  void saveAsked();

  const winplat::TableChoice& m_choice;
  QTableWidget* m_table;
  PictureWidget* m_picture;
  QPushButton* m_choose;
  QPushButton* m_save;
  QLabel* m_status;
};

}  // namespace zrgui
