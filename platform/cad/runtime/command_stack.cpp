// The command stack.
#include "cad/runtime/command_stack.h"

#include <algorithm>
#include <cwctype>

#include "base/text_case.h"
#include "cad/runtime/dynamic_linker.h"

ZRCAD_DEFINE_MEMBERS(AcEdCommand, AcRxObject, "")
ZRCAD_DEFINE_MEMBERS(AcEdCommandStack, AcRxObject, "")

namespace {

bool sameName(const std::wstring& a, const ACHAR* b) {
  if (!b) return false;
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (zrbase::foldCase(static_cast<char32_t>(a[i])) !=
        zrbase::foldCase(static_cast<char32_t>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == 0;
}

bool validName(const ACHAR* name) {
  if (!name || !*name) return false;
  for (const ACHAR* p = name; *p; ++p) {
    if (std::iswspace(static_cast<wint_t>(*p))) return false;
  }
  return true;
}

}  // namespace

AcEdCommandStack* AcEdCommandStack::instance() {
  static AcEdCommandStack stack;
  return &stack;
}

Acad::ErrorStatus AcEdCommandStack::addCommand(const ACHAR* cmdGroupName,
                                               const ACHAR* cmdGlobalName,
                                               const ACHAR* cmdLocalName, Adesk::Int32 commandFlags,
                                               AcRxFunctionPtr functionAddr,
                                               AcEdUIContext* UIContext, int fcode,
                                               HINSTANCE hResourceHandle, AcEdCommand** cmdPtr) {
  if (cmdPtr) *cmdPtr = nullptr;
  if (!validName(cmdGroupName) || !validName(cmdGlobalName) || !functionAddr) {
    return Acad::eInvalidInput;
  }
  const ACHAR* local = validName(cmdLocalName) ? cmdLocalName : cmdGlobalName;
  auto group = std::find_if(m_groups.begin(), m_groups.end(),
                            [&](const Group& g) { return sameName(g.name, cmdGroupName); });
  if (group == m_groups.end()) {
    m_groups.push_front(Group{cmdGroupName, {}});
    group = m_groups.begin();
  }
  for (const auto& c : group->commands) {
    if (sameName(c->m_global, cmdGlobalName) || sameName(c->m_local, local)) {
      return Acad::eDuplicateKey;
    }
  }
  auto cmd = std::make_unique<AcEdCommand>();
  cmd->m_group = group->name;
  cmd->m_global = cmdGlobalName;
  cmd->m_local = local;
  cmd->m_flags = commandFlags;
  cmd->m_handler = functionAddr;
  cmd->m_context = UIContext;
  cmd->m_fcode = fcode;
  cmd->m_resource = hResourceHandle;
  cmd->m_app = AcRxDynamicLinker::instance()->currentAppId();
  if (cmdPtr) *cmdPtr = cmd.get();
  group->commands.push_back(std::move(cmd));
  return Acad::eOk;
}

AcEdCommand* AcEdCommandStack::lookupCmd(const ACHAR* cmdName, bool globalFlag, bool /*allGroups*/,
                                         bool /*skipUndefed*/) const {
  for (const Group& g : m_groups) {
    for (const auto& c : g.commands) {
      if (sameName(globalFlag ? c->m_global : c->m_local, cmdName)) return c.get();
    }
  }
  return nullptr;
}

AcEdCommand* AcEdCommandStack::lookupGlobalCmd(const ACHAR* cmdName) const {
  return lookupCmd(cmdName, true);
}

AcEdCommand* AcEdCommandStack::lookupLocalCmd(const ACHAR* cmdName) const {
  return lookupCmd(cmdName, false);
}

AcEdCommand* AcEdCommandStack::lookup(const ACHAR* cmdName) const {
  if (AcEdCommand* c = lookupGlobalCmd(cmdName)) return c;
  return lookupLocalCmd(cmdName);
}

Acad::ErrorStatus AcEdCommandStack::removeCmd(const ACHAR* cmdGroupName,
                                              const ACHAR* cmdGlobalName) {
  for (Group& g : m_groups) {
    if (!sameName(g.name, cmdGroupName)) continue;
    auto& cmds = g.commands;
    const auto it = std::find_if(cmds.begin(), cmds.end(), [&](const auto& c) {
      return sameName(c->m_global, cmdGlobalName);
    });
    if (it == cmds.end()) return Acad::eKeyNotFound;
    cmds.erase(it);
    return Acad::eOk;
  }
  return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcEdCommandStack::removeGroup(const ACHAR* groupName) {
  const auto it = std::find_if(m_groups.begin(), m_groups.end(),
                               [&](const Group& g) { return sameName(g.name, groupName); });
  if (it == m_groups.end()) return Acad::eKeyNotFound;
  m_groups.erase(it);
  return Acad::eOk;
}

int AcEdCommandStack::removeCommandsOfApp(void* appId) {
  int removed = 0;
  for (Group& g : m_groups) {
    const auto before = g.commands.size();
    std::erase_if(g.commands, [appId](const auto& c) { return c->m_app == appId; });
    removed += static_cast<int>(before - g.commands.size());
  }
  std::erase_if(m_groups, [](const Group& g) { return g.commands.empty(); });
  return removed;
}

std::vector<std::wstring> AcEdCommandStack::commandNames() const {
  std::vector<std::wstring> names;
  for (const Group& g : m_groups) {
    for (const auto& c : g.commands) names.push_back(g.name + L"." + c->m_global);
  }
  return names;
}
