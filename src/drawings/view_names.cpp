// The drawing library's naming rules.
#include "drawings/view_names.h"

#include "cad/aced.h"

CString ViewDrawingBaseName(const CString& strBigModel, const CString& strFanNo,
                            const CString& strDriveMode) {
  return strBigModel + L"No" + strFanNo + strDriveMode;
}

CString ViewDrawingFileName(const CString& strBaseName) { return strBaseName + L".dwg"; }

CString ViewDrawingPath(const CString& strDwgFolder, const CString& strFileName) {
  return strDwgFolder + L"\\Fan\\" + strFileName;
}

CString ViewPrefix(int nView) {
  switch (nView) {
    case kViewDrawingFront:
      return L"F_";
    case kViewDrawingSide:
      return L"S_";
    case kViewDrawingTop:
      return L"B_";
    default:
      break;
  }
  return CString();
}

CString HandLetter(const CString& strHand) { return strHand == kLeftHand ? L"L" : L"R"; }

CString ViewBlockName(int nView, const CString& strHand, const CString& strAngle) {
  const CString strPrefix = ViewPrefix(nView);
  if (strPrefix.IsEmpty() || strAngle.IsEmpty()) return CString();
  return strPrefix + HandLetter(strHand) + strAngle;
}

CString PlacedBlockName(const CString& strBaseName, const CString& strViewBlock) {
  return strBaseName + strViewBlock;
}

CString ModelLabel(const CString& strBaseName, const CString& strSpeed) {
  return strBaseName + L"_" + strSpeed;
}

CString AngleOfBlockName(const CString& strBlockName) {
  return strBlockName.Mid(strBlockName.Find(L'_') + 2);
}

bool MatchesViewBlockName(const CString& strBaseName, const CString& strBlockName) {
  CString strRest = strBlockName;
  if (!strBaseName.IsEmpty() && strRest.Find(strBaseName) == 0) {
    strRest = strRest.Mid(strBaseName.GetLength());
  }
  return acutWcMatch(strRest, kViewBlockPattern) == RTNORM;
}

std::optional<PlacedView> ViewOfPlacedBlock(const CString& strBlockName) {
  // The view block is the last underscore's neighbours and what follows it.
  const int nUnderscore = strBlockName.ReverseFind(L'_');
  if (nUnderscore < 1) return std::nullopt;
  const CString strViewBlock = strBlockName.Mid(nUnderscore - 1);
  if (acutWcMatch(strViewBlock, kViewBlockPattern) != RTNORM) return std::nullopt;
  PlacedView view;
  switch (strViewBlock[0]) {
    case L'S':
    case L's':
      view.nView = kViewDrawingSide;
      break;
    case L'B':
    case L'b':
      view.nView = kViewDrawingTop;
      break;
    default:
      view.nView = kViewDrawingFront;
  }
  const wchar_t hand = strViewBlock[2];
  view.strHand = hand == L'L' || hand == L'l' ? kLeftHand : kRightHand;
  view.strAngle = strViewBlock.Mid(3);
  return view;
}
