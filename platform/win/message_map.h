// Command targets and message maps: the tables that bind a window's messages
// and its controls' notifications to member functions.
//
// A class with a map declares DECLARE_MESSAGE_MAP() and defines the map with
// BEGIN_MESSAGE_MAP(theClass, baseClass) ... END_MESSAGE_MAP(). Dispatch looks
// for an entry in the map of the object's class, then in its base classes'
// maps, and calls the first match. Each entry holds a small function generated
// for its exact class and member, so a handler is always called through a
// member pointer of its own type on an object of its own class (a checked
// static_cast from CCmdTarget): no cast between unrelated function types.
#pragma once

#include <type_traits>

#include "afx_object.h"
#include "winuser.h"

class CCmdTarget;

namespace winplat {

// What a map entry's handler is given.
struct MsgArgs {
  UINT id;  // the command or control id (the WM_COMMAND/WM_NOTIFY id)
  WPARAM wParam;
  LPARAM lParam;    // for WM_NOTIFY: the NMHDR*
  LRESULT* result;  // where WM_NOTIFY handlers write their result
};
using MsgThunk = void (*)(CCmdTarget* target, const MsgArgs& args);

template <class T, auto F>
void callVoid(CCmdTarget* t, const MsgArgs&) {
  (static_cast<T*>(t)->*F)();
}
template <class T, auto F>
void callRange(CCmdTarget* t, const MsgArgs& a) {
  (static_cast<T*>(t)->*F)(a.id);
}
template <class T, auto F>
void callNotify(CCmdTarget* t, const MsgArgs& a) {
  (static_cast<T*>(t)->*F)(reinterpret_cast<NMHDR*>(a.lParam), a.result);
}
template <class T, auto F>
void callNotifyRange(CCmdTarget* t, const MsgArgs& a) {
  (static_cast<T*>(t)->*F)(a.id, reinterpret_cast<NMHDR*>(a.lParam), a.result);
}
template <class T, auto F>
void callMessage(CCmdTarget* t, const MsgArgs& a) {
  *a.result = (static_cast<T*>(t)->*F)(a.wParam, a.lParam);
}

}  // namespace winplat

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_COMMAND, WM_NOTIFY, WM_DESTROY, ...; 0 ends the table
  UINT nCode;     // control notification code (WM_COMMAND, WM_NOTIFY)
  UINT nID;       // first control id
  UINT nLastID;   // last control id (equal to nID but for ranges)
  winplat::MsgThunk pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root of the hierarchy
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// The code of WM_COMMAND messages sent by menus and accelerators, and of the
// command entries (ON_COMMAND) that also take button clicks.
constexpr UINT CN_COMMAND = 0;

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
 public:
  // The first entry for message/code/id in this object's maps, searched from
  // the most derived class to the root; null when there is none.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
  // Calls the handler of the entry found for message/code/id. Returns FALSE
  // when no map has one.
  BOOL DispatchMessageMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam,
                          LRESULT* result);
  // A WM_COMMAND notification (nCode) from control or command nID.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass = theClass;                                                     \
    using TheBaseClass = baseClass;                                                 \
    static_assert(std::is_base_of_v<TheBaseClass, ThisClass>,                       \
                  "BEGIN_MESSAGE_MAP: the base class is not a base of the class");  \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                       \
  { 0, 0, 0, 0, nullptr }                                                                       \
  }                                                                                             \
  ;                                                                                             \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                           \
  }

// Entries. Handlers: void fn() for commands and control notifications,
// void fn(NMHDR*, LRESULT*) for ON_NOTIFY, void fn(UINT id) for ranges,
// LRESULT fn(WPARAM, LPARAM) for ON_MESSAGE.
#define ON_COMMAND(id, memberFxn)                                        \
  {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), static_cast<UINT>(id), \
   &winplat::callVoid<ThisClass, memberFxn>},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                              \
  {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), static_cast<UINT>(idLast), \
   &winplat::callRange<ThisClass, memberFxn>},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                               \
  {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), \
   &winplat::callVoid<ThisClass, memberFxn>},
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn)                                     \
  {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(idLast), \
   &winplat::callRange<ThisClass, memberFxn>},
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                               \
  {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), \
   &winplat::callNotify<ThisClass, memberFxn>},
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn)                                     \
  {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(idLast), \
   &winplat::callNotifyRange<ThisClass, memberFxn>},
#define ON_MESSAGE(message, memberFxn) \
  {static_cast<UINT>(message), 0, 0, 0, &winplat::callMessage<ThisClass, memberFxn>},

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SELENDCANCEL(id, memberFxn) ON_CONTROL(CBN_SELENDCANCEL, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

// Window messages handled by CWnd's On... members of the same name.
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, &winplat::callVoid<ThisClass, &ThisClass::OnDestroy>},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, &winplat::callVoid<ThisClass, &ThisClass::OnClose>},
