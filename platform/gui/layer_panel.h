// The host window's layer panel: the working drawing's layers, the current
// one marked, each with on/off, frozen/thawed and its colour.
//
// The panel keeps no state of its own: it shows the layer table as it is now
// (refresh, cheap when the drawing has not changed), and a click on a cell
// hands the window the lines of the command that makes the change (the
// LAYER command's options; LAYERCOLOR for a colour), as if typed. So each
// change is one undo step, marks the drawing modified, and is refused as the
// command refuses it (freezing the current layer, say); the panel shows the
// result at its next refresh.
#pragma once

#include <QStringList>
#include <QTableWidget>
#include <QWidget>
#include <cstdint>
#include <functional>

class AcDbDatabase;

namespace zrgui {

class LayerPanel : public QWidget {
 public:
  enum Column { Current, Name, On, Frozen, Color, ColumnCount };

  explicit LayerPanel(QWidget* parent = nullptr);

  void refresh();
  // Where the lines of a change go; unset, a click changes nothing.
  void setOnLines(std::function<void(const QStringList&)> fn) { m_onLines = std::move(fn); }
  // The colour index (1-255) the user picks for a layer now showing current;
  // 0 when none is picked. Tests replace it; by default a menu of colours.
  std::function<int(int current)> askColor;

  QTableWidget* table() const { return m_table; }
  // The row of a layer by name; -1 when there is none.
  int rowOf(const QString& name) const;

  // The lines that answer the click on this column of the layer: "LAYER",
  // the option, the name, Enter; empty for a column that changes nothing.
  static QStringList linesFor(Column column, const QString& name, bool on, bool frozen,
                              bool current);
  // A layer's name as the LAYER prompts read it: wildcard characters quoted.
  static QString literalName(const QString& name);

 private:
  void clicked(int row, int column);
  int pickColor(int current);

  QTableWidget* m_table;
  const AcDbDatabase* m_db = nullptr;
  std::uint64_t m_stamp = 0;
  bool m_shown = false;
  std::function<void(const QStringList&)> m_onLines;
};

}  // namespace zrgui
