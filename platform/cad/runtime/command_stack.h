// The command stack (registry key "ACAD_REGISTERED_COMMANDS"): the commands
// that applications register, in named groups.
//
// Names are matched without regard to case. A group holds each global name
// once; the same name may live in several groups, and a look-up finds the one
// of the group registered last, as the host searches its groups newest first.
// The stack owns its AcEdCommand records; a pointer to one stays valid until
// its command or group is removed.
#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "base/windef.h"
#include "cad/adsdef.h"
#include "cad/runtime/rx_dictionary.h"

// Command flags.
constexpr Adesk::Int32 ACRX_CMD_MODAL = 0x00000000;
constexpr Adesk::Int32 ACRX_CMD_TRANSPARENT = 0x00000001;
constexpr Adesk::Int32 ACRX_CMD_USEPICKSET = 0x00000002;
constexpr Adesk::Int32 ACRX_CMD_REDRAW = 0x00000004;
constexpr Adesk::Int32 ACRX_CMD_NOPERSPECTIVE = 0x00000008;
constexpr Adesk::Int32 ACRX_CMD_NOMULTIPLE = 0x00000010;
constexpr Adesk::Int32 ACRX_CMD_NOTILEMODE = 0x00000020;
constexpr Adesk::Int32 ACRX_CMD_NOPAPERSPACE = 0x00000040;
constexpr Adesk::Int32 ACRX_CMD_UNDEFINED = 0x00000200;
constexpr Adesk::Int32 ACRX_CMD_INPROGRESS = 0x00000400;
constexpr Adesk::Int32 ACRX_CMD_DEFUN = 0x00000800;
constexpr Adesk::Int32 ACRX_CMD_NOINTERNALLOCK = 0x00001000;
constexpr Adesk::Int32 ACRX_CMD_DOCREADLOCK = 0x00080000;
constexpr Adesk::Int32 ACRX_CMD_DOCEXCLUSIVELOCK = 0x00100000;
constexpr Adesk::Int32 ACRX_CMD_SESSION = 0x00200000;
constexpr Adesk::Int32 ACRX_CMD_INTERRUPTIBLE = 0x00400000;

// A command handler: no arguments, no result.
using AcRxFunctionPtr = void (*)();

// The context menu of a command. Nothing here uses it; it is accepted and kept.
class AcEdUIContext : public AcRxObject {};

class AcEdCommand : public AcRxObject {
 public:
  ZRCAD_DECLARE_MEMBERS(AcEdCommand)

  const ACHAR* groupName() const { return m_group.c_str(); }
  const ACHAR* globalName() const { return m_global.c_str(); }
  const ACHAR* localName() const { return m_local.c_str(); }
  Adesk::Int32 commandFlags() const { return m_flags; }
  AcRxFunctionPtr functionAddr() const { return m_handler; }
  AcEdUIContext* UIContext() const { return m_context; }
  int functionCode() const { return m_fcode; }
  HINSTANCE resourceHandle() const { return m_resource; }
  // The application that registered the command (its id in the dynamic
  // linker), or null when the host registered it.
  void* commandApp() const { return m_app; }

 private:
  friend class AcEdCommandStack;
  std::wstring m_group, m_global, m_local;
  Adesk::Int32 m_flags = 0;
  AcRxFunctionPtr m_handler = nullptr;
  AcEdUIContext* m_context = nullptr;
  int m_fcode = -1;
  HINSTANCE m_resource = nullptr;
  void* m_app = nullptr;
};

class AcEdCommandStack : public AcRxObject {
 public:
  ZRCAD_DECLARE_MEMBERS(AcEdCommandStack)

  // The one stack of the process (what the registry holds).
  static AcEdCommandStack* instance();

  // eOk; eInvalidInput for a missing name or handler or a name with blanks;
  // eDuplicateKey when the group already has that global or local name.
  Acad::ErrorStatus addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName,
                               const ACHAR* cmdLocalName, Adesk::Int32 commandFlags,
                               AcRxFunctionPtr functionAddr, AcEdUIContext* UIContext = nullptr,
                               int fcode = -1, HINSTANCE hResourceHandle = nullptr,
                               AcEdCommand** cmdPtr = nullptr);

  AcEdCommand* lookupGlobalCmd(const ACHAR* cmdName) const;
  AcEdCommand* lookupLocalCmd(const ACHAR* cmdName) const;
  // By global name (globalFlag) or local name, in every group.
  AcEdCommand* lookupCmd(const ACHAR* cmdName, bool globalFlag, bool allGroups = true,
                         bool skipUndefed = false) const;
  // By either name: what the command line does with a typed name. Global names
  // are tried first, then local names.
  AcEdCommand* lookup(const ACHAR* cmdName) const;

  // eOk, or eKeyNotFound when there is no such group or command.
  Acad::ErrorStatus removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName);
  Acad::ErrorStatus removeGroup(const ACHAR* groupName);

  // Removes every command that the application registered; returns how many.
  int removeCommandsOfApp(void* appId);
  // "GROUP.GLOBAL" for each command, newest group first (listings and tests).
  std::vector<std::wstring> commandNames() const;

 private:
  struct Group {
    std::wstring name;  // as registered
    std::vector<std::unique_ptr<AcEdCommand>> commands;
  };
  std::list<Group> m_groups;  // newest first
};

// The command stack, as the host's headers offer it.
#define acedRegCmds AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK))
