// The view drawing cache: one read while the file is unchanged, a new read
// after any write to it, nothing for a file that cannot be read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalogue_builder.h"
#include "drawing_builder.h"
#include "drawings/view_drawing_cache.h"
#include "view_drawing_builder.h"

namespace {

bool HasBlock(AcDbDatabase* db, const wchar_t* name) {
  AcDbBlockTable* table = nullptr;
  if (db == nullptr || db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return false;
  const bool has = table->has(name);
  table->close();
  return has;
}

}  // namespace

TEST(ViewDrawingCache, ServesABlockReadAloneForThatBlockOnlyAndTheWholeDrawingForAnyOther) {
  testsupport::TempDir dir;
  const std::string path = dir.file("Fan/4-72No4.5A.dwg");
  ASSERT_TRUE(testsupport::writeViewDrawing(path, {{L"F_L0", 4}, {L"S_R45", 6}}));
  const CString wpath = CString::FromUtf8(path);
  CViewDrawingCache cache;
  auto entities = [](AcDbDatabase* db, const wchar_t* name) {
    AcDbBlockTable* table = nullptr;
    AcDbObjectId id;
    if (db == nullptr || db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return -1;
    table->getAt(name, id);
    table->close();
    return apptest::entityCount(id);
  };
  AcDbDatabase* part = cache.GetForBlock(wpath, L"F_L0", _SH_DENYNO);
  EXPECT_EQ(entities(part, L"F_L0"), 4);
  EXPECT_EQ(cache.GetForBlock(wpath, L"F_L0", _SH_DENYNO), part) << "served from memory";
  EXPECT_EQ(entities(cache.GetForBlock(wpath, L"S_R45", _SH_DENYNO), L"S_R45"), 6);
}

TEST(ViewDrawingCache, ReadsOnceWhileTheFileIsUnchangedAgainAfterAWriteAndNothingUnreadable) {
  testsupport::TempDir dir;
  const std::string path = dir.file("Fan/4-72No4.5A.dwg");
  ASSERT_TRUE(testsupport::writeViewDrawing(path, {{L"F_L0", 4}}));
  const CString wpath = CString::FromUtf8(path);
  CViewDrawingCache cache;
  AcDbDatabase* first = cache.Get(wpath, _SH_DENYNO);
  ASSERT_TRUE(HasBlock(first, L"F_L0"));
  EXPECT_EQ(cache.Get(wpath, _SH_DENYWR), first) << "served from memory";

  // A save replaces the file: another file, though perhaps of the same size and time.
  ASSERT_TRUE(testsupport::writeViewDrawing(path, {{L"S_R45", 4}}));
  AcDbDatabase* second = cache.Get(wpath, _SH_DENYNO);
  EXPECT_TRUE(HasBlock(second, L"S_R45"));
  EXPECT_FALSE(HasBlock(second, L"F_L0"));

  // Written in place by another program: same file, new time.
  ASSERT_TRUE(testsupport::writeViewDrawing(dir.file("other.dwg"), {{L"B_L90", 4}}));
  testsupport::writeBytes(path, testsupport::readBytes(dir.file("other.dwg")));
  const timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), later, 0);
  EXPECT_TRUE(HasBlock(cache.Get(wpath, _SH_DENYNO), L"B_L90"));

  // A file that is deleted, missing or cannot be read gives nothing and is not kept.
  ::unlink(path.c_str());
  EXPECT_EQ(cache.Get(wpath, _SH_DENYNO), nullptr) << "a deleted file is not served";
  EXPECT_EQ(cache.Get(CString::FromUtf8(dir.file("none.dwg")), _SH_DENYNO), nullptr);
  testsupport::writeBytes(path, "garbage");
  EXPECT_EQ(cache.Get(wpath, _SH_DENYNO), nullptr);
  ASSERT_TRUE(testsupport::writeViewDrawing(path, {{L"F_L0", 4}}));
  EXPECT_TRUE(HasBlock(cache.Get(wpath, _SH_DENYNO), L"F_L0")) << "garbage was not kept";
}
