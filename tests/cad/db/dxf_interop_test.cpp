// Drawings exchanged with an independent reader: ezdxf writes them, we read and write them
// back, ezdxf and the strict checker read ours.
#include <gtest/gtest.h>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;

std::string dump(const std::string& file) {
  const CommandResult r = runScript("dump_drawing.py", "'" + file + "'");
  EXPECT_EQ(r.status, 0) << r.output;
  return r.output;
}

// Reads in and saves it as out through our database, with the edit made in between.
void readAndSave(const std::string& in, const std::string& out,
                 void (*edit)(AcDbDatabase&) = nullptr) {
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDwgFile(zrbase::utf8ToWide(in).c_str(), _SH_DENYWR), Acad::eOk) << errorText(db);
  if (edit) edit(db);
  ASSERT_EQ(db.saveAs(zrbase::utf8ToWide(out).c_str()), Acad::eOk);
  expectClean(out);
}

class EzdxfRoundTrip : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(EzdxfRoundTrip, NothingChangesThatWeDidNotChange) {
  TempDir dir;
  const std::string in = dir.path("source.dxf"), out = dir.path("ours.dxf");
  auto [version, encoding] = GetParam();
  ASSERT_EQ(runScript("make_drawing.py", std::string(version) + " " + in + " " + encoding).status,
            0);
  readAndSave(in, out);
  const std::string before = dump(in);
  ASSERT_NE(before.find("离心式风机"), std::string::npos);  // the source decoded as intended
  EXPECT_EQ(dump(out), before);
}

INSTANTIATE_TEST_SUITE_P(Releases, EzdxfRoundTrip,
                         ::testing::Values(std::make_pair("R12", "gbk"),
                                           std::make_pair("R2000", "gbk"),
                                           std::make_pair("R2010", "")));

TEST(EzdxfInterop, AnEditShowsUpAndNothingElseMoves) {
  TempDir dir;
  const std::string in = dir.path("source.dxf"), out = dir.path("ours.dxf");
  ASSERT_EQ(runScript("make_drawing.py", "R2010 " + in).status, 0);
  readAndSave(in, out, [](AcDbDatabase& db) {
    AcDbLayerTable* lt = nullptr;
    db.getLayerTable(lt);
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(lt->getAt(L"风机层", rec, AcDb::kForWrite), Acad::eOk);
    AcCmColor c;
    c.setColorIndex(6);
    rec->setColor(c);
    rec->close();
    lt->close();
  });
  std::string before = dump(in);
  const std::string was = "\"风机层\",\n   3,";
  const size_t at = before.find(was);
  ASSERT_NE(at, std::string::npos);
  before.replace(at, was.size(), "\"风机层\",\n   6,");
  EXPECT_EQ(dump(out), before);
}

// A drawing as the module leaves it: a placed block on its layer, tagged with xdata.
TEST(EzdxfInterop, OurDrawingsPassTheCheckerAndShowTheirXdata) {
  TempDir dir;
  const std::string file = dir.path("placed.dxf");
  AcDbDatabase db;
  const AcDbObjectId layer = addLayer(&db, L"AC_EQUIPMENT");
  const AcDbObjectId blk = addBlock(&db, L"4-72No4.5AF_L0");
  addToBlock(blk, new AcDbLine(AcGePoint3d(), AcGePoint3d(10, 0, 0)));
  addToBlock(blk, new AcDbAttributeDefinition(AcGePoint3d(0, 1, 0), L"d", L"T", L"p"));
  auto* ref = new AcDbBlockReference(AcGePoint3d(5, 5, 0), blk);
  ref->setLayer(layer);
  ref->appendAttribute(new AcDbAttribute(AcGePoint3d(0, 1, 0), L"值", L"T"));
  AcDbObjectPointer<AcDbEntity> ent(addToModelSpace(&db, ref), AcDb::kForWrite);
  resbuf* rb = acutBuildList(1001, L"NAME", 1000, L"离心式风机", 1001, L"PLAN", 1000, L"1", 0);
  ASSERT_EQ(ent->setXData(rb), Acad::eOk);
  acutRelRb(rb);
  ent->close();
  ASSERT_EQ(db.saveAs(zrbase::utf8ToWide(file).c_str()), Acad::eOk);
  expectClean(file);
  const std::string d = dump(file);
  const size_t xdata = d.find("\"NAME\": [");
  ASSERT_NE(xdata, std::string::npos) << d;
  EXPECT_NE(d.find("\"离心式风机\"", xdata), std::string::npos) << d;
  EXPECT_NE(d.find("\"layer\": \"AC_EQUIPMENT\""), std::string::npos);
  EXPECT_NE(d.find("\"text\": \"值\""), std::string::npos);
}

}  // namespace
