// Reading and writing DXF files in-process: round trips, atomic saves, bad input.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad/db/drawing_files.h"
#include "cad/db/dxf/drawing_clock.h"
#include "cad_test_support.h"

namespace {

using cadtest::addBlock;
using cadtest::addToBlock;
using cadtest::addToModelSpace;
using cadtest::DxfText;
using cadtest::r12Drawing;
using cadtest::TempDir;

// Writes db and reads the text back into a new database.
std::unique_ptr<AcDbDatabase> roundTrip(AcDbDatabase& db, std::string* text = nullptr) {
  std::string out;
  EXPECT_EQ(db.writeDxfText(out), Acad::eOk);
  auto back = std::make_unique<AcDbDatabase>(false);
  EXPECT_EQ(back->readDxfText(out), Acad::eOk) << zrbase::wideToUtf8(back->lastErrorText());
  if (text) *text = out;
  return back;
}

Acad::ErrorStatus readText(AcDbDatabase& db, const std::string& text) {
  return db.readDxfText(text, L"x.dxf");
}

std::string errorText(const AcDbDatabase& db) { return zrbase::wideToUtf8(db.lastErrorText()); }

TEST(DxfRoundTrip, ModeledEntitiesKeepTheirFields) {
  AcDbDatabase db;
  auto* text = new AcDbText(AcGePoint3d(1, 2, 0), L"风机 4-72", AcDbObjectId(), 2.5, 0.5);
  text->setHorizontalMode(kTextCenter);
  text->setAlignmentPoint(AcGePoint3d(3, 2, 0));
  addToModelSpace(&db, text);
  auto* pl = new AcDbPolyline();
  pl->addVertexAt(0, AcGePoint2d(0, 0), 0.5);
  pl->addVertexAt(1, AcGePoint2d(3, 4));
  pl->setClosed(true);
  addToModelSpace(&db, pl);
  auto* mtext = new AcDbMText();
  std::wstring longContents(300, L'字');
  mtext->setContents(longContents.c_str());
  addToModelSpace(&db, mtext);
  auto back = roundTrip(db);
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, back->modelSpaceId(), AcDb::kForRead), Acad::eOk);
  std::vector<AcDbObjectId> ids = ms->entityIds();
  ms->close();
  ASSERT_EQ(ids.size(), 3u);
  AcDbObjectPointer<AcDbText> t(ids[0], AcDb::kForRead);
  ASSERT_TRUE(t);
  EXPECT_STREQ(t->textStringConst(), L"风机 4-72");
  EXPECT_NEAR(t->rotation(), 0.5, 1e-12);
  EXPECT_EQ(t->horizontalMode(), kTextCenter);
  EXPECT_EQ(t->alignmentPoint(), AcGePoint3d(3, 2, 0));
  AcDbObjectPointer<AcDbPolyline> p(ids[1], AcDb::kForRead);
  ASSERT_TRUE(p);
  double bulge = 0;
  p->getBulgeAt(0, bulge);
  EXPECT_EQ(bulge, 0.5);
  EXPECT_TRUE(p->isClosed());
  EXPECT_EQ(p->numVerts(), 2u);
  AcDbObjectPointer<AcDbMText> m(ids[2], AcDb::kForRead);
  ASSERT_TRUE(m);
  ACHAR* contents = m->contents();
  EXPECT_EQ(std::wstring(contents), longContents);
  acutDelString(contents);
}

TEST(DxfRoundTrip, BlocksReferencesAndAttributesKeepTheirLinks) {
  AcDbDatabase db;
  AcDbObjectId blk = addBlock(&db, L"风机块", AcGePoint3d(1, 1, 0));
  addToBlock(blk, new AcDbAttributeDefinition(AcGePoint3d(), L"默认", L"TAG", L"型号"));
  auto* ref = new AcDbBlockReference(AcGePoint3d(10, 20, 0), blk);
  ref->setScaleFactors(AcGeScale3d(2));
  ref->appendAttribute(new AcDbAttribute(AcGePoint3d(1, 1, 0), L"值", L"TAG"));
  addToModelSpace(&db, ref);
  std::string text;
  auto back = roundTrip(db, &text);
  EXPECT_NE(text.find("SEQEND"), std::string::npos);
  AcDbEntity* ent = cadtest::firstInModelSpace(back.get());
  auto* r = AcDbBlockReference::cast(ent);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->scaleFactors(), AcGeScale3d(2));
  AcDbObjectPointer<AcDbBlockTableRecord> def(r->blockTableRecord(), AcDb::kForRead);
  ASSERT_TRUE(def);
  EXPECT_EQ(def->name(), L"风机块");
  EXPECT_EQ(def->origin(), AcGePoint3d(1, 1, 0));
  EXPECT_TRUE(def->hasAttributeDefinitions());
  ASSERT_EQ(r->attributeCount(), 1);
  AcDbObjectPointer<AcDbAttribute> a(r->attributeIds()[0], AcDb::kForRead);
  EXPECT_STREQ(a->textStringConst(), L"值");
  ent->close();
}

