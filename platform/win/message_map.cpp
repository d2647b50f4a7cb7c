// Message map search and dispatch.
#include "message_map.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT id) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map;
       map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage != 0; ++e) {
      if (e->nMessage != message) continue;
      if (message == WM_COMMAND || message == WM_NOTIFY) {
        if (e->nCode == code && id >= e->nID && id <= e->nLastID) return e;
      } else {
        return e;
      }
    }
  }
  return nullptr;
}

BOOL CCmdTarget::DispatchMessageMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam,
                                    LRESULT* result) {
  const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, code, id);
  if (!e) return FALSE;
  LRESULT ignored = 0;
  e->pfn(this, winplat::MsgArgs{id, wParam, lParam, result ? result : &ignored});
  return TRUE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* /*pExtra*/, void* /*pHandlerInfo*/) {
  return DispatchMessageMap(WM_COMMAND, static_cast<UINT>(nCode), nID, MAKEWPARAM(nID, nCode), 0,
                            nullptr);
}
