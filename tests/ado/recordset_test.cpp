// Recordsets: reading fields as the driver types them, moving, and writing rows back.
#include <gtest/gtest.h>

#include "ado/ado_errors.h"
#include "ado_fixture.h"
#include "base/utf8.h"

namespace {

using adotest::column;
using adotest::open;
using adotest::text;
using testsupport::readRows;

using adotest::errorOf;

using RecordsetRead = adotest::CatalogueFixture;

TEST_F(RecordsetRead, ValuesComeTypedAsTheirColumns) {
  _RecordsetPtr rs = open(conn, L"SELECT * FROM Model");
  EXPECT_EQ(rs->GetCollect(L"ID").vt, VT_I4);
  EXPECT_EQ(rs->GetCollect(L"FanNo").vt, VT_R8);
  EXPECT_EQ(text(rs->GetCollect(L"FanNo")), L"4") << "a double 4.0 reads as \"4\"";
  EXPECT_EQ(static_cast<short>(rs->GetCollect(L"Speed")), 2900);
  EXPECT_EQ(text(rs->GetCollect(L"LabelModel")), L"4-72No4A");
  rs->MoveNext();
  EXPECT_EQ(text(rs->GetCollect(L"FanNo")), L"4.5");
  EXPECT_EQ(rs->GetCollect(L"LabelModel").vt, VT_NULL);
  rs->MoveNext();
  EXPECT_EQ(text(rs->GetCollect(L"DriveMode")), L"直联");
  rs->MoveNext();
  EXPECT_EQ(rs->GetCollect(L"BigModel").vt, VT_NULL);

  _RecordsetPtr flags = open(conn, L"SELECT * FROM Flags");
  EXPECT_EQ(flags->GetCollect(L"Ok").vt, VT_BOOL);
  EXPECT_TRUE(static_cast<bool>(flags->GetCollect(L"Ok")));
  EXPECT_EQ(flags->GetCollect(L"Big").vt, VT_I8);
  EXPECT_EQ(text(flags->GetCollect(L"Big")), L"5000000000");
  EXPECT_EQ(text(flags->GetCollect(L"Note")), L"2.5");
  EXPECT_EQ(errorOf([&] { (void)static_cast<short>(flags->GetCollect(L"Count")); }),
            DISP_E_OVERFLOW)
      << "40000 is beyond a 16-bit integer";
  flags->MoveNext();
  EXPECT_FALSE(static_cast<bool>(flags->GetCollect(L"Ok")));
  EXPECT_EQ(text(flags->GetCollect(L"Note")), L"text");
}

TEST_F(RecordsetRead, FieldsByNameInAnyCaseOrByPosition) {
  _RecordsetPtr rs = open(conn, L"SELECT * FROM Model WHERE ID like 3");
  EXPECT_EQ(text(rs->GetCollect(L"bigmodel")), L"9-19");
  EXPECT_EQ(text(rs->GetCollect("BIGMODEL")), L"9-19");
  EXPECT_EQ(text(rs->GetCollect(1L)), L"9-19");
  EXPECT_EQ(text(rs->GetCollect(static_cast<short>(0))), L"3");
  EXPECT_EQ(text(rs->GetCollect(0)), L"3") << "the literal 0 is the first field";
  EXPECT_EQ(text(rs->GetCollect(CString(L"DriveMode"))), L"直联");
  EXPECT_EQ(text(rs->GetCollect(_bstr_t(L"DRIVEMODE"))), L"直联");
  EXPECT_EQ(errorOf([&] { rs->GetCollect(L"Bigmodell"); }), adoError(adErrItemNotFound));
  EXPECT_EQ(errorOf([&] { rs->GetCollect(6L); }), adoError(adErrItemNotFound));
  EXPECT_EQ(errorOf([&] { rs->GetCollect(-1L); }), adoError(adErrItemNotFound));
}

TEST_F(RecordsetRead, FieldsCollectionWalksColumnsInTableOrder) {
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
  EXPECT_EQ(flux->GetType(), adDouble);
  EXPECT_EQ(text(flux->GetValue()), L"8024");
  EXPECT_EQ(fields->GetItem(L"MotorModel")->GetType(), adVarWChar);
  EXPECT_EQ(fields->GetItem(L"ModelID")->GetType(), adInteger);
  EXPECT_EQ(errorOf([&] { fields->GetItem(L"Nope"); }), adoError(adErrItemNotFound));
  rs->Close();
  EXPECT_EQ(errorOf([&] { flux->GetValue(); }), adoError(adErrObjectClosed));
}

// A host that knows only std::exception learns which field is missing; the description a
// dialog shows is the system's text alone.
TEST_F(RecordsetRead, AMissingFieldIsNamedByWhatButNotInTheDescription) {
  _RecordsetPtr rs = open(conn, L"SELECT * FROM Model");
  const auto caught =
      [](const std::function<void()>& action) -> std::pair<std::string, std::wstring> {
    try {
      action();
    } catch (const _com_error& e) {
      return {e.what(), static_cast<const wchar_t*>(e.Description())};
    }
    return {};
  };
  const std::wstring system = adoimpl::adoErrorText(adErrItemNotFound);
  const auto [byName, description] = caught([&] { rs->GetCollect(L"FanNumber"); });
  EXPECT_EQ(byName, zrbase::wideToUtf8(system) + " (field 'FanNumber')");
  EXPECT_EQ(description, system);
  EXPECT_EQ(caught([&] { rs->GetCollect(40L); }).first,
            zrbase::wideToUtf8(system) + " (field 40 of " +
                std::to_string(rs->GetFields()->GetCount()) + ")");
}

using RecordsetMove = adotest::CatalogueFixture;

TEST_F(RecordsetMove, EmptyResultIsAtBothEnds) {
  _RecordsetPtr rs = open(conn, L"SELECT * FROM Model WHERE BigModel LIKE 'none'");
  EXPECT_TRUE(rs->GetBOF());
  EXPECT_TRUE(rs->GetadoEOF());
  EXPECT_EQ(errorOf([&] { rs->GetCollect(L"ID"); }), adoError(adErrNoCurrentRecord));
  EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), adoError(adErrNoCurrentRecord));
  EXPECT_EQ(errorOf([&] { rs->MoveFirst(); }), adoError(adErrNoCurrentRecord));
}

