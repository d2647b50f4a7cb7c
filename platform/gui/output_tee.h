// Where the editor's output goes in desktop mode: to standard output, as in
// console mode (scripts print the same transcript in both modes), and to the
// host window's command line.
#pragma once

#include <QString>
#include <functional>
#include <ostream>
#include <streambuf>
#include <string>

namespace zrgui {

class OutputTee : public std::streambuf {
 public:
  // text: receives the output in pieces (whole lines, and on flush the rest).
  OutputTee(std::ostream& through, std::function<void(const QString&)> text);
  ~OutputTee() override;
  // Hands what is buffered to the window (a prompt has no newline yet).
  void flushToWindow();

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::ostream& m_through;
  std::function<void(const QString&)> m_text;
  std::string m_pending;  // UTF-8 not yet handed to the window
};

}  // namespace zrgui
