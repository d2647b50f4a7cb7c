// A test fixture that feeds the editor lines from a string and captures what
// it prints.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "base/console_input.h"
#include "base/cstring.h"
#include "cad/aced.h"
#include "cad/runtime/editor_input_stack.h"

class EditorTest : public ::testing::Test {
 protected:
  void TearDown() override {
    zrbase::setCurrentInput(nullptr);
    zrbase::setConsoleOut(nullptr);
    cadrt::EditorInput::instance().setEchoLines(false);
  }

  // The lines the editor reads next; script says whether they come from a
  // script (a wrong answer stops it) or a keyboard (a wrong answer is asked
  // again).
  void input(const std::string& text, bool script = true) {
    m_in = std::make_unique<std::istringstream>(text);
    m_source = std::make_unique<zrbase::StreamInput>(*m_in, script);
    zrbase::setCurrentInput(m_source.get());
    zrbase::setConsoleOut(&m_out);
    cadrt::resetOutputState();
  }

  std::string output() const { return m_out.str(); }
  // The next line the input would give (nullopt at its end).
  std::optional<std::string> pending() { return m_source->peek(); }

  std::ostringstream m_out;

 private:
  std::unique_ptr<std::istringstream> m_in;
  std::unique_ptr<zrbase::StreamInput> m_source;
};
