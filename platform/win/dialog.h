// CDialog: dialogs built from a template of the current resource module, run
// modally (DoModal) or created modeless (Create).
//
// Life of a modal run: the template is found by id (AfxGetResourceHandle's
// table, then the chain of CDynLinkLibrary modules); the dialog window and its
// controls are created; OnInitDialog runs (the base version adds the combo
// boxes' initial items and runs UpdateData(FALSE)); then the mode's UI service
// runs the modal loop (winplat::UiService::runModal) until EndDialog; then
// WM_DESTROY is sent, the windows are destroyed and every control object bound
// to them is detached; DoModal returns the code given to EndDialog. A template
// that cannot be found shows a message box and DoModal returns -1.
//
// Button 1 (IDOK) and IDCANCEL reach OnOK and OnCancel through CDialog's own
// message map, so a derived class's map can take them first.
#pragma once

#include <vector>

#include "wnd.h"

namespace winplat {
struct DialogTemplate;
}

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
 public:
  CDialog();
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  virtual INT_PTR DoModal();
  // Creates the dialog modeless from template nIDTemplate (OnInitDialog runs);
  // FALSE when the template cannot be found. DestroyWindow ends it.
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

  // Overridables. The base OnInitDialog adds the combo boxes' initial items
  // and shows the members (UpdateData(FALSE)); it returns TRUE.
  virtual BOOL OnInitDialog();
  // Saves and checks the data (UpdateData(TRUE)) and ends with IDOK only
  // when that succeeded; otherwise the dialog stays up.
  virtual void OnOK();
  // Ends with IDCANCEL; nothing is saved.
  virtual void OnCancel();

  // Ends the modal run with nResult (hides the dialog; the loop returns).
  void EndDialog(int nResult);
  void GotoDlgCtrl(CWnd* pWndCtrl);
  void SetDefID(UINT nID) { m_nDefID = nID; }
  DWORD GetDefID() const { return m_nDefID; }

  // State of the modal run.
  bool IsModalRunning() const { return m_modalRunning; }
  bool IsDialogEnded() const { return m_ended; }
  int GetModalResult() const { return m_nModalResult; }
  UINT GetTemplateID() const { return m_nIDTemplate; }
  // The template the dialog window was built from, while the window exists.
  const winplat::DialogTemplate* GetDialogTemplate() const { return m_pTemplate; }

  UINT m_nIDHelp = 0;
  CWnd* m_pParentWnd = nullptr;

 protected:
  // The template this dialog is built from; null when it cannot be found.
  // CAcUiDialog looks in its own resource module first.
  virtual const winplat::DialogTemplate* FindTemplate() const;
  // Creates the window and controls from the template (no OnInitDialog).
  bool CreateFromTemplate(const winplat::DialogTemplate& tmpl, CWnd* pParentWnd);

  UINT m_nIDTemplate = 0;
  int m_nModalResult = -1;
  UINT m_nDefID = 1;                                     // IDOK
  const winplat::DialogTemplate* m_pTemplate = nullptr;  // while the window exists

  DECLARE_MESSAGE_MAP()

 private:
  bool m_modalRunning = false;
  bool m_ended = false;
  void AddInitialItems();
  void FocusFirstControl();
  void ShowTemplateError() const;
};

namespace winplat {

// The modal dialogs running now, the top (innermost) one last.
const std::vector<CDialog*>& modalDialogs();

}  // namespace winplat
