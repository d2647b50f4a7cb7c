// Button 205 "修改类型": the model list editor, run on the dialog's catalogue connection.
#include "fandlg/fan_dlg.h"
#include "res/module_resources.h"
#include "styledlg/style_dlg.h"

// The editor's template is this module's: its resources are current for the
// run and the host's come back afterwards, also when the run throws. The
// editor writes every change at once; this dialog reloads nothing, so its
// lists and grids keep what they showed until one of its handlers refills them.
void CFanDlg::OnModifyType() {
  ResourceHandleScope scope(ModuleInstanceHandle());
  CStyleDlg dlg(&m_FanDb, nullptr);
  dlg.DoModal();
}
