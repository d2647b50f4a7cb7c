// The host program run on scripts: exit statuses, what goes to standard
// error, and the order of what applications hear in a whole session.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "cad/acdb.h"
#include "editor_fixture.h"
#include "host.h"
#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;

class Host : public apptest::HostFixture {
 protected:
  Host() : HostFixture("fancad_host_test_") {}

  // Runs the host on a script; returns its exit status.
  int run(const std::string& script, fancad::HostOptions o = {},
          const std::string& program = "/nonexistent/fancad") {
    const fs::path file = dir / "test.scr";
    std::ofstream(file) << script;
    if (o.script.empty()) o.script = file.string();
    return fancad::runHost(o, program, err);
  }

  static fancad::HostOptions withModule(const std::string& module) {
    fancad::HostOptions o;
    o.module = module;
    return o;
  }

  std::vector<std::string> moduleCalls() const {
    std::vector<std::string> calls;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("testmodule: ", 0) == 0) calls.push_back(line.substr(12));
    }
    return calls;
  }
};

TEST_F(Host, DialogAndMessageLinesAtTheCommandPromptStopTheScript) {
  EXPECT_EQ(run("NEW\n; a comment\ndlg click 1008\nQUIT\n", withModule(APP_TESTMODULE)), 1);
  EXPECT_EQ(err.str(), "line 3: dlg click 1008: no dialog is open\n");
  err.str("");
  EXPECT_EQ(run("msg ok\n", withModule(APP_TESTMODULE)), 1);
  EXPECT_EQ(err.str(), "line 1: msg ok: no message box is open\n");
}

TEST_F(Host, AWholeSessionInTheOrderAHostDrivesIt) {
  EXPECT_EQ(run("TESTHELLO\nQUIT\nTESTHELLO\n", withModule(APP_TESTMODULE)), 0);
  EXPECT_EQ(moduleCalls(), (std::vector<std::string>{
                               "DllMain 1 instance", "acrxGetApiVersion", "acrxEntryPoint 1",
                               "acrxEntryPoint 3", "HELLO", "acrxEntryPoint 8", "acrxEntryPoint 4",
                               "acrxEntryPoint 2", "DllMain 0 instance"}))
      << "QUIT ends the session before the last line";
  EXPECT_TRUE(err.str().empty()) << err.str();
  EXPECT_NE(out.str().find("Command: TESTHELLO\n"), std::string::npos) << "script lines echo";
}

TEST_F(Host, TheEndOfTheScriptEndsTheSessionLikeQuit) {
  EXPECT_EQ(run("TESTHELLO\n", withModule(APP_TESTMODULE)), 0);
  const auto calls = moduleCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[calls.size() - 3], "acrxEntryPoint 4");
  EXPECT_EQ(calls.back(), "DllMain 0 instance");
}

TEST_F(Host, AppLoadRunAppUnloadThenTheCommandIsUnknown) {
  EXPECT_EQ(run(std::string("APPLOAD ") + APP_TESTMODULE +
                    "\nTESTHELLO\nAPPUNLOAD app_testmodule\nTESTHELLO\n",
                {}),
            0);
  const std::string o = out.str();
  const auto hello = o.find("testmodule: HELLO");
  const auto unknown = o.find("Unknown command \"TESTHELLO\".");
  ASSERT_NE(hello, std::string::npos);
  ASSERT_NE(unknown, std::string::npos);
  EXPECT_LT(hello, unknown);
}

TEST_F(Host, ADrawingThatDoesNotExistYetIsCreatedOnSave) {
  fancad::HostOptions o = withModule(APP_TESTMODULE);
  const fs::path plan = dir / "plan.dxf";
  o.drawing = plan.string();
  EXPECT_EQ(run("SAVE\n", o), 0) << err.str();
  ASSERT_TRUE(fs::exists(plan));
  const auto calls = moduleCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "acrxEntryPoint 9"), calls.end())
      << "applications hear of the save";
  AcDbDatabase back(false, true);
  EXPECT_EQ(back.readDwgFile(plan.wstring().c_str()), Acad::eOk);
}

TEST_F(Host, OpenAndSaveAsRefuseFilesTheyCannotUse) {
  EXPECT_EQ(run("OPEN " + (dir / "missing.dxf").string() + "\n", withModule(APP_TESTMODULE)), 1);
  EXPECT_NE(err.str().find("no such file"), std::string::npos) << err.str();
  err.str("");
  EXPECT_EQ(
      run("SAVEAS " + (dir / "no/such/folder/x.dxf").string() + "\n", withModule(APP_TESTMODULE)),
      1);
  EXPECT_NE(err.str().find("line 1: SAVEAS"), std::string::npos) << err.str();
}

TEST_F(Host, ModulesThatCannotBeLoaded) {
  EXPECT_EQ(run("QUIT\n", withModule(APP_TESTMODULE_R16)), 2) << "an explicit module must load";
  EXPECT_NE(err.str().find("API release 16"), std::string::npos) << err.str();
  err.str("");
  EXPECT_EQ(run("QUIT\n"), 0) << "the default module may be missing";
  EXPECT_NE(err.str().find("warning: the module /nonexistent/libzrfan.so is not there"),
            std::string::npos)
      << err.str();
}

TEST_F(Host, CommandLineProblemsExitWithTwo) {
  fancad::HostOptions gui;
  gui.mode = fancad::HostOptions::Mode::Gui;
  if (!fancad::desktopModeBuilt()) {
    EXPECT_EQ(fancad::runHost(gui, "/nonexistent/fancad", err), 2);
    EXPECT_NE(err.str().find("no desktop mode"), std::string::npos);
  }
  fancad::HostOptions missing;
  missing.script = (dir / "none.scr").string();
  EXPECT_EQ(fancad::runHost(missing, "/nonexistent/fancad", err), 2);
  EXPECT_NE(err.str().find("cannot read script"), std::string::npos);
}

}  // namespace
