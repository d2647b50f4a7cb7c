// InsertBlock as other modules call it: linked against the module's shared
// library, so the test also proves that the function is exported under its
// full C++ signature.
#include <gtest/gtest.h>

#include <memory>
#include <numbers>

#include "catalogue_builder.h"
#include "drawing_builder.h"
#include "drawings/insert_block.h"

namespace {

// A symbol drawing: a 10 x 5 outline and an attribute definition at (10, 5)
// with height 2.5, middle-aligned on (12, 6), prompt and default value apart.
std::string WriteSymbol(const testsupport::TempDir& dir, bool withAttribute) {
  AcDbDatabase db(true, true);
  apptest::addLine(&db, {0, 0, 0}, {10, 0, 0});
  apptest::addLine(&db, {10, 0, 0}, {10, 5, 0});
  if (withAttribute) {
    auto* def =
        new AcDbAttributeDefinition(AcGePoint3d(10, 5, 0), L"default value", L"SIZE", L"风机型号");
    def->setHeight(2.5);
    def->setRotation(0.25);
    def->setWidthFactor(0.8);
    def->setHorizontalMode(kTextMid);
    def->setAlignmentPoint(AcGePoint3d(12, 6, 0));
    AcDbBlockTableRecord* space = nullptr;
    acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite);
    space->appendAcDbEntity(def);
    def->close();
    space->close();
  }
  const std::string path = dir.file(withAttribute ? "symbol.dwg" : "plain.dwg");
  EXPECT_EQ(db.saveAs(CString::FromUtf8(path)), Acad::eOk);
  return path;
}

std::vector<AcDbObjectId> Attributes(AcDbObjectId reference) {
  AcDbObjectPointer<AcDbBlockReference> ref(reference, AcDb::kForRead);
  return ref->attributeIds();
}

}  // namespace

TEST(InsertBlock, AttributesFollowScaleAndPointButNotTheRotation) {
  testsupport::TempDir dir;
  const std::string file = WriteSymbol(dir, true);
  AcDbDatabase* db = apptest::newCurrentDrawing();
  for (const double rotation : {0.0, std::numbers::pi / 2}) {
    AcDbObjectId refId;
    ASSERT_EQ(InsertBlock(CString::FromUtf8(file), L"FANSYM", 2, AcGePoint3d(100, 50, 0), rotation,
                          refId),
              1);
    AcDbObjectPointer<AcDbBlockReference> ref(refId, AcDb::kForRead);
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->ownerId(), db->modelSpaceId());
    EXPECT_EQ(ref->scaleFactors(), AcGeScale3d(2));
    EXPECT_DOUBLE_EQ(ref->rotation(), rotation);
    EXPECT_TRUE(ref->position().isEqualTo(AcGePoint3d(100, 50, 0)));
    AcDbObjectPointer<AcDbBlockTableRecord> block(ref->blockTableRecord(), AcDb::kForRead);
    EXPECT_EQ(block->name(), L"FANSYM");

    const std::vector<AcDbObjectId> attrs = Attributes(refId);
    ASSERT_EQ(attrs.size(), 1u);
    AcDbObjectPointer<AcDbAttribute> attr(attrs[0], AcDb::kForRead);
    EXPECT_TRUE(attr->position().isEqualTo(AcGePoint3d(120, 60, 0))) << "rotation " << rotation;
    EXPECT_TRUE(attr->alignmentPoint().isEqualTo(AcGePoint3d(124, 62, 0)));
    EXPECT_DOUBLE_EQ(attr->height(), 5);
    EXPECT_DOUBLE_EQ(attr->rotation(), 0.25) << "the definition's own rotation";
    EXPECT_DOUBLE_EQ(attr->widthFactor(), 0.8);
    EXPECT_EQ(attr->horizontalMode(), kTextMid);
    EXPECT_STREQ(attr->tagConst(), L"SIZE");
    EXPECT_STREQ(attr->textStringConst(), L"风机型号") << "the prompt, not the default value";
  }
}

// A plain reference for a block without attribute definitions; none for a file or a name
// that cannot be brought in.
TEST(InsertBlock, APlainBlockGivesAPlainReferenceAndWhatCannotBeBroughtInNone) {
  testsupport::TempDir dir;
  const std::string file = WriteSymbol(dir, false);
  AcDbDatabase* db = apptest::newCurrentDrawing();
  AcDbObjectId refId;
  const auto insert = [&](const std::string& path, const wchar_t* name) {
    return InsertBlock(CString::FromUtf8(path), name, 1, AcGePoint3d(), 0, refId);
  };
  EXPECT_EQ(insert(dir.file("missing.dwg"), L"X"), 0);
  EXPECT_EQ(insert(file, L""), 0);
  EXPECT_EQ(insert(file, L"*Model_Space"), 0);
  EXPECT_TRUE(refId.isNull());
  EXPECT_TRUE(apptest::references(db).empty());
  ASSERT_EQ(insert(file, L"PLAIN"), 1);
  EXPECT_TRUE(Attributes(refId).empty());
}
