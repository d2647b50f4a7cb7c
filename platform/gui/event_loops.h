// The nested event loops of the desktop mode, and exceptions that must not
// cross Qt's event dispatch.
//
// The module and the host run synchronously: a handler that opens a dialog or
// asks for a point returns only when the user has answered. In desktop mode
// such a call waits in a nested Qt event loop (waitUntil) while the user
// works; the answers arrive as Qt events. Whatever changes what a loop waits
// for calls wakeWaiters(), and every waiting loop looks at its condition
// again.
//
// Qt must not see exceptions. Code run from a Qt event that throws (a handler
// that fails, a script that stops) hands its exception to deferException;
// the waiting loops wake, and the innermost waitUntil rethrows it into the
// synchronous code that waited, where console mode would have seen it.
#pragma once

#include <exception>
#include <functional>

namespace zrgui {

// Runs the event loop until done() holds. Rethrows an exception deferred
// before or while it waits.
void waitUntil(const std::function<bool()>& done);
void wakeWaiters();
// How many waitUntil calls are running.
int waitDepth();

void deferException(std::exception_ptr e);
// Rethrows and forgets the exception deferred, if any.
void rethrowDeferred();
bool hasDeferred();

// Runs fn for a Qt event: an exception is deferred instead of thrown; then
// the posted window messages are dispatched, the mirrors brought up to date,
// the refresh hook run and the waiting loops woken.
void runUserAction(const std::function<void()>& fn);
// What else shows the state that user actions change (the host window sets
// its refresh: a fan placed from a dialog appears in the drawing while the
// dialog is up again).
void setRefreshHook(std::function<void()> fn);

}  // namespace zrgui
