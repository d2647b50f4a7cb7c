// The CAD host's dialog classes over CDialog: CAdUiBaseDialog, CAdUiDialog and
// CAcUiDialog, with the editor-command protocol through which a dialog steps
// aside while the user works in the drawing.
//
// BeginEditorCommand hides the dialog (its controls with it) so the editor's
// prompts can run; in console mode they read the next input lines. The dialog
// stays in its modal run. CompleteEditorCommand shows it again (when asked to
// restore), CancelEditorCommand too. While the editor has the input, no "dlg"
// line is read for the dialog.
#pragma once

#include "dialog.h"

class CAdUiBaseDialog : public CDialog {
  DECLARE_DYNAMIC(CAdUiBaseDialog)
 public:
  // hDialogResource: the module whose resources hold the template; null for
  // the current resource module.
  explicit CAdUiBaseDialog(UINT idd, CWnd* pParent = nullptr, HINSTANCE hDialogResource = nullptr);

  BOOL OnInitDialog() override;
  HINSTANCE GetDialogResource() const { return m_hDialogResource; }
  void SetDialogName(LPCTSTR name) { m_dialogName = name; }
  CString GetDialogName() const { return m_dialogName; }

 protected:
  const winplat::DialogTemplate* FindTemplate() const override;

  DECLARE_MESSAGE_MAP()

 private:
  HINSTANCE m_hDialogResource;
  CString m_dialogName;
};

class CAdUiDialog : public CAdUiBaseDialog {
  DECLARE_DYNAMIC(CAdUiDialog)
 public:
  explicit CAdUiDialog(UINT idd, CWnd* pParent = nullptr, HINSTANCE hDialogResource = nullptr);

  // Hides the dialog and hands the input to the editor. Returns TRUE.
  BOOL BeginEditorCommand();
  // Shows the dialog again when restoreDialogs is TRUE.
  void CompleteEditorCommand(BOOL restoreDialogs = TRUE);
  // The editor command was cancelled: the dialog is shown again.
  void CancelEditorCommand();
  // True between BeginEditorCommand and its completion or cancellation.
  bool IsEditorCommandActive() const { return m_editorCommand; }

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  bool m_editorCommand = false;
};

class CAcUiDialog : public CAdUiDialog {
  DECLARE_DYNAMIC(CAcUiDialog)
 public:
  explicit CAcUiDialog(UINT idd, CWnd* pParent = nullptr, HINSTANCE hDialogResource = nullptr);

 protected:
  DECLARE_MESSAGE_MAP()
};

// Initialises the host's dialog library for the calling module; may be
// called more than once.
void InitAcUiDLL();

namespace winplat {
// Times InitAcUiDLL was called.
int acUiInitCount();
}  // namespace winplat
