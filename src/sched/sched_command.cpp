// FANSCHED and the reactor that renumbers copied tags.
#include "sched/sched_command.h"

#include <vector>

#include "base/text_case.h"
#include "cad/aced.h"
#include "db/fan_database.h"
#include "drawings/fan_record.h"
#include "drawings/fan_tags.h"
#include "sched/schedule.h"
#include "sched/schedule_catalogue.h"
#include "sched/schedule_files.h"
#include "sched/schedule_table.h"

namespace {

constexpr size_t kPathChars = 4096;

// The group of an application in a fan's whole xdata, found as the runtime's
// xData(app) finds it (the first whose name matches without regard to letter
// case), or null.
const resbuf* appGroup(const resbuf* chain, const std::wstring& upperApp) {
  for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
    if (rb->restype == 1001 && rb->resval.rstring &&
        zrbase::toUpper(rb->resval.rstring) == upperApp)
      return rb;
  }
  return nullptr;
}

// A placement entry's text: the string after its application's name.
CString entryText(const resbuf* group) {
  if (group && group->rbnext && group->rbnext->restype == 1000)
    return group->rbnext->resval.rstring;
  return CString();
}

// Each fan's xdata is read once, whole, rather than once per application
// (four copies of its chain, each found by a scan of every application's name).
std::vector<sched::DrawingFan> drawingFans(AcDbDatabase* pDb) {
  static const std::wstring kModel = zrbase::toUpper(L"Model"),
                            kLabel = zrbase::toUpper(L"LabelModel"),
                            kName = zrbase::toUpper(L"NAME"),
                            kRecord = zrbase::toUpper(kFanRecordApp);
  std::vector<sched::DrawingFan> fans;
  for (AcDbObjectId id : PlacedFans(pDb)) {
    AcDbObjectPointer<AcDbObject> pFan(id, AcDb::kForRead);
    if (!pFan) continue;
    resbuf* chain = pFan->xData();
    const resbuf* record = appGroup(chain, kRecord);
    // The record is the group named exactly so, as ReadFanRecord takes it.
    if (record && CString(record->resval.rstring) != kFanRecordApp) record = nullptr;
    fans.push_back({entryText(appGroup(chain, kModel)), entryText(appGroup(chain, kLabel)),
                    entryText(appGroup(chain, kName)),
                    record ? FanRecordFromChain(record) : std::nullopt});
    acutRelRb(chain);
  }
  return fans;
}

class TagRenumbering : public AcEditorReactor {
 public:
  void commandEnded(const ACHAR* cmdStr) override { AfterCommand(cmdStr); }
  void commandCancelled(const ACHAR* cmdStr) override { AfterCommand(cmdStr); }
  void commandFailed(const ACHAR* cmdStr) override { AfterCommand(cmdStr); }

 private:
  // A COPY given up after some copies keeps them: they are renumbered too.
  static void AfterCommand(const ACHAR* cmdStr) {
    if (CString(cmdStr) != L"COPY") return;
    const int n = RenumberCopiedTags(acdbHostApplicationServices()->workingDatabase());
    if (n > 0) acutPrintf(L"\n复制的 %d 台风机已重新编号。\n", n);
  }
};

TagRenumbering g_renumbering;

CString settingText(const ACHAR* name) {
  std::vector<ACHAR> value(kPathChars);
  if (acedGetEnv(name, value.data(), value.size()) != RTNORM) return CString();
  return CString(value.data());
}

bool writeFile(AcDbDatabase* pDb, const CString& file) {
  const CString why = sched::WriteScheduleFile(file, DrawingScheduleCells(pDb));
  if (why.IsEmpty()) {
    acutPrintf(L"\n设备表已写入 %s\n", static_cast<LPCTSTR>(file));
    return true;
  }
  acutPrintf(L"\n无法写入设备表 %s: %s\n", static_cast<LPCTSTR>(file), static_cast<LPCTSTR>(why));
  acedSetEnv(kScheduleErrorSetting, why);
  return false;
}

void askAndWriteFile(AcDbDatabase* pDb, bool xlsx) {
  std::vector<ACHAR> typed(kPathChars);
  if (acedGetString(1, L"\n设备表文件 (.csv 或 .xlsx): ", typed.data(), typed.size()) != RTNORM)
    return;
  CString file(typed.data());
  file.Trim();
  if (file.IsEmpty()) return;
  const bool named = sched::IsXlsxName(file) ||
                     (file.GetLength() >= 4 && file.Right(4).CompareNoCase(L".csv") == 0);
  if (!named) file += xlsx ? L".xlsx" : L".csv";
  writeFile(pDb, file);
}

}  // namespace

std::vector<std::vector<CString>> DrawingScheduleCells(AcDbDatabase* pDb) {
  CFanDatabase db;
  _ConnectionPtr connection;
  // Without a catalogue the schedule lists what the drawing records; the
  // wrapper has told the user why it could not be opened.
  if (db.OpenFanDatabase()) connection = db.m_pConnection;
  const std::vector<sched::DrawingFan> fans = drawingFans(pDb);
  std::vector<sched::ModelKey> models;
  models.reserve(fans.size());
  for (const sched::DrawingFan& fan : fans) models.push_back(sched::ModelOf(fan));
  sched::CatalogueFacts facts(connection, models);
  return sched::ScheduleCells(sched::BuildSchedule(fans, facts.AsLookup()));
}

void FanSchedCommand() {
  AcDbDatabase* pDb = acdbHostApplicationServices()->workingDatabase();
  if (pDb == nullptr) return;
  const CString file = settingText(kScheduleFileSetting);
  if (!file.IsEmpty()) {
    acedSetEnv(kScheduleFileSetting, L"");
    writeFile(pDb, file);
    return;
  }
  acedInitGet(0, L"Csv Xlsx");
  ads_point pt;
  const int rc = acedGetPoint(nullptr, L"\n设备表插入点或 [CSV(C)/XLSX(X)] <更新>: ", pt);
  if (rc == RTKWORD) {
    std::vector<ACHAR> keyword(32);
    acedGetInput(keyword.data(), keyword.size());
    askAndWriteFile(pDb, CString(keyword.data()) == L"Xlsx");
    return;
  }
  if (rc != RTNORM && rc != RTNONE) return;
  const AcGePoint3d at(pt[0], pt[1], pt[2]);
  CString why;
  const std::vector<std::vector<CString>> cells = DrawingScheduleCells(pDb);
  if (sched::PlaceScheduleBlock(pDb, sched::LayOutTable(cells), rc == RTNORM ? &at : nullptr, why)
          .isNull()) {
    acutPrintf(L"\n未放置设备表: %s。\n", static_cast<LPCTSTR>(why));
    return;
  }
  acutPrintf(L"\n设备表共 %d 台风机。\n", static_cast<int>(cells.size()) - 1);
}

void StartTagRenumbering() { acedEditor->addReactor(&g_renumbering); }

void StopTagRenumbering() { acedEditor->removeReactor(&g_renumbering); }
