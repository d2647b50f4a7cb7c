// Recordsets: reading fields as the driver types them, moving, and writing rows back.
#include <gtest/gtest.h>

#include "ado/ado_errors.h"
#include "ado_fixture.h"
#include "base/utf8.h"

namespace {

using adotest::column;
using adotest::errorOf;
using adotest::open;
using adotest::text;
using testsupport::readRows;
using Rows = std::vector<std::vector<std::string>>;

using Recordset = adotest::CatalogueFixture;

TEST_F(Recordset, ValuesComeTypedAsTheirColumns) {
  struct Value {
    const wchar_t* table;
    int row;
    const wchar_t* field;
    VARTYPE vt;
    const wchar_t* text;
  };
  const Value values[] = {{L"Model", 0, L"ID", VT_I4, L"1"},
                          {L"Model", 0, L"FanNo", VT_R8, L"4"},  // a double 4.0 reads as "4"
                          {L"Model", 1, L"LabelModel", VT_NULL, L"<null>"},
                          {L"Model", 2, L"DriveMode", VT_BSTR, L"直联"},
                          {L"Flags", 0, L"Ok", VT_BOOL, L"-1"},
                          {L"Flags", 0, L"Big", VT_I8, L"5000000000"},
                          {L"Flags", 0, L"Note", VT_R8, L"2.5"},
                          {L"Flags", 1, L"Note", VT_BSTR, L"text"}};
  for (const Value& v : values) {
    SCOPED_TRACE(zrbase::wideToUtf8(std::wstring(v.table) + L"." + v.field));
    _RecordsetPtr rs = open(conn, std::wstring(L"SELECT * FROM ") + v.table);
    rs->Move(v.row);
    EXPECT_EQ(rs->GetCollect(v.field).vt, v.vt);
    EXPECT_EQ(text(rs->GetCollect(v.field)), v.text);
  }
  _RecordsetPtr rs = open(conn, L"SELECT * FROM Flags");
  EXPECT_TRUE(static_cast<bool>(rs->GetCollect(L"Ok")));
  EXPECT_EQ(static_cast<short>(open(conn, L"SELECT * FROM Model")->GetCollect(L"Speed")), 2900);
  EXPECT_EQ(errorOf([&] { (void)static_cast<short>(rs->GetCollect(L"Count")); }), DISP_E_OVERFLOW)
      << "40000 is beyond a 16-bit integer";
}

// (The field a host names in its report of a missing one: tests/host.)
TEST_F(Recordset, FieldsAreFoundByNameInAnyCaseOrByPositionAndAMissingOneIsNamed) {
  _RecordsetPtr rs = open(conn, L"SELECT * FROM Model WHERE ID like 3");
  EXPECT_EQ(text(rs->GetCollect(L"bigmodel")), L"9-19");
  EXPECT_EQ(text(rs->GetCollect("BIGMODEL")), L"9-19");
  EXPECT_EQ(text(rs->GetCollect(1L)), L"9-19");
  EXPECT_EQ(text(rs->GetCollect(static_cast<short>(0))), L"3");
  EXPECT_EQ(text(rs->GetCollect(0)), L"3") << "the literal 0 is the first field";
  EXPECT_EQ(text(rs->GetCollect(_bstr_t(L"DRIVEMODE"))), L"直联");
  for (const _variant_t& missing : {_variant_t(L"Bigmodell"), _variant_t(6L), _variant_t(-1L)}) {
    EXPECT_EQ(errorOf([&] { rs->GetCollect(missing); }), adoError(adErrItemNotFound));
  }
}

TEST_F(Recordset, FieldsCollectionWalksColumnsInTableOrder) {
  _RecordsetPtr rs = open(conn, L"SELECT * FROM 4-72_Parameter WHERE ModelID LIKE '2'");
  FieldsPtr fields = rs->GetFields();
  const std::vector<fangen::Column> expected = fangen::parameterColumns(fangen::TableStyle::Point);
  ASSERT_EQ(fields->GetCount(), static_cast<long>(expected.size()))
      << "the rowid kept for writing is not a field";
  for (long i = 0; i < fields->GetCount(); ++i) {
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(fields->GetItem(i)->GetName())),
              adotest::wide(expected[static_cast<std::size_t>(i)].name));
  }
  FieldPtr flux = fields->GetItem(L"flux");
  EXPECT_EQ(text(flux->GetValue()), L"8024");
  EXPECT_EQ(errorOf([&] { fields->GetItem(L"Nope"); }), adoError(adErrItemNotFound));
  rs->Close();
  EXPECT_EQ(errorOf([&] { flux->GetValue(); }), adoError(adErrObjectClosed));
}

