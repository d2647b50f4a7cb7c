// The catalogue wrapper: opening the file, running statements, opening recordsets.
#include "db/ado_db.h"

#include <cstdio>
#include <cstdlib>

#include "ado/ado_errors.h"
#include "base/exception.h"
#include "base/file_functions.h"
#include "win/message_box.h"

namespace {

VARIANT MakeMissingArgument() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

struct MissingArgumentCleanup {
  ~MissingArgumentCleanup() { VariantClear(&g_vtMissing); }
};

// The framework's exception message, at most maxChars characters.
CString ExceptionText(CException* e, UINT maxChars) {
  CString text;
  e->GetErrorMessage(text.GetBuffer(static_cast<int>(maxChars)), maxChars + 1);
  text.ReleaseBuffer();
  return text;
}

// What the data layer says about a failure of the catalogue server (the server's address
// and the reason), put on a line of its own below the message; empty for other failures.
CString ServerReason(const _com_error& e) {
  if (e.Source().view() != adoimpl::kServerErrorSource) return CString();
  return CString(L"\n") + CString(e.Description().view());
}

// With FANCAD_TRACE_SQL set, every statement the module runs through the wrapper
// is written to standard error as "SQL <text>", before it runs: the record that
// shows which statements reach the catalogue, and in what order.
void TraceStatement(LPCTSTR lpszSql) {
  static const bool bTrace = std::getenv("FANCAD_TRACE_SQL") != nullptr;
  if (!bTrace) return;
  std::fprintf(stderr, "SQL %s\n", CString(lpszSql).ToUtf8().c_str());
  std::fflush(stderr);
}

}  // namespace

VARIANT g_vtMissing = MakeMissingArgument();
static MissingArgumentCleanup s_missingArgumentCleanup;

CAdoDB::CAdoDB() = default;

CAdoDB::~CAdoDB() { Close(); }

BOOL CAdoDB::Open(LPCTSTR lpszPath) {
  CFileFind finder;
  if (!finder.FindFile(lpszPath)) {
    AfxMessageBox(CString(L"数据库") + lpszPath + L"不存在!", MB_OK);
    return FALSE;
  }
  finder.Close();
  CString strConnect;
  strConnect.Format(L"DRIVER=Microsoft Access Driver (*.mdb);DBQ=%s;UID=sa;PWD=", lpszPath);
  return Connect(strConnect);
}

BOOL CAdoDB::Connect(LPCTSTR lpszConnect) {
  Close();
  if (FAILED(m_pConnection.CreateInstance(L"ADODB.Connection", nullptr, CLSCTX_ALL))) {
    AfxMessageBox(L"创建对象失败!", MB_ICONEXCLAMATION);
    return FALSE;
  }
  try {
    m_pConnection->Open(lpszConnect, L"", L"", adConnectUnspecified);
  } catch (CException* e) {
    AfxMessageBox(CString(L"连接数据库失败!\n") + ExceptionText(e, 255), MB_ICONEXCLAMATION);
    e->Delete();
    m_pConnection = nullptr;
    return FALSE;
  } catch (const _com_error& e) {
    AfxMessageBox(CString(L"连接数据库失败!\n") + lpszConnect + ServerReason(e), MB_OK);
    m_pConnection = nullptr;
    return FALSE;
  } catch (...) {
    AfxMessageBox(CString(L"连接数据库失败!\n") + lpszConnect, MB_OK);
    m_pConnection = nullptr;
    return FALSE;
  }
  return TRUE;
}

BOOL CAdoDB::Close() {
  if (m_pConnection) {
    // Closing a connection the file already lost must not stop the release.
    try {
      if (m_pConnection->GetState() == adStateOpen) m_pConnection->Close();
    } catch (...) {
    }
    m_pConnection = nullptr;
  }
  return TRUE;
}

BOOL CAdoDB::Execute(LPCTSTR lpszSql) {
  TraceStatement(lpszSql);
  try {
    VARIANT recordsAffected;
    VariantInit(&recordsAffected);
    recordsAffected.vt = VT_I4;
    recordsAffected.lVal = 0;
    m_pConnection->Execute(lpszSql, &recordsAffected, adOptionUnspecified);
  } catch (CException* e) {
    AfxMessageBox(ExceptionText(e, 256), MB_OK);
    e->Delete();
    return FALSE;
  } catch (const _com_error& e) {
    AfxMessageBox(CString(L"数据库操作错误!\n") + lpszSql + ServerReason(e), MB_OK);
    return FALSE;
  } catch (...) {
    AfxMessageBox(CString(L"数据库操作错误!\n") + lpszSql, MB_OK);
    return FALSE;
  }
  return TRUE;
}

void CAdoDB::Prefetch(const std::vector<std::wstring>& queries) {
  if (m_pConnection) m_pConnection->Prefetch(queries);
}

_RecordsetPtr CAdoDB::OpenRecordset(LPCTSTR lpszSql) {
  TraceStatement(lpszSql);
  _RecordsetPtr pRecordset;
  try {
    // A failure to create the object shows as the error of the Open call.
    pRecordset.CreateInstance(L"ADODB.Recordset", nullptr, CLSCTX_ALL);
    pRecordset->Open(lpszSql, _variant_t(static_cast<IDispatch*>(m_pConnection), true),
                     adOpenDynamic, adLockOptimistic, adCmdText);
  } catch (CException* e) {
    AfxMessageBox(ExceptionText(e, 256), MB_OK);
    e->Delete();
    return nullptr;
  } catch (const _com_error& e) {
    AfxMessageBox(CString(L"数据库操作错误!\n") + lpszSql + ServerReason(e), MB_OK);
    return nullptr;
  } catch (...) {
    AfxMessageBox(CString(L"数据库操作错误!\n") + lpszSql, MB_OK);
    return nullptr;
  }
  return pRecordset;
}
