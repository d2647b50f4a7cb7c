// The folder and console streams of tests that run the host in-process: a
// fresh folder per test, the console's output collected in out, the host's
// error stream in err.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "base/console_input.h"
#include "editor_fixture.h"

namespace apptest {

class HostFixture : public ::testing::Test {
 protected:
  explicit HostFixture(std::string prefix) : m_prefix(std::move(prefix)) {}
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / (m_prefix + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    zrbase::setConsoleOut(&out);
    cadrt::resetOutputState();
  }
  void TearDown() override {
    zrbase::setConsoleOut(nullptr);
    std::filesystem::remove_all(dir);
  }

  std::string path(const std::string& name) const { return (dir / name).string(); }

  std::filesystem::path dir;
  std::ostringstream out, err;

 private:
  std::string m_prefix;
};

}  // namespace apptest