// (Moving back, bookmarks and counts are left out: the programs only move forward.)
TEST_F(Recordset, MovingStopsAtBothEnds) {
  _RecordsetPtr none = open(conn, L"SELECT * FROM Model WHERE BigModel LIKE 'none'");
  EXPECT_TRUE(none->GetBOF());
  EXPECT_TRUE(none->GetadoEOF());
  for (const auto& step :
       std::vector<std::function<void()>>{[&] { none->GetCollect(L"ID"); },
                                          [&] { none->MoveNext(); }, [&] { none->MoveFirst(); }}) {
    EXPECT_EQ(errorOf(step), adoError(adErrNoCurrentRecord));
  }

  _RecordsetPtr two = open(conn, L"SELECT * FROM Model WHERE BigModel LIKE '4-72'");
  EXPECT_FALSE(two->GetBOF());
  two->MoveNext();
  EXPECT_FALSE(two->GetadoEOF());
  two->MoveNext();
  EXPECT_TRUE(two->GetadoEOF());
  EXPECT_FALSE(two->GetBOF());
  EXPECT_EQ(errorOf([&] { two->MoveNext(); }), adoError(adErrNoCurrentRecord));
  two->MoveFirst();
  EXPECT_EQ(text(two->GetCollect(L"ID")), L"1");

  _RecordsetPtr rs = open(conn, L"select * from Model");
  rs->Move(3);
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"4");
  rs->Move(1);
  EXPECT_TRUE(rs->GetadoEOF()) << "moving past the last row stops at EOF";
}

