// Recent SELECT results are reused only while nothing has written to the file:
// a write through a recordset, a statement, another connection's commit or a
// schema change each make the next query read the file again.
#include <gtest/gtest.h>

#include "ado/ado_statistics.h"
#include "ado_fixture.h"

namespace {

using ResultCache = adotest::CatalogueFixture;
const wchar_t* const kQuery = L"select * from Model where ID like 1";

std::vector<std::wstring> Labels(const _ConnectionPtr& c) {
  return adotest::column(adotest::open(c, kQuery), L"LabelModel");
}

TEST_F(ResultCache, ARepeatedQueryStillSeesEveryKindOfWrite) {
  const std::vector<std::wstring> original = Labels(conn);
  ASSERT_EQ(Labels(conn), original);

  _RecordsetPtr rs = adotest::open(conn, kQuery);
  rs->PutCollect(L"LabelModel", L"through a recordset");
  rs->Update();
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"through a recordset"});

  conn->Execute(L"UPDATE Model SET LabelModel = 'by a statement' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"by a statement"});

  _ConnectionPtr other = adotest::connect(path);
  other->Execute(L"UPDATE Model SET LabelModel = 'by another host' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"by another host"});

  conn->Execute(L"ALTER TABLE Model ADD COLUMN Extra TEXT", nullptr, -1);
  _RecordsetPtr wider = adotest::open(conn, kQuery);
  EXPECT_EQ(wider->GetFields()->GetCount(), 7);
}

TEST_F(ResultCache, RecordsetsOfOneResultWriteWithoutTouchingEachOther) {
  _RecordsetPtr first = adotest::open(conn, kQuery);
  _RecordsetPtr second = adotest::open(conn, kQuery);
  first->PutCollect(L"LabelModel", L"first");
  first->Update();
  EXPECT_EQ(adotest::text(second->GetCollect(L"LabelModel")), L"4-72No4A")
      << "an open recordset keeps the rows it was opened with";
  first->Delete(adAffectCurrent);
  EXPECT_TRUE(adotest::open(conn, kQuery)->GetBOF());
  EXPECT_FALSE(second->GetBOF());
}

TEST_F(ResultCache, TheProbeAndTheRecordsetAreStillTwoStatements) {
  const unsigned long long before = adoimpl::statementCount();
  conn->Execute(kQuery, nullptr, -1);
  adotest::open(conn, kQuery);
  EXPECT_EQ(adoimpl::statementCount() - before, 2u);
  EXPECT_THROW(conn->Execute(L"select * from NoSuchTable", nullptr, -1), _com_error)
      << "a failing probe reports its error as before";
}

}  // namespace
