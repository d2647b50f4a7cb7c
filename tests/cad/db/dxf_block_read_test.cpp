// A read of one block (readDwgFileForBlock) passes over the entities of the other blocks and
// of model space: the copy of that block and the block names must be those of a whole read,
// and what it cannot read alone is read whole, with the whole read's message.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "cad/db/dxf/drawing_clock.h"
#include "cad/db/dxf/dxf_file.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;

// The block names and the block's copy (wblock) written out, or why the read failed.
std::string seen(AcDbDatabase& db, Acad::ErrorStatus es, const ACHAR* block) {
  if (es != Acad::eOk) return errorText(db);
  std::string out;
  AcDbBlockTable* table = nullptr;
  db.getBlockTable(table);
  for (AcDbObjectId id : table->recordIds())
    out += zrbase::wideToUtf8(AcDbBlockTableRecord::cast(id.stub()->object)->name()) + " ";
  table->close();
  AcDbDatabase* copy = nullptr;
  if (db.wblock(copy, blockNamed(db, block)) == Acad::eOk) out += written(*copy);
  delete copy;
  return out;
}

TEST(DxfBlockRead, CopiesTheBlockAsAWholeReadDoesAndReadsWholeWhatItCannotReadAlone) {
  // The copies are dated when made: a fixed clock keeps the two compared from falling on
  // either side of a second.
  const zrcad::dxf::ScopedDrawingClock clock(
      [] { return zrcad::dxf::TimePoint{} + std::chrono::hours(480000); });
  AcDbDatabase src;
  for (const ACHAR* name : {L"A", L"B", L"C"}) {
    const AcDbObjectId block = addBlock(&src, name);
    addToBlock(block, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(*name, 1, 0)));
    addToBlock(block, new AcDbText(AcGePoint3d(1, 2, 0), L"ENDBLK", AcDbObjectId(), 2.5));
  }
  addToBlock(addBlock(&src, L"D"), new AcDbBlockReference(AcGePoint3d(), blockNamed(src, L"A")));
  addToModelSpace(&src, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 3));
  // Lines ENDBLK that end no block: a text's (code 1) and an xdata string (code 1000).
  std::string text = written(src);
  text.insert(text.find("\n  0\n", text.find("\n  1\nENDBLK\n")) + 1, "1001\nACAD\n1000\nENDBLK\n");
  const size_t inC =  // the first coordinate of C's line
      text.find("\n 10\n", text.find("AcDbLine", text.find("\n  2\nC\n", text.find("BLOCKS")))) + 5;
  ASSERT_NE(inC, std::string::npos + 5);
  const struct {
    std::string fault;  // put in C's line
    const ACHAR* block;
    bool whole;
  } cases[] = {{"", L"B", false}, {"", L"c", false}, {"", L"NONE", false},
               {"", L"D", true},  {"x", L"C", true}, {std::string(1, '\0'), L"B", true}};
  char dir[] = "/tmp/dxf_block_read_XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::wstring path = zrbase::utf8ToWide(std::string(dir) + "/view.dwg");
  for (const auto& [fault, block, whole] : cases) {
    SCOPED_TRACE(zrbase::wideToUtf8(block) + " " + fault);
    writeFile(zrbase::wideToUtf8(path), text.substr(0, inC) + fault + text.substr(inC));
    AcDbDatabase all(false), part(false);
    const Acad::ErrorStatus es = all.readDwgFile(path.c_str());
    bool readWhole = false;
    const Acad::ErrorStatus partEs =
        zrcad::dxf::readDwgFileForBlock(&part, path.c_str(), _SH_DENYNO, block, readWhole);
    EXPECT_EQ(readWhole, whole);
    EXPECT_EQ(partEs, es);
    EXPECT_EQ(seen(part, partEs, block), seen(all, es, block));
  }
  ::unlink(zrbase::wideToUtf8(path).c_str());
  ::rmdir(dir);
}

}  // namespace