// A write is converted to the column's type when it is staged; a value that
// does not convert raises at once, and nothing of an edit dropped with the
// recordset is stored.
TEST_F(Recordset, WritesAreConvertedToTheColumnTypeOrRefused) {
  const Rows before = readRows(path, "SELECT * FROM Model ORDER BY rowid");
  _RecordsetPtr kept = open(conn, L"select * from Model where ID like 1");
  kept->PutCollect(L"LabelModel", L"changed");
  EXPECT_EQ(errorOf([&] { kept->PutCollect(L"ID", L"abc"); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(errorOf([&] { kept->PutCollect(L"Speed", L"99999999999"); }), DISP_E_OVERFLOW);
  EXPECT_EQ(errorOf([&] { kept->PutCollect(L"FanNo", L""); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(text(kept->GetCollect(L"ID")), L"1");
  kept->Close();  // drops the staged label as well
  EXPECT_EQ(readRows(path, "SELECT * FROM Model ORDER BY rowid"), before);

  _RecordsetPtr rs = open(conn, L"select * from Model where ID like 2");
  rs->PutCollect(L"Speed", L"1600");
  rs->PutCollect(L"FanNo", L" 5.6 ");
  rs->PutCollect(L"LabelModel", 7L);
  EXPECT_EQ(rs->GetCollect(L"Speed").vt, VT_I4) << "the staged value is already converted";
  rs->Update(vtMissing, vtMissing);
  rs->Close();
  EXPECT_EQ(readRows(path,
                     "SELECT Speed, typeof(Speed), FanNo, typeof(FanNo), LabelModel, "
                     "typeof(LabelModel) FROM Model WHERE ID = 2")[0],
            (std::vector<std::string>{"1600", "integer", "5.6", "real", "7", "text"}));

  _RecordsetPtr flags = open(conn, L"SELECT * FROM Flags");
  flags->PutCollect(L"Ok", L"False");
  flags->PutCollect(L"Note", _variant_t());
  flags->MoveNext();  // moving away stores the edit, as the original objects do
  flags->PutCollect(L"Ok", 5L);
  EXPECT_EQ(errorOf([&] { flags->PutCollect(L"Ok", L"maybe"); }), DISP_E_TYPEMISMATCH);
  flags->Update();
  EXPECT_EQ(readRows(path, "SELECT Ok, Note FROM Flags ORDER BY rowid", true),
            (Rows{{"0", "<null>"}, {"1", "text"}}));
}

TEST_F(Recordset, AddedAndDeletedRowsKeepTheTablesNumbers) {
  _RecordsetPtr added = open(conn, L"select * from 4-72_Parameter where ModelID like 1");
  added->AddNew(vtMissing, vtMissing);
  EXPECT_EQ(added->GetCollect(L"Flux").vt, VT_NULL);
  added->PutCollect(L"ModelID", 1L);
  added->PutCollect(L"Flux", 5000.0);
  added->Update();
  EXPECT_EQ(text(added->GetCollect(L"ID")), L"4") << "the row is read back with its number";
  EXPECT_EQ(text(added->GetCollect(L"AllPress")), L"<null>");
  added->Close();

  _RecordsetPtr rs = open(conn, L"select * from 4-72_Parameter where ModelID like 1");
  rs->Move(1, vtMissing);
  rs->Delete(adAffectCurrent);
  EXPECT_EQ(errorOf([&] { rs->GetCollect(L"ID"); }), adoError(adErrNoCurrentRecord))
      << "the deleted row stays current until the move";
  rs->MoveNext();
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"4");
  rs->MoveFirst();
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"1");
  rs->MoveNext();
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"4") << "the deleted row is skipped";
  rs->Close();
  EXPECT_EQ(readRows(path, "SELECT ID, ModelID, Flux FROM \"4-72_Parameter\" ORDER BY rowid"),
            (Rows{{"1", "1", "4012.0"}, {"2", "2", "8024.0"}, {"4", "1", "5000.0"}}));
}

TEST_F(Recordset, WritesThatCannotBeMadeAreRefused) {
  _RecordsetPtr counted = open(conn, L"SELECT count(*) AS n FROM Model");
  EXPECT_EQ(text(counted->GetCollect(L"n")), L"4");
  EXPECT_EQ(errorOf([&] { counted->PutCollect(L"n", 1L); }), adoError(adErrFeatureNotAvailable));
  EXPECT_EQ(errorOf([&] { counted->Delete(adAffectCurrent); }), adoError(adErrFeatureNotAvailable));

  _RecordsetPtr rs = open(conn, L"select * from Model where ID like 3");
  conn->Execute(L"delete * from Model where ID like 3", nullptr, -1);
  rs->PutCollect(L"Speed", 960L);
  EXPECT_EQ(errorOf([&] { rs->Update(); }), E_FAIL) << "the row was removed behind it";
  EXPECT_EQ(testsupport::countRows(path, "Model"), 3);
}

TEST_F(Recordset, OpenNeedsAConnectionAndItsCloseClosesTheRecordset) {
  _RecordsetPtr rs;
  rs.CreateInstance(L"ADODB.Recordset");
  _ConnectionPtr none;
  EXPECT_EQ(errorOf([&] {
              rs->Open(L"SELECT * FROM Model", _variant_t(static_cast<IDispatch*>(none), true),
                       adOpenDynamic, adLockOptimistic, adCmdText);
            }),
            adoError(adErrInvalidConnection));
  EXPECT_EQ(errorOf([&] { rs->Open(_variant_t(3L), conn, adOpenDynamic, adLockOptimistic, 1); }),
            adoError(adErrInvalidArgument));

  _RecordsetPtr open1 = open(conn, L"select * from Model");
  conn->Close();
  EXPECT_EQ(open1->GetState(), adStateClosed);
  EXPECT_EQ(errorOf([&] { open1->GetCollect(L"ID"); }), adoError(adErrObjectClosed));
  EXPECT_EQ(errorOf([&] { open1->Close(); }), S_OK) << "closing it is still allowed";
  EXPECT_EQ(errorOf([&] { open1->Close(); }), adoError(adErrObjectClosed));
}

}  // namespace
