// The schedule panel (View > Schedule): the drawing's fans as FANSCHED lists
// them, one row per fan with the columns of its CSV file, beside the drawing.
//
// The rows are the module's (the host hands in a source that asks the module
// for the cells, heading row first: setSource); the panel adds nothing and
// leaves nothing out. They are rebuilt when the drawing changes (its change
// stamp) while the panel is shown; a hidden panel asks for nothing. Each row
// knows its fan (gui/placed_fans.h fansOfTags), so a click on a row hands
// that fan to onFanClicked and showFan finds a fan's row. The export buttons
// hand their choice to onExport (the window runs FANSCHED's Csv or Xlsx
// option, so the file is the command's).
#pragma once

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "cad/db/object_id.h"

namespace zrgui {

class SchedulePanel : public QWidget {
  Q_DECLARE_TR_FUNCTIONS(SchedulePanel)

 public:
  using Cells = std::vector<QStringList>;
  // The cells, heading row first; nullopt when no module makes schedules.
  using Source = std::function<std::optional<Cells>()>;

  explicit SchedulePanel(QWidget* parent = nullptr);

  void setSource(Source source) {
    m_source = std::move(source);
    m_filled = false;
  }
  // Rebuilds the rows when shown and the drawing changed since they were made
  // (or no module made them: one may have been loaded since), or when force.
  void refresh(bool force = false);
  // Selects the fan's row (false when no row lists it).
  bool showFan(AcDbObjectId fan);
  AcDbObjectId fanOfRow(int row) const;
  void setExportEnabled(bool on);

  QTableWidget* table() const { return m_table; }
  QPushButton* csvButton() const { return m_csv; }
  QPushButton* xlsxButton() const { return m_xlsx; }
  QLabel* statusLine() const { return m_status; }

  std::function<void(AcDbObjectId)> onFanClicked;
  std::function<void(bool xlsx)> onExport;

 private:
  void fill(const Cells& cells);

  Source m_source;
  QTableWidget* m_table;
  QPushButton* m_csv;
  QPushButton* m_xlsx;
  QLabel* m_status;
  std::vector<AcDbObjectId> m_fans;  // one per row
  const void* m_db = nullptr;
  std::uint64_t m_stamp = 0;
  bool m_filled = false;
};

}  // namespace zrgui
