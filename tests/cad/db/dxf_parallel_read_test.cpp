// Large drawings are read on two threads (cad/db/dxf/entity_prefetch.h): the database must be
// the one a read on one thread makes, whatever the records the second thread takes, and a
// fault in its part must be reported as the read on one thread reports it.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <mutex>

#include "cad/db/dxf/dxf_file.h"
#include "cad/db/dxf/entity_prefetch.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;

// Resets the size from which drawings are read on two threads.
struct ParallelReadBytes {
  explicit ParallelReadBytes(size_t bytes) { zrcad::dxf::setParallelReadBytes(bytes); }
  ~ParallelReadBytes() { zrcad::dxf::setParallelReadBytes(size_t{4} << 20); }
};

struct ReadResult {
  Acad::ErrorStatus status;
  std::string text;  // the drawing written back, or why it was refused
};

// Holds each prefetch's thread until the reader reaches its split point: the reader then
// finds the whole part still to read and shares it with another prefetch, and that one's the
// same way, down to parts without an entity to split at.
struct HoldForReader {
  explicit HoldForReader(bool hold) { zrcad::dxf::EntityPrefetch::holdForReader(hold); }
  ~HoldForReader() { zrcad::dxf::EntityPrefetch::holdForReader(false); }
};

ReadResult readWith(size_t parallelBytes, const std::string& text, bool hold = false) {
  ParallelReadBytes bytes(parallelBytes);
  HoldForReader holding(hold);
  AcDbDatabase db(false);
  const Acad::ErrorStatus es = db.readDxfText(text, L"x.dxf");
  return {es, es == Acad::eOk ? written(db) : errorText(db)};
}

void expectSameAsSerial(const std::string& text) {
  const ReadResult serial = readWith(std::numeric_limits<size_t>::max(), text);
  for (const bool hold : {false, true}) {
    SCOPED_TRACE(hold ? "shared" : "as it comes");
    const ReadResult parallel = readWith(0, text, hold);
    EXPECT_EQ(parallel.status, serial.status);
    EXPECT_EQ(parallel.text, serial.text);
  }
}

// Every kind of record whose reading touches the database, repeated so that each lands on
// both sides of the split: layers the tables lack (one named before the owner), paper space,
// references with attributes to a block not defined, vertices, a kind kept as read, a handle
// given twice, two layer groups in one record.
std::string manyEntities(int copies) {
  std::string out;
  for (int i = 0; i < copies; ++i) {
    const std::string n = std::to_string(i);
    const std::string h = std::to_string(100000 + i);
    out += dxf(
        {0,   "LINE",     5,  h,  330, "1F",  100, "AcDbEntity", 8,  "NEW" + std::to_string(i % 97),
         100, "AcDbLine", 10, n,  20,  "0.5", 30,  "0",          11, "1",
         21,  "2",        31, "0"});
    out += dxf({0,   "CIRCLE",
                8,   "LATE" + n,
                330, std::to_string(200000 + i),
                100, "AcDbEntity",
                67,  "1",
                100, "AcDbCircle",
                10,  n,
                20,  "1",
                30,  "0",
                40,  "2"});
    out += dxf({0,   "INSERT",
                5,   h,
                100, "AcDbEntity",
                8,   "0",
                100, "AcDbBlockReference",
                66,  "1",
                2,   "MISSING" + std::to_string(i % 5),
                10,  n,
                20,  "0",
                30,  "0"});
    out += dxf({0,  "ATTRIB", 100, "AcDbEntity", 8,  "0", 100, "AcDbText", 10,  n,
                20, "0",      30,  "0",          40, "1", 1,   "F" + n,    100, "AcDbAttribute",
                2,  "TAG",    70,  "0"});
    out += dxf({0, "SEQEND", 100, "AcDbEntity", 8, "0"});
    out += dxf({0, "POLYLINE", 100, "AcDbEntity", 8, "0", 100, "AcDb2dPolyline", 66, "1", 10, "0",
                20, "0", 30, "0"});
    out += dxf({0, "VERTEX", 100, "AcDbEntity", 8, "0", 100, "AcDbVertex", 100, "AcDb2dVertex", 10,
                n, 20, "1", 30, "0"});
    out += dxf({0, "SEQEND", 100, "AcDbEntity", 8, "0"});
    out += dxf({0, "WIPEOUT", 100, "AcDbEntity", 8, "0", 100, "AcDbWipeout", 10, n});
    out += dxf({0,  "TEXT", 100, "AcDbEntity", 8,  "A", 8,  "B" + n, 100, "AcDbText",
                10, n,      20,  "0",          30, "0", 40, "1",     1,   "T" + n});
  }
  return out;
}

