// The current user action.
#include "base/user_action.h"

namespace zrbase {

namespace {
UserAction* g_current = nullptr;
unsigned long long g_actions = 0;
}  // namespace

UserAction::UserAction() : m_serial(++g_actions) {}

UserAction::Clock::time_point UserAction::waitDeadline(Clock::duration budget) {
  if (!m_deadline) m_deadline = Clock::now() + budget;
  return *m_deadline;
}

UserAction* currentUserAction() { return g_current; }

UserActionScope::UserActionScope() : m_began(g_current == nullptr) {
  if (m_began) g_current = &m_action;
}

UserActionScope::~UserActionScope() {
  if (m_began) g_current = nullptr;
}

UserInputWait::UserInputWait() : m_suspended(g_current) { g_current = nullptr; }

UserInputWait::~UserInputWait() { g_current = m_suspended; }

}  // namespace zrbase
