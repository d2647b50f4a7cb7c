// The output tee.
#include "gui/output_tee.h"

namespace zrgui {

OutputTee::OutputTee(std::ostream& through, std::function<void(const QString&)> text)
    : m_through(through), m_text(std::move(text)) {}

OutputTee::~OutputTee() = default;

int OutputTee::overflow(int c) {
  if (c == traits_type::eof()) return traits_type::not_eof(c);
  const char ch = static_cast<char>(c);
  xsputn(&ch, 1);
  return c;
}

std::streamsize OutputTee::xsputn(const char* s, std::streamsize n) {
  m_through.write(s, n);
  m_pending.append(s, static_cast<std::size_t>(n));
  // Whole lines go at once; a line's multi-byte characters are never split.
  const auto nl = m_pending.rfind('\n');
  if (nl != std::string::npos && m_text) {
    m_text(QString::fromUtf8(m_pending.data(), static_cast<qsizetype>(nl + 1)));
    m_pending.erase(0, nl + 1);
  }
  return n;
}

int OutputTee::sync() {
  m_through.flush();
  flushToWindow();
  return 0;
}

void OutputTee::flushToWindow() {
  if (m_pending.empty() || !m_text) return;
  m_text(QString::fromUtf8(m_pending.data(), static_cast<qsizetype>(m_pending.size())));
  m_pending.clear();
}

}  // namespace zrgui