// Handles are unique, $HANDSEED lies above all of them, and those read are kept.
TEST(DxfRoundTrip, HandlesStayUniqueAndBelowTheSeed) {
  AcDbDatabase db;
  AcDbObjectId line = addToModelSpace(&db, new AcDbLine());
  auto* pl = new AcDb3dPolyline(AcDb::k3dSimplePoly, [] {
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(1, 1, 1));
    return pts;
  }());
  addToModelSpace(&db, pl);
  std::string text;
  auto back = roundTrip(db, &text);
  std::regex handleRe("\n  5\n([0-9A-F]+)\n");
  std::string body = text.substr(text.find("ENDSEC"));  // past the header and its seed
  std::set<std::string> seen;
  unsigned long long maxHandle = 0;
  for (std::sregex_iterator it(body.begin(), body.end(), handleRe), end; it != end; ++it) {
    EXPECT_TRUE(seen.insert((*it)[1]).second) << "duplicate handle " << (*it)[1];
    maxHandle = std::max(maxHandle, std::stoull((*it)[1], nullptr, 16));
  }
  std::smatch seed;
  ASSERT_TRUE(std::regex_search(text, seed, std::regex("\\$HANDSEED\n  5\n([0-9A-F]+)\n")));
  EXPECT_GT(std::stoull(seed[1], nullptr, 16), maxHandle);
  AcDbObjectId again;
  EXPECT_EQ(back->getAcDbObjectId(again, false, line.handle()), Acad::eOk);
  EXPECT_NE(AcDbLine::cast(again.stub()->object), nullptr);
}

// Sets a header variable of a drawing's text, adding it ahead of $ACADVER when it is not there.
std::string withHeaderVar(const std::string& text, const std::string& name, int code,
                          const std::string& value) {
  std::string pair = std::to_string(code) + "\n" + value + "\n";
  std::smatch m;
  if (std::regex_search(text, m, std::regex("\n\\" + name + "\n *[0-9]+\n[^\n]*\n")))
    return m.prefix().str() + "\n" + name + "\n" + pair + m.suffix().str();
  size_t at = text.find("$ACADVER\n  1\nAC1024\n");
  EXPECT_NE(at, std::string::npos);
  return text.substr(0, at) + name + "\n" + pair + "  9\n" + text.substr(at);
}

// The value a header variable is written with: its code and value lines.
std::string headerValue(const std::string& text, const std::string& name) {
  std::smatch m;
  if (!std::regex_search(text, m, std::regex("\n\\" + name + "\n *([0-9]+\n[^\n]*)\n")))
    return "(missing)";
  return m[1];
}

// A header naming a style or linetype that its table lacks is written naming one the drawing
// has: ezdxf's new drawings say $DIMSTYLE ISO-25 and define only Standard, and a read and a
// save kept that.
TEST(DxfWrite, HeaderNamesOnlyStylesAndLinetypesTheDrawingHas) {
  AcDbDatabase db;
  std::string text;
  ASSERT_EQ(db.writeDxfText(text), Acad::eOk);
  text = withHeaderVar(text, "$DIMSTYLE", 2, "ISO-25");
  text = withHeaderVar(text, "$TEXTSTYLE", 7, "STANDARD");
  text = withHeaderVar(text, "$CELTYPE", 6, "Dashed");
  AcDbDatabase back(false);
  ASSERT_EQ(readText(back, text), Acad::eOk) << errorText(back);
  std::string out;
  ASSERT_EQ(back.writeDxfText(out), Acad::eOk);
  EXPECT_EQ(headerValue(out, "$DIMSTYLE"), "2\nStandard");
  EXPECT_EQ(headerValue(out, "$TEXTSTYLE"), "7\nSTANDARD");  // there, named in another case
  EXPECT_EQ(headerValue(out, "$CELTYPE"), "6\nByLayer");
  TempDir dir;
  cadtest::writeFile(dir.path("header.dxf"), out);
  cadtest::CommandResult check = cadtest::checkDrawing(dir.path("header.dxf"));
  EXPECT_EQ(check.status, 0) << check.output;

  // Without a Standard dimension style either, the first one the drawing has.
  std::string renamed = std::regex_replace(
      text, std::regex("(AcDbDimStyleTableRecord\n *2\n)Standard\n"), "$1ISO-35\n");
  ASSERT_NE(renamed, text);
  AcDbDatabase third(false);
  ASSERT_EQ(readText(third, renamed), Acad::eOk) << errorText(third);
  std::string thirdOut;
  ASSERT_EQ(third.writeDxfText(thirdOut), Acad::eOk);
  EXPECT_EQ(headerValue(thirdOut, "$DIMSTYLE"), "2\nISO-35");
}

