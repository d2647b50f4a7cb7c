// Adding and deleting view blocks: the buttons under the preview turn
// entities selected in the drawing into the current view block of the model's
// view drawing, or remove that block from it.
//
// The view drawing file is only ever written from a database that was read
// from it, or created new when there is no file: a file that exists but cannot
// be read is left exactly as it is.
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_set>

#include "base/file_functions.h"
#include "cad/aced.h"
#include "cadkit/block_helpers.h"
#include "drawings/view_names.h"
#include "fandlg/fan_dlg.h"
#include "win/message_box.h"

namespace {

// What ArxWriteBlock makes of the selection: the entities stay in the drawing
// and a block of that name is redefined (the user confirmed the replacement).
constexpr int kViewBlockWriteFlags = 11;
static_assert((kViewBlockWriteFlags & kWriteBlockKeepEntities) &&
              (kViewBlockWriteFlags & kWriteBlockRedefine));

// A name as the block helpers take it: a buffer of the caller's.
class NameBuffer {
 public:
  explicit NameBuffer(const CString& str) : m_buffer(str.str().begin(), str.str().end()) {
    m_buffer.push_back(0);
  }
  ACHAR* get() { return m_buffer.data(); }

 private:
  std::vector<ACHAR> m_buffer;
};

bool HasBlock(AcDbDatabase* pDb, const CString& strName) {
  AcDbBlockTable* pTable = nullptr;
  if (pDb->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk) return false;
  const bool bHas = pTable->has(strName);
  pTable->close();
  return bHas;
}

// The check of one entity, following block references into their definitions.
// A definition already being checked further up (a block that contains itself)
// is not walked again: whatever it holds is checked where the walk began.
bool CheckEntity(AcDbObjectId id, CString& strName, std::unordered_set<AcDbObjectId>& open,
                 const std::function<bool(const CString&)>& isViewBlock) {
  AcDbEntity* pEntity = nullptr;
  if (acdbOpenAcDbEntity(pEntity, id, AcDb::kForRead) != Acad::eOk) return false;
  AcDbBlockReference* pReference = AcDbBlockReference::cast(pEntity);
  if (pReference == nullptr) {
    pEntity->close();
    return true;
  }
  AcDbBlockTableRecord* pBlock = nullptr;
  if (acdbOpenObject(pBlock, pReference->blockTableRecord(), AcDb::kForRead) != Acad::eOk) {
    pEntity->close();
    return false;
  }
  bool bPass = true;
  const CString strBlock = pBlock->name();
  if (isViewBlock(strBlock)) {
    strName = strBlock;
    bPass = false;
  } else if (open.insert(pBlock->objectId()).second) {
    AcDbBlockTableRecordIterator* pIterator = nullptr;
    if (pBlock->newIterator(pIterator, true, true) != Acad::eOk) {
      bPass = false;
    } else {
      for (; bPass && !pIterator->done(); pIterator->step()) {
        AcDbObjectId entityId;
        if (pIterator->getEntityId(entityId) == Acad::eOk) {
          bPass = CheckEntity(entityId, strName, open, isViewBlock);
        }
      }
      delete pIterator;
    }
    open.erase(pBlock->objectId());
  }
  pBlock->close();
  pEntity->close();
  return bPass;
}

// The save is atomic: a failed one leaves the file as it was, and says so.
void SaveViewDrawing(AcDbDatabase* pDb, const CString& strPath) {
  if (pDb->saveAs(strPath) == Acad::eOk) return;
  CString strText;
  strText.Format(L"图形文件%s保存失败!\n%s", strPath.GetString(), pDb->lastErrorText());
  AfxMessageBox(strText, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

bool CFanDlg::IsViewBlockName(CString strName) {
  return MatchesViewBlockName(GetFanBaseName(), strName);
}

bool CFanDlg::CheckSelectedEntity(AcDbObjectId id, CString& strName) {
  std::unordered_set<AcDbObjectId> open;
  return CheckEntity(id, strName, open,
                     [this](const CString& strBlock) { return IsViewBlockName(strBlock); });
}

AcDbDatabase* CFanDlg::OpenViewDrawingForAdd(const CString& strPath) {
  auto pDb = std::make_unique<AcDbDatabase>(false, true);
  if (pDb->readDwgFile(strPath, _SH_DENYNO) == Acad::eOk) return pDb.release();
  if (PathFileExists(strPath)) {
    CString strText;
    strText.Format(L"图形文件%s无法读取,未作任何修改!\n%s", strPath.GetString(),
                   pDb->lastErrorText());
    AfxMessageBox(strText, MB_OK | MB_ICONEXCLAMATION);
    return nullptr;
  }
  // A model without a view drawing gets a new, empty one, in a Fan folder
  // made for it when the library has none yet.
  pDb = std::make_unique<AcDbDatabase>(true, true);
  std::error_code ec;
  std::filesystem::create_directories(
      std::filesystem::path(zrbase::nativePath(strPath)).parent_path(), ec);
  if (pDb->saveAs(strPath) != Acad::eOk) {
    CString strText;
    strText.Format(L"无法创建图形文件%s!\n%s", strPath.GetString(), pDb->lastErrorText());
    AfxMessageBox(strText, MB_OK | MB_ICONEXCLAMATION);
    return nullptr;
  }
  return pDb.release();
}

void CFanDlg::OnAddDrawing() {
  UpdateData(TRUE);
  const CString strPath = GetFanDwgPath();
  const CString strBlock = GetViewBlockName();
  if (strBlock.IsEmpty()) {
    AfxMessageBox(L"出口角度不能为空!");
    return;
  }
  const std::unique_ptr<AcDbDatabase> pViewDb(OpenViewDrawingForAdd(strPath));
  if (!pViewDb) return;
  if (HasBlock(pViewDb.get(), strBlock) &&
      MessageBox(m_hWnd, L"图形存在,确认替换么?", L"提示", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }

  BeginEditorCommand();
  ads_name ss = {0, 0};
  bool bHaveSet = false;
  const AddOutcome outcome =
      SelectAndStoreViewBlock(pViewDb.get(), strPath, strBlock, ss, bHaveSet);
  if (outcome == AddOutcome::kRefused) return;
  if (bHaveSet) acedSSFree(ss);
  CompleteEditorCommand(TRUE);
  RefreshPreview(TRUE);
  if (outcome == AddOutcome::kStored) UpdateData(FALSE);
}

CFanDlg::AddOutcome CFanDlg::SelectAndStoreViewBlock(AcDbDatabase* pViewDb, const CString& strPath,
                                                     const CString& strBlock, ads_name ss,
                                                     bool& bHaveSet) {
  acutPrintf(L"\n请选择实体:\n");
  if (acedSSGet(nullptr, nullptr, nullptr, nullptr, ss) != RTNORM) {
    acutPrintf(L"\n未选中任何实体!\n");
    return AddOutcome::kEnded;
  }
  bHaveSet = true;
  Adesk::Int32 nLength = 0;
  if (acedSSLength(ss, &nLength) != RTNORM) return AddOutcome::kEnded;
  ads_point pt;
  if (acedGetPoint(nullptr, L"点取插入点:", pt) != RTNORM) {
    SaveViewDrawing(pViewDb, strPath);
    return AddOutcome::kEnded;
  }

  AcDbObjectIdArray ids(0, 8);
  for (Adesk::Int32 i = 0; i < nLength; ++i) {
    ads_name ent;
    AcDbObjectId id;
    if (acedSSName(ss, i, ent) != RTNORM) return AddOutcome::kEnded;
    acdbGetObjectId(id, ent);
    CString strName;
    if (!CheckSelectedEntity(id, strName)) {
      SaveViewDrawing(pViewDb, strPath);
      acedSSFree(ss);
      bHaveSet = false;
      CString strText;
      strText.Format(L"选择实体中存在块名为%s的块或块引用\n,请先炸碎后,再执行添加操作!",
                     strName.GetString());
      AfxMessageBox(strText);
      CompleteEditorCommand(TRUE);
      return AddOutcome::kRefused;
    }
    ids.append(id);
  }

  NameBuffer name(strBlock);
  if (ArxWriteBlock(ids, AcGePoint3d(pt[0], pt[1], pt[2]), name.get(), L"", kViewBlockWriteFlags) ==
      1) {
    CopyBlockTableRecord(acdbHostApplicationServices()->workingDatabase(), name.get(), pViewDb,
                         name.get());
  }
  SaveViewDrawing(pViewDb, strPath);
  return AddOutcome::kStored;
}

void CFanDlg::OnDeleteDrawing() {
  const CString strPath = GetFanDwgPath();
  const CString strBlock = GetViewBlockName();
  auto pViewDb = std::make_unique<AcDbDatabase>(false, true);
  if (pViewDb->readDwgFile(strPath, _SH_DENYNO) != Acad::eOk) return;
  AcDbBlockTable* pTable = nullptr;
  if (pViewDb->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk) return;
  if (strBlock.IsEmpty() || !pTable->has(strBlock) ||
      MessageBox(m_hWnd, L"确认删除该图形吗?", L"提示", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    pTable->close();
    return;
  }
  AcDbDatabase* pDb = pViewDb.get();
  if (DeleteBlockRec(pDb, strBlock) != 1) {
    pTable->close();
    return;
  }
  pTable->close();
  SaveViewDrawing(pViewDb.get(), strPath);

  RefreshPreview(TRUE);
  const int nItem = m_cbAngle.GetCurSel();
  if (nItem != CB_ERR) m_cbAngle.GetLBText(nItem, m_strAngle);
  RefreshPreview(FALSE);
}