TEST_F(RecordsetMove, MoveNextPastLastRowSetsEof) {
  _RecordsetPtr rs = open(conn, L"SELECT * FROM Model WHERE BigModel LIKE '4-72'");
  EXPECT_FALSE(rs->GetBOF());
  rs->MoveNext();
  EXPECT_FALSE(rs->GetadoEOF());
  rs->MoveNext();
  EXPECT_TRUE(rs->GetadoEOF());
  EXPECT_FALSE(rs->GetBOF());
  EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), adoError(adErrNoCurrentRecord));
  rs->MoveFirst();
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"1");
  rs->MovePrevious();
  EXPECT_TRUE(rs->GetBOF());
  rs->MoveLast();
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"2");
}

TEST_F(RecordsetMove, MoveNMinusOneFromTheFirstRowReachesTheNthRow) {
  const auto ids = readRows(path, "SELECT ID FROM Model ORDER BY rowid", true);
  for (std::size_t n = 1; n <= ids.size(); ++n) {
    _RecordsetPtr rs = open(conn, L"select * from Model");
    rs->Move(static_cast<long>(n - 1), vtMissing);
    EXPECT_EQ(text(rs->GetCollect(L"ID")), adotest::wide(ids[n - 1][0])) << n;
  }
  _RecordsetPtr rs = open(conn, L"select * from Model");
  rs->Move(static_cast<long>(ids.size()));
  EXPECT_TRUE(rs->GetadoEOF()) << "moving past the last row stops at EOF";
  rs->Move(-1);
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"4");
  rs->Move(1, _variant_t(static_cast<long>(adBookmarkFirst)));
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"2");
  rs->Move(-10);
  EXPECT_TRUE(rs->GetBOF());
  EXPECT_EQ(errorOf([&] { rs->Move(-1); }), adoError(adErrNoCurrentRecord));
}

TEST_F(RecordsetMove, RecordCountDependsOnTheCursor) {
  _RecordsetPtr dynamic = open(conn, L"SELECT * FROM Model");
  EXPECT_EQ(dynamic->GetRecordCount(), -1);
  _RecordsetPtr rs;
  rs.CreateInstance(L"ADODB.Recordset");
  rs->Open(L"SELECT * FROM Model", conn, adOpenStatic, adLockOptimistic, adCmdText);
  EXPECT_EQ(rs->GetRecordCount(), 4);
  rs->Delete(adAffectCurrent);
  EXPECT_EQ(rs->GetRecordCount(), 3);
}

