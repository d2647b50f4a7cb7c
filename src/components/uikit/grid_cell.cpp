// Grid cells: the base class and the plain text cell.
#include "uikit/grid_cell.h"

IMPLEMENT_DYNAMIC(CGridCellBase, CObject)
IMPLEMENT_DYNCREATE(CGridCell, CGridCellBase)

void CGridCellBase::operator=(const CGridCellBase& cell) {
  if (this == &cell) return;
  SetText(cell.GetText());
  SetData(cell.GetData());
  SetState(cell.GetState());
  SetFormat(cell.GetFormat());
  SetGrid(cell.GetGrid());
}
