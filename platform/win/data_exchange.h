// Dialog data exchange: the DDX_ functions that move values between a
// dialog's members and its controls, in either direction.
//
// To the controls (m_bSaveAndValidate FALSE) a value is shown; from the
// controls (TRUE) the control's text is read and checked. A text that is not
// a number, read into a number, shows the framework's prompt ("请输入一个数字。"
// for a floating-point value, "请输入一个整数。" for an integer) and fails the
// exchange: Fail() throws CUserException, UpdateData returns FALSE and no later
// member is read. Numbers are shown as the framework shows them: doubles with
// "%.15g" (101325, 20, 1131, 990, 0.1), floats with "%.6g", integers in decimal.
#pragma once

#include "base/cstring.h"
#include "wnd.h"

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

  BOOL m_bSaveAndValidate;   // TRUE: from the controls to the members
  CWnd* m_pDlgWnd;           // the dialog (or window) whose controls take part
  UINT m_idLastControl = 0;  // the control being exchanged, for Fail
  BOOL m_bEditLastControl = FALSE;

  // The control nIDC of the dialog; a missing control is a bug in the calling
  // code and throws std::logic_error naming the dialog and the id.
  HWND PrepareCtrl(int nIDC);
  HWND PrepareEditCtrl(int nIDC);
  // Ends a failed exchange: focus to the last control, then throws
  // CUserException (by pointer, as the framework does).
  [[noreturn]] void Fail();
};

// Binds rControl to control nIDC the first time (the object must not be
// attached yet); later exchanges do nothing. Any CWnd-derived object can be
// bound, custom controls of other libraries too.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);

// value: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// The radio group that starts at nIDC (a radio button, normally with
// WS_GROUP; the group runs to the next control with WS_GROUP): to the
// controls, the value-th radio button of the group is checked and the others
// unchecked (-1: none checked); from them, the index of the checked one, -1
// when none is.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);

// Combo boxes. DDX_CBString, to the control: selects the first item that
// starts with the text (ignoring case); when none does, the text goes into the
// edit field (a drop-down list ignores it). From the control: its window text.
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
// As DDX_CBString but the item must match the whole text (ignoring case).
void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value);
// The index of the selected item (-1: none).
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);

// Validation after a DDX_Text, as the framework's DDV_ functions: out of range
// shows the framework's prompt and fails the exchange.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