TEST(DxfParallelRead, GivesTheDatabaseOfASerialRead) {
  expectSameAsSerial(withEntities(manyEntities(400)));
  // Most of the text in the BLOCKS section.
  AcDbDatabase blocks;
  for (int b = 0; b < 300; ++b) {
    const AcDbObjectId block = addBlock(&blocks, (L"B" + std::to_wstring(b)).c_str());
    for (int e = 0; e < 10; ++e) {
      addToBlock(block, new AcDbLine(AcGePoint3d(e, b, 0), AcGePoint3d(b, e, 0)));
      addToBlock(block, new AcDbCircle(AcGePoint3d(e, b, 0), AcGeVector3d::kZAxis, 1 + e));
    }
  }
  expectSameAsSerial(written(blocks));
}

// Text the read says it is done with may be unmapped at once (a file's pages are given back
// as it goes): the entities the other threads made are linked from what their batches hold,
// never from that text. Here the text given back is overwritten, so that a read of it would
// put lines on other layers or fail.
TEST(DxfParallelRead, AnEntityIsLinkedWithoutTheTextGivenBack) {
  std::string lines;
  for (int i = 0; i < 8000; ++i) {
    const std::string n = std::to_string(i);
    lines += dxf({0,   "LINE",
                  5,   std::to_string(100000 + i),
                  330, "1F",
                  100, "AcDbEntity",
                  8,   "L" + std::to_string(i % 7),
                  100, "AcDbLine",
                  10,  n,
                  20,  "0",
                  30,  "0",
                  11,  "1",
                  21,  n,
                  31,  "0"});
  }
  const std::string text = withEntities(lines);
  const ReadResult serial = readWith(std::numeric_limits<size_t>::max(), text);
  ASSERT_EQ(serial.status, Acad::eOk);
  for (const bool hold : {false, true}) {
    SCOPED_TRACE(hold ? "shared" : "as it comes");
    ParallelReadBytes bytes(0);
    HoldForReader holding(hold);
    std::string given = text;
    size_t overwritten = 0;  // the ranges told are disjoint, or told after the threads end
    std::mutex mutex;
    const zrcad::dxf::TextPassed passed = [&](size_t begin, size_t end) {
      std::lock_guard lock(mutex);
      std::fill(given.begin() + static_cast<std::ptrdiff_t>(begin),
                given.begin() + static_cast<std::ptrdiff_t>(end), '#');
      overwritten += end - begin;
    };
    AcDbDatabase db(false);
    std::string message;
    EXPECT_EQ(zrcad::dxf::readDxf(&db, given, message, passed), Acad::eOk) << message;
    // Not EXPECT_EQ: gtest's difference of two drawings of megabytes takes gigabytes.
    const std::string read = written(db);
    const auto [at, _] = std::ranges::mismatch(read, serial.text);
    EXPECT_TRUE(read == serial.text)
        << "differs from a read on one thread from byte " << at - read.begin() << ": "
        << std::string_view(at, read.end()).substr(0, 200);
    EXPECT_GT(overwritten, text.size() / 2);
  }
}

TEST(DxfParallelRead, AFaultInTheSecondPartIsReportedAsASerialReadReportsIt) {
  const std::string text = withEntities(manyEntities(400));
  const size_t late = text.size() * 9 / 10;
  const size_t circle = text.find("CIRCLE\n", late);
  const size_t value = text.find("\n40\n", circle) + 4;
  for (const std::string& fault : {std::string("x"), std::string("1\n4x"),
                                   std::string("1\n  0\nBLOCK"), std::string("1\n  0\nEOF")}) {
    SCOPED_TRACE(fault);
    const std::string bad = text.substr(0, value) + fault + text.substr(text.find('\n', value));
    expectSameAsSerial(bad);
    EXPECT_EQ(readWith(0, bad, true).status, Acad::eBadDxfFile);
  }
}

}  // namespace
