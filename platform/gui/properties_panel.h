// The host window's properties panel: what is selected on the drawing, read
// only. For every selection the properties all entities share (type, layer,
// colour; "*VARIES*" where they differ); for one block reference its block,
// position, rotation and scale, and its extended data, every application
// with its values in order.
//
// The panel shows the drawing as it is: showSelection rebuilds the rows only
// when the selection or the drawing (its change stamp) changed.
#pragma once

#include <QTreeWidget>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "cad/db/object_id.h"

namespace zrgui {

class PropertiesPanel : public QWidget {
 public:
  explicit PropertiesPanel(QWidget* parent = nullptr);

  void showSelection(const std::vector<AcDbObjectId>& ids);
  QTreeWidget* tree() const { return m_tree; }
  // The value shown for a property ("Layer"), or for an application of the
  // extended data ("Model") its values joined by ", "; "" when not shown.
  QString value(const QString& property) const;

 private:
  void rebuild();

  QTreeWidget* m_tree;
  std::vector<AcDbObjectId> m_ids;
  std::uint64_t m_stamp = 0;
  bool m_shown = false;
};

}  // namespace zrgui
