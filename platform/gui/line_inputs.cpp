// Line inputs of the desktop mode.
#include "gui/line_inputs.h"

#include <QCoreApplication>

#include "gui/event_loops.h"
#include "gui/mirror_registry.h"

namespace zrgui {

std::optional<std::string> WindowInput::peek() {
  rethrowDeferred();
  if (!m_lines.empty()) return m_lines.front();
  if (m_ended) return std::nullopt;
  MirrorRegistry::instance().syncAll();
  // Waiting already while the window gets ready: it shows the prompt as one.
  m_waiting = true;
  try {
    if (m_beforeWait) m_beforeWait();
    waitUntil([this] { return !m_lines.empty() || m_ended; });
  } catch (...) {
    m_waiting = false;
    throw;
  }
  m_waiting = false;
  if (m_lines.empty()) return std::nullopt;
  return m_lines.front();
}

void WindowInput::consume() {
  if (m_lines.empty()) return;
  m_lines.pop_front();
  ++m_consumed;
}

void WindowInput::submit(const std::string& line) {
  m_lines.push_back(line);
  wakeWaiters();
}

void WindowInput::end() {
  m_ended = true;
  wakeWaiters();
}

std::optional<std::string> ScriptInput::peek() {
  MirrorRegistry::instance().syncAll();
  if (m_beforeLine) m_beforeLine();
  QCoreApplication::processEvents();
  rethrowDeferred();
  return m_script.peek();
}

}  // namespace zrgui
