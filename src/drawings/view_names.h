// The names of the drawing library: view drawing files, view blocks, placed
// blocks and model labels. Everything that reads or writes the library (the
// preview, the view block editing, placement, the model editor) builds its
// names here, so they cannot drift apart.
//
// For the series 4-72, fan number 4.5, drive mode A and speed 2900:
//   base name            4-72No4.5A
//   view drawing file    4-72No4.5A.dwg, in the Fan folder of the drawing library
//   view block           F_L0 (front, left hand, outlet angle 0)
//   placed block         4-72No4.5AF_L0
//   model label          4-72No4.5A_2900
#pragma once

#include <optional>

#include "base/cstring.h"

// The views a view drawing has blocks for, numbered as the dialog's view radio
// group (CFanDlg::ViewMode takes its values from these).
enum ViewDrawingView : int { kViewDrawingFront = 0, kViewDrawingSide = 1, kViewDrawingTop = 2 };

// The hand that the hand combo names first; every other text is right-hand.
inline constexpr const wchar_t* kLeftHand = L"左";
inline constexpr const wchar_t* kRightHand = L"右";

// A view block name: view letter F, S or B in either case, an underscore, hand
// letter L or R in either case, one to three digits (host wildcard syntax).
inline constexpr const wchar_t* kViewBlockPattern =
    L"[FfBbSs]_[LlRr]#,[FfBbSs]_[LlRr]##,[FfBbSs]_[LlRr]###";

CString ViewDrawingBaseName(const CString& strBigModel, const CString& strFanNo,
                            const CString& strDriveMode);
CString ViewDrawingFileName(const CString& strBaseName);
// strDwgFolder is the drawing library folder without a trailing separator.
CString ViewDrawingPath(const CString& strDwgFolder, const CString& strFileName);

// "F_", "S_", "B_" for the front, side and top views (ViewDrawingView, the
// dialog's CFanDlg::ViewMode), "" for any other value.
CString ViewPrefix(int nView);
CString HandLetter(const CString& strHand);
// Empty when the view has no prefix or the angle is empty.
CString ViewBlockName(int nView, const CString& strHand, const CString& strAngle);

CString PlacedBlockName(const CString& strBaseName, const CString& strViewBlock);
CString ModelLabel(const CString& strBaseName, const CString& strSpeed);

// The outlet angle a block name offers: the part that starts two characters
// after its first underscore (F_L90 gives 90; a name without an underscore
// gives all but its first character).
CString AngleOfBlockName(const CString& strBlockName);

// Whether strBlockName, with strBaseName taken off its front when it starts
// with it, is a view block name.
bool MatchesViewBlockName(const CString& strBaseName, const CString& strBlockName);

// The view, hand (as the hand combo names it) and outlet angle that a placed
// block's name ends with: 4-72No4.5AF_L0 is front, 左, "0".
struct PlacedView {
  int nView = kViewDrawingFront;
  CString strHand;
  CString strAngle;
};
// nullopt when the name does not end in a view block name.
std::optional<PlacedView> ViewOfPlacedBlock(const CString& strBlockName);
