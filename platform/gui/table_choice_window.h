// TableChoiceWindow: a table of rows beside the picture of the selected row
// (win/table_choice.h), from which the user picks a row.
//
// Selecting a row draws its picture; the choose button, a double-click or
// Enter on a row ends the window with that row (accepted); "保存图表..."
// writes the selected row's picture to a file, SVG or PNG by the name's
// extension, and says on the window's status line where it went or why it
// could not; Close or Esc ends it without a row (rejected). Rows the choice
// marks are set apart by their background and a tooltip.
//
// A click on a column's heading sorts the rows by it, ascending, and a second
// click descending; numeric columns sort as numbers, with the cells that hold
// none ("-") last either way, and equal cells keep the choice's order. The
// choice's filters stand above the table and hide the rows they reject. The
// table's rows are then in another order than the choice's: every row keeps
// the choice's index of its row, and selectedRow(), the picture and the files
// written always go by that index.
#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <functional>
#include <optional>
#include <vector>

#include "gui/picture_widget.h"
#include "win/table_choice.h"

namespace zrgui {

class TableChoiceWindow : public QDialog {
  Q_DECLARE_TR_FUNCTIONS(TableChoiceWindow)

 public:
  TableChoiceWindow(const winplat::TableChoice& choice, QWidget* parent);

  // The controls of the choice's filter i: the tick box of an Only filter,
  // the bounds' fields of the others (lower none for AtMost).
  struct FilterControls {
    QCheckBox* only = nullptr;
    QLineEdit* lower = nullptr;
    QLineEdit* upper = nullptr;
  };
  const FilterControls& filterControls(std::size_t i) const { return m_filters.at(i); }
  // The button of the choice's row file; none without one.
  QPushButton* rowFileButton() const { return m_rowFile; }

  QTableWidget* table() const { return m_table; }
  PictureWidget* pictureView() const { return m_picture; }
  QPushButton* chooseButton() const { return m_choose; }
  QPushButton* saveButton() const { return m_save; }
  QLabel* statusLine() const { return m_status; }

  // The choice's index of the row selected now (0 when none is).
  std::size_t selectedRow() const;
  // The choice's index of the table's row (as it stands sorted).
  std::size_t choiceRow(int tableRow) const;
  // Sorts the table by column (as clicks on its heading do).
  void sortBy(int column, Qt::SortOrder order);
  // Saves the selected row's picture to file; returns "" or why not.
  QString savePicture(QString file);
  // Writes the selected row's file (TableChoice::rowFile); returns "" or why not.
  QString saveRowFile(QString file);

  // Asks for the file to save to, suggesting one; "" when the user gives
  // none. Tests replace it; the second is for the row's file.
  std::function<QString(const QString& suggested)> askFile;
  std::function<QString(const QString& suggested)> askRowFile;

  // Only with a visible row selected.
  void accept() override;

 private:
  void fillTable();
  // The rows in m_order, the selection kept on the same choice row.
  void fillRows();
  QWidget* filterBar();
  bool passesFilters(std::size_t choiceRow) const;
  void applyFilters();
  bool numericColumn(std::size_t column) const;
  std::optional<double> number(std::size_t choiceRow, std::size_t column) const;
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
  QPushButton* m_rowFile = nullptr;
  QLabel* m_shown = nullptr;  // how many rows the filters leave
  std::vector<FilterControls> m_filters;
  std::vector<std::size_t> m_order;  // the choice's rows, in the table's order
  int m_sortColumn = -1;
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

}  // namespace zrgui