using RecordsetWrite = adotest::CatalogueFixture;

TEST_F(RecordsetWrite, PutCollectConvertsToTheColumnTypeAndUpdateStoresIt) {
  _RecordsetPtr rs = open(conn, L"select * from Model where ID like 2");
  rs->PutCollect(L"Speed", L"1600");
  rs->PutCollect(L"FanNo", L" 5.6 ");
  rs->PutCollect(L"LabelModel", 7L);
  EXPECT_EQ(rs->GetEditMode(), adEditInProgress);
  EXPECT_EQ(rs->GetCollect(L"Speed").vt, VT_I4) << "the staged value is already converted";
  rs->Update(vtMissing, vtMissing);
  rs->Close();
  const auto row =
      readRows(path,
               "SELECT Speed, typeof(Speed), FanNo, typeof(FanNo), LabelModel, typeof(LabelModel) "
               "FROM Model WHERE ID = 2");
  EXPECT_EQ(row[0], (std::vector<std::string>{"1600", "integer", "5.6", "real", "7", "text"}));
}

TEST_F(RecordsetWrite, UnconvertibleValueRaisesAndNothingIsStored) {
  const auto before = readRows(path, "SELECT * FROM Model ORDER BY rowid");
  _RecordsetPtr rs = open(conn, L"select * from Model where ID like 1");
  rs->PutCollect(L"LabelModel", L"changed");
  EXPECT_EQ(errorOf([&] { rs->PutCollect(L"ID", L"abc"); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(errorOf([&] { rs->PutCollect(L"Speed", L"99999999999"); }), DISP_E_OVERFLOW);
  EXPECT_EQ(errorOf([&] { rs->PutCollect(L"FanNo", L""); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"1");
  rs->Close();  // drops the staged label as well: nothing of the edit is stored
  EXPECT_EQ(readRows(path, "SELECT * FROM Model ORDER BY rowid"), before);
}

TEST_F(RecordsetWrite, BooleanAndNullWrites) {
  _RecordsetPtr rs = open(conn, L"SELECT * FROM Flags");
  rs->PutCollect(L"Ok", L"False");
  rs->PutCollect(L"Note", _variant_t());
  rs->MoveNext();  // moving away stores the edit, as the original objects do
  rs->PutCollect(L"Ok", 5L);
  EXPECT_EQ(errorOf([&] { rs->PutCollect(L"Ok", L"maybe"); }), DISP_E_TYPEMISMATCH);
  rs->Update();
  EXPECT_EQ(readRows(path, "SELECT Ok, Note FROM Flags ORDER BY rowid", true),
            (std::vector<std::vector<std::string>>{{"0", "<null>"}, {"1", "text"}}));
}

TEST_F(RecordsetWrite, CancelUpdateDropsTheEdit) {
  _RecordsetPtr rs = open(conn, L"select * from Model where ID like 1");
  rs->PutCollect(L"BigModel", L"gone");
  rs->CancelUpdate();
  EXPECT_EQ(text(rs->GetCollect(L"BigModel")), L"4-72");
  rs->MoveNext();
  EXPECT_EQ(readRows(path, "SELECT BigModel FROM Model WHERE ID = 1")[0][0], "4-72");
}

TEST_F(RecordsetWrite, AddNewAppendsWithTheTablesAutomaticNumber) {
  _RecordsetPtr rs = open(conn, L"select * from 4-72_Parameter where ModelID like 1");
  rs->AddNew(vtMissing, vtMissing);
  EXPECT_EQ(rs->GetCollect(L"Flux").vt, VT_NULL);
  rs->PutCollect(L"ModelID", 1L);
  rs->PutCollect(L"Flux", 5000.0);
  rs->Update();
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"4") << "the row is read back with its number";
  EXPECT_EQ(text(rs->GetCollect(L"AllPress")), L"<null>");
  rs->Close();
  EXPECT_EQ(
      readRows(path, "SELECT ID, ModelID, Flux FROM \"4-72_Parameter\" ORDER BY rowid").back(),
      (std::vector<std::string>{"4", "1", "5000.0"}));
}

TEST_F(RecordsetWrite, DeletedRowStaysCurrentUntilTheMove) {
  _RecordsetPtr rs = open(conn, L"select * from 4-72_Parameter where ModelID like 1");
  rs->Move(1, vtMissing);
  rs->Delete(adAffectCurrent);
  EXPECT_EQ(errorOf([&] { rs->GetCollect(L"ID"); }), adoError(adErrNoCurrentRecord));
  rs->MoveNext();
  EXPECT_TRUE(rs->GetadoEOF());
  rs->MoveFirst();
  EXPECT_EQ(text(rs->GetCollect(L"ID")), L"1");
  rs->MoveNext();
  EXPECT_TRUE(rs->GetadoEOF()) << "the deleted row is skipped";
  EXPECT_EQ(readRows(path, "SELECT ID FROM \"4-72_Parameter\" ORDER BY rowid"),
            (std::vector<std::vector<std::string>>{{"1"}, {"2"}}));
}

TEST_F(RecordsetWrite, RowsComeInInsertionOrderAfterDeletesAndInserts) {
  conn->Execute(L"delete * from Model where ID like 2", nullptr, -1);
  conn->Execute(L"insert into Model (ID, BigModel) values(2, '4-72')", nullptr, -1);
  _RecordsetPtr rs = open(conn, L"Select * from Model");
  rs->AddNew(vtMissing, vtMissing);
  rs->PutCollect(L"ID", 5L);
  rs->Update(vtMissing, vtMissing);
  rs->Close();
  conn->Execute(L"delete * from Model where ID like 5", nullptr, -1);
  conn->Execute(L"insert into Model (ID) values(6)", nullptr, -1);
  conn->Execute(L"delete * from Model where ID like 1", nullptr, -1);
  EXPECT_EQ(column(open(conn, L"select * from Model"), L"ID"),
            (std::vector<std::wstring>{L"3", L"4", L"2", L"6"}));
  EXPECT_EQ(
      column(open(conn, L"select * from Model where ID like 2 or ID like 6 or ID like 3"), L"ID"),
      (std::vector<std::wstring>{L"3", L"2", L"6"}));
}

TEST_F(RecordsetWrite, ReadOnlyRecordsetsRefuseWrites) {
  _RecordsetPtr counted = open(conn, L"SELECT count(*) AS n FROM Model");
  EXPECT_EQ(text(counted->GetCollect(L"n")), L"4");
  EXPECT_EQ(errorOf([&] { counted->PutCollect(L"n", 1L); }), adoError(adErrFeatureNotAvailable));
  EXPECT_EQ(errorOf([&] { counted->Delete(adAffectCurrent); }), adoError(adErrFeatureNotAvailable));
  _RecordsetPtr locked = open(conn, L"SELECT * FROM Model", adLockReadOnly);
  EXPECT_EQ(errorOf([&] { locked->AddNew(); }), adoError(adErrFeatureNotAvailable));
}

TEST_F(RecordsetWrite, RowRemovedBehindTheRecordsetCannotBeUpdated) {
  _RecordsetPtr rs = open(conn, L"select * from Model where ID like 3");
  conn->Execute(L"delete * from Model where ID like 3", nullptr, -1);
  rs->PutCollect(L"Speed", 960L);
  EXPECT_EQ(errorOf([&] { rs->Update(); }), E_FAIL);
  EXPECT_EQ(testsupport::countRows(path, "Model"), 3);
}

TEST_F(RecordsetWrite, ClosedConnectionClosesItsRecordsets) {
  _RecordsetPtr rs = open(conn, L"select * from Model");
  conn->Close();
  EXPECT_EQ(rs->GetState(), adStateClosed);
  EXPECT_EQ(errorOf([&] { rs->GetCollect(L"ID"); }), adoError(adErrObjectClosed));
  EXPECT_EQ(errorOf([&] { rs->Close(); }), S_OK) << "closing it is still allowed";
  EXPECT_EQ(errorOf([&] { rs->Close(); }), adoError(adErrObjectClosed));
}

TEST_F(RecordsetWrite, OpenNeedsAConnection) {
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
  rs->Open(L"Model", _variant_t(adotest::connectionStringFor(path).c_str()), adOpenStatic,
           adLockReadOnly, adCmdTable);
  EXPECT_EQ(rs->GetRecordCount(), 4);
}

}  // namespace