// A header variable read without a value is not written back as a bare name.
TEST(DxfWrite, HeaderVariablesWithoutValueAreLeftOut) {
  AcDbDatabase db;
  std::string text;
  ASSERT_EQ(db.writeDxfText(text), Acad::eOk);
  size_t at = text.find("  9\n$ACADVER\n");
  ASSERT_NE(at, std::string::npos);
  text.insert(at, "  9\n$EMPTY\n");
  AcDbDatabase back(false);
  ASSERT_EQ(readText(back, text), Acad::eOk) << errorText(back);
  std::string out;
  ASSERT_EQ(back.writeDxfText(out), Acad::eOk);
  EXPECT_EQ(out.find("$EMPTY"), std::string::npos);
  TempDir dir;
  cadtest::writeFile(dir.path("empty.dxf"), out);
  cadtest::CommandResult check = cadtest::checkDrawing(dir.path("empty.dxf"));
  EXPECT_EQ(check.status, 0) << check.output;
}

TEST(DxfRoundTrip, ErasedObjectsAreNotWritten) {
  AcDbDatabase db;
  AcDbObjectId id = addToModelSpace(&db, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 1));
  addToModelSpace(&db, new AcDbLine());
  AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForWrite);
  ASSERT_EQ(ent->erase(), Acad::eOk);
  std::string text;
  auto back = roundTrip(db, &text);
  EXPECT_EQ(text.find("\nCIRCLE\n"), std::string::npos);
  EXPECT_EQ(cadtest::modelSpaceCount(back.get()), 1);
}

TEST(DxfRead, OlderDrawingsDecodeByCodePageAndEscapes) {
  std::string entities = DxfText()
                             .pair(0, "TEXT")
                             .pair(8, "\xB7\xE7\xBB\xFA")  // GBK for 风机
                             .pair(10, "1")
                             .pair(20, "2")
                             .pair(40, "2.5")
                             .pair(1, "\\U+79BB\\U+5FC3 ok")
                             .str();
  AcDbDatabase db(false);
  ASSERT_EQ(readText(db, r12Drawing(entities, "ANSI_936")), Acad::eOk) << errorText(db);
  AcDbEntity* ent = cadtest::firstInModelSpace(&db);
  auto* text = AcDbText::cast(ent);
  ASSERT_NE(text, nullptr);
  ACHAR* layer = text->layer();
  EXPECT_STREQ(layer, L"风机");
  acutDelString(layer);
  EXPECT_STREQ(text->textStringConst(), L"离心 ok");
  text->close();
  AcDbLayerTable* lt = nullptr;
  db.getLayerTable(lt);
  EXPECT_TRUE(lt->has(L"风机"));  // layers entities name are made when the table lacks them
  lt->close();
}

// Found by fuzzing: a reference to a block the file lacks, named with a character names
// made in the editor may not hold, made a block without a name.
TEST(DxfRead, ReferenceToAMissingBlockOfAnyNameReadsBack) {
  const std::string entities =
      DxfText().pair(0, "INSERT").pair(8, "0").pair(2, "PUMP\\A").pair(10, "1").pair(20, "2").str();
  AcDbDatabase db(false);
  ASSERT_EQ(readText(db, r12Drawing(entities)), Acad::eOk) << errorText(db);
  std::string text;
  std::unique_ptr<AcDbDatabase> back = roundTrip(db, &text);
  for (AcDbDatabase* d : {&db, back.get()}) {
    AcDbBlockTable* blocks = nullptr;
    ASSERT_EQ(d->getBlockTable(blocks, AcDb::kForRead), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(blocks->getAt(L"PUMP\\A", id), Acad::eOk);
    blocks->close();
    auto* ref = AcDbBlockReference::cast(cadtest::firstInModelSpace(d));
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->blockTableRecord(), id);
    ref->close();
  }
}

