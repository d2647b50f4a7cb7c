// The host program run on scripts: exit statuses, what goes to standard error, the order
// of what applications hear in a whole session, and what the host does when a command
// fails, when its script cannot be read, and with file names a person would not type: a
// script stops with status 1 and the command's reason, a person at the keyboard is told
// and goes on.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/console_input.h"
#include "base/file_functions.h"
#include "cad/acdb.h"
#include "command_loop.h"
#include "drawing_commands.h"
#include "editor_fixture.h"
#include "host.h"
#include "host_commands.h"

namespace {

namespace fs = std::filesystem;

const char* const kProgram = "/nonexistent/fancad";

// A fresh folder per test; the console's output collected in out, the host's error
// stream in err.
class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("fancad_host_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    zrbase::setConsoleOut(&out);
    cadrt::resetOutputState();
  }
  void TearDown() override {
    zrbase::setConsoleOut(nullptr);
    fs::remove_all(dir);
  }

  std::string path(const std::string& name) const { return (dir / name).string(); }

  // Runs the host on a script, with the test module unless o names another; returns its
  // exit status, with out and err holding only what this run wrote.
  int run(const std::string& script, const std::string& drawing = "",
          fancad::HostOptions o = withModule(APP_TESTMODULE)) {
    std::ofstream(path("test.scr")) << script;
    if (o.script.empty()) o.script = path("test.scr");
    o.drawing = drawing;
    out.str("");
    err.str("");
    return fancad::runHost(o, kProgram, err);
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

  fs::path dir;
  std::ostringstream out, err;
};

TEST_F(Host, DialogAndMessageLinesAtTheCommandPromptStopTheScript) {
  EXPECT_EQ(run("NEW\n; a comment\ndlg click 1008\nQUIT\n"), 1);
  EXPECT_EQ(err.str(), "line 3: dlg click 1008: no dialog is open\n");
  EXPECT_EQ(run("msg ok\n"), 1);
  EXPECT_EQ(err.str(), "line 1: msg ok: no message box is open\n");
}

TEST_F(Host, AWholeSessionInTheOrderAHostDrivesIt) {
  const std::vector<std::string> load = {"DllMain 1 instance", "acrxGetApiVersion",
                                         "acrxEntryPoint 1", "acrxEntryPoint 3"};
  const std::vector<std::string> unload = {"acrxEntryPoint 2", "DllMain 0 instance"};
  auto calls = [](std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  EXPECT_EQ(run("TESTHELLO\nQUIT\nTESTHELLO\n"), 0);
  EXPECT_EQ(moduleCalls(), calls({load, {"HELLO", "acrxEntryPoint 8", "acrxEntryPoint 4"}, unload}))
      << "QUIT ends the session before the last line";
  EXPECT_TRUE(err.str().empty()) << err.str();
  EXPECT_NE(out.str().find("Command: TESTHELLO\n"), std::string::npos) << "script lines echo";

  // Unloaded, the command is unknown; loaded again, it runs; the end of the script ends
  // the session like QUIT.
  EXPECT_EQ(run(std::string("TESTHELLO\nAPPUNLOAD app_testmodule\nTESTHELLO\nAPPLOAD ") +
                APP_TESTMODULE + "\nTESTHELLO\n"),
            0)
      << err.str();
  EXPECT_EQ(moduleCalls(), calls({load,
                                  {"HELLO"},
                                  unload,
                                  load,
                                  {"HELLO", "acrxEntryPoint 8", "acrxEntryPoint 4"},
                                  unload}));
  EXPECT_NE(out.str().find("Unknown command \"TESTHELLO\"."), std::string::npos);
}

TEST_F(Host, ADrawingThatDoesNotExistYetIsCreatedOnSave) {
  EXPECT_EQ(run("SAVE\n", path("plan.dxf")), 0) << err.str();
  ASSERT_TRUE(fs::exists(path("plan.dxf")));
  const auto calls = moduleCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "acrxEntryPoint 9"), calls.end())
      << "applications hear of the save";
  AcDbDatabase back(false, true);
  EXPECT_EQ(back.readDwgFile(fs::path(path("plan.dxf")).wstring().c_str()), Acad::eOk);
}

TEST_F(Host, ModulesThatCannotBeLoaded) {
  EXPECT_EQ(run("QUIT\n", "", withModule(APP_TESTMODULE_R16)), 2) << "an explicit module must load";
  EXPECT_NE(err.str().find("API release 16"), std::string::npos) << err.str();
  EXPECT_EQ(run("QUIT\n", "", {}), 0) << "the default module may be missing";
  EXPECT_NE(err.str().find("warning: the module /nonexistent/libzrfan.so is not there"),
            std::string::npos)
      << err.str();
}

TEST_F(Host, CommandLineProblemsExitWithTwo) {
  fancad::HostOptions gui;
  gui.mode = fancad::HostOptions::Mode::Gui;
  if (!fancad::desktopModeBuilt()) {
    EXPECT_EQ(fancad::runHost(gui, kProgram, err), 2);
    EXPECT_NE(err.str().find("no desktop mode"), std::string::npos);
  }
  // A script that is a folder is refused as a missing one is.
  for (const auto& [script, reason] : {std::pair{dir.string(), "Is a directory"},
                                       std::pair{path("none.scr"), "No such file or directory"}}) {
    fancad::HostOptions o;
    o.script = script;
    err.str("");
    EXPECT_EQ(fancad::runHost(o, kProgram, err), 2);
    EXPECT_EQ(err.str(), "fancad: cannot read script '" + script + "': " + reason + "\n");
  }
}

