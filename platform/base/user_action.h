// User actions: what the user asked for in one go (a command line, one input to a dialog: a
// selection, a click, an edit of a cell), the unit in which the program may keep the user
// waiting on other programs.
//
// Layers that wait on something outside the program (the data layer, on a catalogue that
// another program has locked) take their time from the current action: the first wait
// starts the action's clock, later waits share what is left, and once the budget is spent
// every further wait of the same action gives up at once. One user action that runs twenty
// statements thus waits one budget, not twenty.
//
// The layers that dispatch input open the scopes: the command processor for a command, the
// window layer for a message sent to a window, the console's modal loop for a "dlg" line.
// Scopes nest: one opened while an action runs joins it (a handler that sends messages, a
// command run by acedCommand). While the program waits for the user (a modal dialog's loop,
// an editor prompt) no action runs; the one that was running resumes afterwards. Single
// threaded, as the dialogs and commands are.
#pragma once

#include <chrono>
#include <optional>

namespace zrbase {

class UserAction {
 public:
  using Clock = std::chrono::steady_clock;

  UserAction();
  // When waits of this action must give up: the first call fixes it at now + budget.
  Clock::time_point waitDeadline(Clock::duration budget);
  // Tells this action from every other of the process (never 0), also from one
  // that later lives at the same address.
  unsigned long long serial() const { return m_serial; }

 private:
  std::optional<Clock::time_point> m_deadline;
  unsigned long long m_serial;
};

// The action running now; null while the program waits for the user or runs none.
UserAction* currentUserAction();

// Begins an action for its lifetime, or joins the one running.
class UserActionScope {
 public:
  UserActionScope();
  ~UserActionScope();
  UserActionScope(const UserActionScope&) = delete;
  UserActionScope& operator=(const UserActionScope&) = delete;

 private:
  UserAction m_action;
  bool m_began;
};

// While the program waits for the user: no action runs until the scope ends, then the
// suspended one resumes (with what is left of its budget).
class UserInputWait {
 public:
  UserInputWait();
  ~UserInputWait();
  UserInputWait(const UserInputWait&) = delete;
  UserInputWait& operator=(const UserInputWait&) = delete;

 private:
  UserAction* m_suspended;
};

}  // namespace zrbase