TEST(DxfRead, UnmodeledRecordsComeBackUnchanged) {
  std::string entities = DxfText()
                             .pair(0, "3DFACE")
                             .pair(8, "0")
                             .pair(62, "5")
                             .pair(10, "0")
                             .pair(20, "0")
                             .pair(30, "0")
                             .pair(11, "1")
                             .pair(21, "0")
                             .pair(31, "0")
                             .pair(12, "1")
                             .pair(22, "1")
                             .pair(32, "0")
                             .pair(13, "0")
                             .pair(23, "1")
                             .pair(33, "0")
                             .str();
  AcDbDatabase db(false);
  ASSERT_EQ(readText(db, r12Drawing(entities)), Acad::eOk) << errorText(db);
  std::string text;
  db.writeDxfText(text);
  EXPECT_NE(text.find("3DFACE\n  5\n"), std::string::npos);
  EXPECT_NE(text.find("100\nAcDbFace\n 10\n0\n 20\n0\n 30\n0\n 11\n1\n"), std::string::npos);
  AcDbEntity* ent = cadtest::firstInModelSpace(&db);
  ASSERT_NE(ent, nullptr);
  EXPECT_STREQ(ent->dxfName(), "3DFACE");
  EXPECT_EQ(ent->colorIndex(), 5);
  ent->close();
}

TEST(DxfRead, BadInputIsRefusedWithItsReason) {
  struct Case {
    std::string text;
    Acad::ErrorStatus status;
    std::string reason;
  };
  std::string line = DxfText().pair(0, "LINE").pair(8, "0").pair(10, "1").pair(20, "1").str();
  std::vector<Case> cases = {
      {"AC1015\x00\x00garbage", Acad::eDwgNotRecoverable, "binary DWG is not supported"},
      {std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), Acad::eBadDxfFile, "binary DXF"},
      {"hello world\n", Acad::eBadDxfFile, "bad group code 'hello world' (line 1)"},
      {r12Drawing(line).substr(0, r12Drawing(line).size() - 15), Acad::eBadDxfFile,
       "unexpected end of file in ENTITIES"},
      {"0\nSECTION\n2\nHEADER\n9\n", Acad::eBadDxfFile, "without a value"},
      {r12Drawing(DxfText().pair(0, "LINE").pair(10, "1e999").str()), Acad::eBadDxfFile,
       "not a finite number"},
      {r12Drawing(DxfText().pair(0, "LINE").pair(10, "nan").str()), Acad::eBadDxfFile,
       "not a finite number"},
      {r12Drawing(DxfText().pair(0, "CIRCLE").pair(40, "x").str()), Acad::eBadDxfFile,
       "not a finite number: 'x'"},
      {r12Drawing(DxfText().pair(0, "TEXT").pair(72, "99999999999").str()), Acad::eBadDxfFile,
       "out of range"},
      {"", Acad::eBadDxfFile, "no sections"},
      {"0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n", Acad::eOk, ""},
      // A NUL byte anywhere: in a value, after EOF, or behind an earlier fault.
      {r12Drawing(line) + std::string("\0\0", 2), Acad::eBadDxfFile, "holds NUL bytes"},
      {std::string("hello world\n\0", 13), Acad::eBadDxfFile, "holds NUL bytes"},
  };
  // Lines are split eight bytes at a time: a NUL at every place in a word and past it.
  for (size_t at = 0; at < 20; ++at) {
    std::string value(40, 'x');
    value[at] = '\0';
    cases.push_back({r12Drawing(DxfText().pair(0, "TEXT").pair(1, value).str()), Acad::eBadDxfFile,
                     "holds NUL bytes"});
  }
  for (const Case& c : cases) {
    AcDbDatabase db(false);
    EXPECT_EQ(readText(db, c.text), c.status) << c.text.substr(0, 40);
    if (c.status == Acad::eOk) continue;
    std::string why = errorText(db);
    EXPECT_NE(why.find("cannot read drawing 'x.dxf': "), std::string::npos) << why;
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    AcDbBlockTable* bt = nullptr;
    EXPECT_NE(db.getBlockTable(bt), Acad::eOk);  // nothing half-read stays behind
  }
}