TEST_F(Host, ACommandThatFailsStopsTheScriptWithItsReason) {
  const std::string missing = path("no/such/folder/x.dxf");
  EXPECT_EQ(run("SAVE\nTESTHELLO\n", missing), 1);
  EXPECT_EQ(err.str(),
            "line 1: SAVE: cannot save drawing '" + missing + "': No such file or directory\n");
  EXPECT_EQ(out.str().find("testmodule: HELLO"), std::string::npos) << "nothing after it runs";

  const std::string notAModule = path("notes.txt");
  std::ofstream(notAModule) << "plain text";
  EXPECT_EQ(run("APPLOAD " + notAModule + "\n"), 1);
  EXPECT_NE(err.str().find("line 1: APPLOAD " + notAModule + ": Cannot load application"),
            std::string::npos)
      << err.str();
  EXPECT_EQ(run("APPUNLOAD nothing_loaded\n"), 1);
  EXPECT_EQ(err.str(),
            "line 1: APPUNLOAD nothing_loaded: Application \"nothing_loaded\" is not loaded.\n");
  // A FIFO is not offered to the loader, which would wait on it for good.
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0644), 0);
  EXPECT_EQ(run("APPLOAD " + path("pipe") + "\n"), 1);
  EXPECT_NE(err.str().find("not a module file"), std::string::npos) << err.str();
  // A drawing that cannot become a block is refused with the reason.
  {
    AcDbDatabase drawing;
    ASSERT_EQ(drawing.saveAs(zrbase::pathFromBytes(path("a|b.dxf")).c_str()), Acad::eOk);
  }
  EXPECT_EQ(run("INSERT " + path("a|b") + "\n0,0\n\n\n"), 1);
  EXPECT_EQ(err.str(), "line 1: INSERT " + path("a|b") +
                           ": cannot define block 'a|b': 'a|b' is not a valid name: names cannot "
                           "hold '|'\n");
  // An exception escaping a module command stops the script too.
  EXPECT_EQ(run("TESTTHROW\nTESTHELLO\n"), 1);
  EXPECT_EQ(err.str(),
            "line 1: TESTTHROW: Error in command TESTTHROW: the catalogue has no column 'FanNo'\n");
  EXPECT_EQ(out.str().find("testmodule: HELLO"), std::string::npos);

  // An unknown command is not a failure of the script: it is reported and the host goes on.
  EXPECT_EQ(run("NOSUCHCOMMAND\nTESTHELLO\n"), 0) << err.str();
  EXPECT_NE(out.str().find("testmodule: HELLO"), std::string::npos);
}

// Names are bytes. (Long names: save_target_test; names that differ only in a byte that is not
// UTF-8: utf8_test.)
TEST_F(Host, ADrawingNamedInGbkOnTheCommandLineIsOpenedAndSavedUnderItsName) {
  const std::string gbk = path("\xb7\xe7\xbb\xfa.dxf");
  EXPECT_EQ(run("SAVEAS " + path("\xfe.dxf") + "\nSAVEAS " + gbk + "\n"), 0) << err.str();
  // Back-dated: file times move in clock ticks of some milliseconds, and the save may come
  // within the tick of the first.
  const auto before = fs::last_write_time(gbk) - std::chrono::hours(1);
  fs::last_write_time(gbk, before);
  EXPECT_EQ(run("INSERT " + path("\xfe") + " 0,0 1 0\nSAVE\n", gbk), 0) << err.str();
  EXPECT_NE(fs::last_write_time(gbk), before);
  AcDbDatabase back(false);
  ASSERT_EQ(back.readDwgFile(zrbase::pathFromBytes(gbk).c_str()), Acad::eOk);
  AcDbBlockTable* blocks = nullptr;
  ASSERT_EQ(back.getBlockTable(blocks), Acad::eOk);
  EXPECT_TRUE(blocks->has(L"\uFFFD")) << "the block takes the name as text";
  blocks->close();
}

class KeyboardFailures : public EditorTest {
 protected:
  void SetUp() override { fancad::registerHostCommands(loop); }
  void TearDown() override {
    acDocManagerPtr()->closeDocument();
    EditorTest::TearDown();
  }
  fancad::CommandLoop loop;
};

TEST_F(KeyboardFailures, AFailedCommandIsReportedAndTheUserGoesOn) {
  const std::string missing = "/nonexistent/folder/x.dxf";
  fancad::newDrawing(zrbase::pathFromBytes(missing));
  input("SAVE\nLIST ALL\n", false);
  EXPECT_NO_THROW(loop.run());
  const std::string o = output();
  EXPECT_NE(o.find("cannot save drawing '" + missing + "'"), std::string::npos) << o;
  EXPECT_NE(o.find("The drawing has no entity."), std::string::npos) << "LIST ran after it";
}

}  // namespace
