// Placing a fan and showing it: what the fan dialog's placement and preview do
// with a view drawing, for any FanView.
//
// A placement copies the view block into the working drawing under the placed
// block's name, asks for the rotation, and has the host's INSERT command place
// one reference on the layer AC_EQUIPMENT at the point the user gives. The
// current layer is the same before and after; a placement given up when the
// block and layer were there already leaves the drawing as it was.
#pragma once

#include <vector>

#include "cad/acdb.h"
#include "drawings/fan_view.h"

// The layer placed fans go on.
inline constexpr const ACHAR* kEquipmentLayer = L"AC_EQUIPMENT";

// The xdata applications a placement writes on the reference, in order.
inline constexpr const ACHAR* kPlacementEntries[] = {L"Model", L"LabelModel", L"PLAN", L"NAME",
                                                     L"VACType"};

// Makes AC_EQUIPMENT current in pDb (creating it, thawed, on and unlocked,
// when missing); the layer current before in oldLayer. False when the layer
// table cannot be opened.
bool MakeEquipmentLayerCurrent(AcDbDatabase* pDb, AcDbObjectId& oldLayer);

// One placement into the working drawing, in two steps so that a dialog can
// step aside between them: Prepare copies the block and makes the layer
// current, Insert asks the user.
class CFanPlacement {
 public:
  // Copies fan's view block from pViewDb into the working drawing under the
  // placed block's name and makes AC_EQUIPMENT current. False when either
  // failed; Insert must not follow then.
  bool Prepare(AcDbDatabase* pViewDb, const FanView& fan);
  // Asks "请输入风机插入角度:" (Enter: unrotated; Esc gives up) and, after
  // "请点取插入点:", has INSERT place the reference; puts the current layer
  // back. The new reference's id; null when the placement was given up
  // ("布置失败!" printed, and the drawing put back when nothing was new).
  AcDbObjectId Insert();

 private:
  AcDbDatabase* m_pDb = nullptr;
  std::vector<ACHAR> m_placed;
  bool m_bNothingNew = false;
  zrcad::UndoMark m_mark{};
  AcDbObjectId m_oldLayer;
};

// Replaces the placed fan fanId by fan in place: copies fan's view block in
// from pViewDb as a placement does and points the reference at it, so it
// keeps its handle, point, rotation, scale and layer; its attributes become
// those INSERT gives the new block (one of the same tag keeps its handle)
// but for its tag, which stays, refitted to the new outline; its placement
// entries and record are taken off, for the caller to write the new model's.
// False, and the drawing as it was, when the block cannot be copied or the
// reference opened.
bool ReplacePlacedBlock(AcDbDatabase* pViewDb, const FanView& fan, AcDbObjectId fanId);

// The outlet angles pDb's block names offer for the hand letter (L or R), in
// block table order, each once; layouts are never view blocks.
std::vector<CString> OfferedAngles(AcDbDatabase* pDb, const CString& strHandLetter);

// The block's size about its origin, symmetric: (width, height, 1); (1, 1, 1)
// and false when its extents cannot be computed.
bool ViewBlockSize(AcDbObjectId blockId, AcGePoint3d& size);

// Adds to pDb's model space the red cross that marks the block's base point,
// its arms kBaseMarkPixels long when the block fills nPixels.
bool AddBasePointMark(AcDbDatabase* pDb, AcDbObjectId blockId, int nPixels);