TEST(DxfFile, MissingAndBinaryFilesAreRefused) {
  TempDir dir;
  AcDbDatabase db(false);
  EXPECT_EQ(db.readDwgFile(dir.wpath("none.dwg").c_str()), Acad::eFileNotFound);
  EXPECT_NE(errorText(db).find("file not found"), std::string::npos);
  cadtest::writeFile(dir.path("4-72No4.5A.dwg"), std::string("AC1018\0\0\0\0", 10));
  EXPECT_EQ(db.readDwgFile(dir.wpath("4-72No4.5A.dwg").c_str(), _SH_DENYNO),
            Acad::eDwgNotRecoverable);
  EXPECT_EQ(errorText(db), "cannot read drawing '" + dir.path("4-72No4.5A.dwg") +
                               "': binary DWG is not supported");
}

TEST(DxfFile, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
  TempDir dir;
  std::string file = dir.path("plan.dxf");
  AcDbDatabase db;
  addToModelSpace(&db, new AcDbLine());
  ASSERT_EQ(db.saveAs(zrbase::utf8ToWide(file).c_str()), Acad::eOk);
  std::string first = cadtest::readFile(file);
  addToModelSpace(&db, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 2));
  ASSERT_EQ(db.save(), Acad::eOk);
  EXPECT_NE(cadtest::readFile(file), first);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("")),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left
  std::filesystem::create_directory(dir.path("sub.dxf"));
  EXPECT_NE(db.saveAs(dir.wpath("sub.dxf").c_str()), Acad::eOk);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path("sub.dxf")));
}

TEST(DxfFile, MappedTextStaysReadableAfterItsPagesAreGivenBack) {
  TempDir dir;
  std::string text;
  for (int i = 0; text.size() < 300000; ++i) text += std::to_string(i) + "\n";
  cadtest::writeFile(dir.path("t.dxf"), text);
  zrcad::MappedFile file;
  Acad::ErrorStatus es = Acad::eOk;
  std::wstring why;
  ASSERT_TRUE(file.open(dir.path("t.dxf"), es, why));
  file.release(100);  // less than a page: nothing to give back
  file.release(text.size() / 2);
  file.release(text.size() / 4);  // behind what was given back already
  EXPECT_EQ(file.text(), text);
  file.release(text.size() + 4096);
  EXPECT_EQ(file.text(), text);
}

// A drawing of some megabytes read from its file, where the reader gives back the pages it
// has passed, is the drawing read from memory.
TEST(DxfFile, LargeDrawingsReadFromFileAsFromMemory) {
  TempDir dir;
  AcDbDatabase db;
  AcDbObjectId block = addBlock(&db, L"B", AcGePoint3d());
  addToBlock(block, new AcDbCircle(AcGePoint3d(1, 2, 0), AcGeVector3d::kZAxis, 3));
  for (int i = 0; i < 20000; ++i) {
    auto* line = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 100.5, 0));
    line->setColorIndex(static_cast<Adesk::UInt16>(1 + i % 7));
    addToModelSpace(&db, line);
    if (i % 1000 == 0) addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(i, i, 0), block));
  }
  const std::string file = dir.path("large.dxf");
  ASSERT_EQ(db.saveAs(zrbase::utf8ToWide(file).c_str()), Acad::eOk);
  ASSERT_GT(std::filesystem::file_size(file), 2u << 20);
  AcDbDatabase fromFile(false), fromMemory(false);
  ASSERT_EQ(fromFile.readDwgFile(zrbase::utf8ToWide(file).c_str()), Acad::eOk)
      << errorText(fromFile);
  ASSERT_EQ(fromMemory.readDxfText(cadtest::readFile(file)), Acad::eOk);
  // Written by a stopped clock: the two saves may fall in different seconds. Compared as a
  // truth, not with EXPECT_EQ, whose line diff of two megabytes of text takes gigabytes.
  const auto now = zrcad::dxf::drawingTime();
  zrcad::dxf::ScopedDrawingClock clock([now] { return now; });
  std::string a, b;
  ASSERT_EQ(fromFile.writeDxfText(a), Acad::eOk);
  ASSERT_EQ(fromMemory.writeDxfText(b), Acad::eOk);
  EXPECT_TRUE(a == b) << "the texts differ first at byte "
                      << std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
  EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), std::count(b.begin(), b.end(), '\n'));
  EXPECT_NE(a.find("\nLINE\n"), std::string::npos);
  EXPECT_EQ(fromFile.approxNumObjects(), fromMemory.approxNumObjects());
}

TEST(DxfFile, BackslashPathsAreAccepted) {
  TempDir dir;
  AcDbDatabase db;
  std::wstring path = dir.wpath("a.dxf");
  std::replace(path.begin(), path.end(), L'/', L'\\');
  ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);
  AcDbDatabase back(false);
  EXPECT_EQ(back.readDwgFile(path.c_str()), Acad::eOk);
}

}  // namespace
