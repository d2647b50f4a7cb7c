// A grid control on screen, drawn from its grid model (win/ui_models.h).
//
// Cells are laid out from the model's column widths and row heights (window
// layer pixels, scaled as the dialog is); fixed rows stay at the top and fixed
// columns at the left while the rest scrolls. The window layer sizes columns
// to their texts with a model of the template font; drawn in the real font a
// text can come out a few pixels wider, so a column is widened to its widest
// text where it would cut it (never narrowed, and a hidden column stays
// hidden). What the user does goes to the
// model's entry points, which raise the control's notifications:
//   - a click on a cell moves the focus there (clickCell); a click beside the
//     cells is a click on no cell (row and column -1);
//   - a click on the focused editable cell, a double click, F2, Enter or
//     typing starts an in-place edit; Enter or leaving the editor ends it and,
//     only when the text changed, sets it (editCell); Esc drops it;
//   - a combo cell has a drop-down button at its right edge; its list offers
//     the cell's choices, and a choice other than the cell's text is picked
//     (pickCell).
#pragma once

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QPointer>
#include <vector>

#include "gui/dialog_metrics.h"
#include "win/ui_models.h"
#include "win/window_state.h"

namespace zrgui {

class GridWidget : public QAbstractScrollArea {
 public:
  GridWidget(HWND hwnd, winplat::GridModel& model, QWidget* parent);

  void sync(const DialogMetrics& metrics);
  const DialogMetrics& metrics() const { return m_metrics; }

  // Where a cell is in the viewport (empty when it has none); the cell at a
  // viewport point, -1 and -1 beside the cells.
  QRect cellRect(int row, int col) const;
  std::pair<int, int> cellAt(QPoint p) const;
  // The drop-down button of a combo cell, in viewport coordinates.
  QRect dropButtonRect(int row, int col) const;
  // The in-place editor while a cell is being edited, else null.
  QLineEdit* editor() const { return m_editor; }
  // Starts editing a cell as the user would (false when it cannot be edited).
  bool beginEdit(int row, int col, const QString& initial = QString(), bool replace = false);
  // Opens a combo cell's list; returns after the user chose or dismissed it.
  void dropDown(int row, int col);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  int colWidth(int col) const;
  void measureColumns();
  int rowHeight(int row) const;
  int colLeft(int col) const;  // viewport x of a column's left edge, scrolled
  int rowTop(int row) const;
  void updateScrollBars();
  void paintCell(QPainter& p, int row, int col, const QRect& r) const;
  void endEdit(bool keep);
  bool live() const;

  HWND m_hwnd;
  winplat::GridModel& m_model;
  DialogMetrics m_metrics;
  std::vector<int> m_widths;  // screen widths of the columns, from the last sync
  QPointer<QLineEdit> m_editor;
  int m_editRow = -1;
  int m_editCol = -1;
  QString m_editOriginal;
  bool m_ending = false;
};

}  // namespace zrgui
