// What the host does when a command fails, when its script cannot be read, and with file
// names a person would not type: a script stops with status 1 and the command's reason, a
// person at the keyboard is told and goes on.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "base/file_functions.h"
#include "cad/acdb.h"
#include "command_loop.h"
#include "drawing_commands.h"
#include "editor_fixture.h"
#include "host.h"
#include "host_commands.h"
#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;

class ScriptFailures : public apptest::HostFixture {
 protected:
  ScriptFailures() : HostFixture("fancad_failures_") {}

  // Runs the host on a script with the test module; returns its exit status.
  int run(const std::string& script, const std::string& drawing = "") {
    const fs::path file = dir / "test.scr";
    std::ofstream(file) << script;
    fancad::HostOptions o;
    o.script = file.string();
    o.module = APP_TESTMODULE;
    o.drawing = drawing;
    err.str("");
    out.str("");
    return fancad::runHost(o, "/nonexistent/fancad", err);
  }
};

TEST_F(ScriptFailures, ACommandThatFailsStopsTheScriptWithItsReason) {
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

  // An unknown command is not a failure of the script: it is reported and the host goes on.
  EXPECT_EQ(run("NOSUCHCOMMAND\nTESTHELLO\n"), 0) << err.str();
  EXPECT_NE(out.str().find("testmodule: HELLO"), std::string::npos);
}

TEST_F(ScriptFailures, ADrawingThatCannotBecomeABlockIsRefusedWithTheReason) {
  const std::string bar = path("a|b.dxf");
  {
    AcDbDatabase drawing;
    ASSERT_EQ(drawing.saveAs(zrbase::pathFromBytes(bar).c_str()), Acad::eOk);
  }
  EXPECT_EQ(run("INSERT " + path("a|b") + "\n0,0\n\n\n"), 1);
  EXPECT_EQ(err.str(), "line 1: INSERT " + path("a|b") +
                           ": cannot define block 'a|b': 'a|b' is not a valid name: names cannot "
                           "hold '|'\n");
}

TEST_F(ScriptFailures, AnExceptionEscapingAModuleCommandStopsTheScript) {
  EXPECT_EQ(run("TESTTHROW\nTESTHELLO\n"), 1);
  EXPECT_EQ(err.str(),
            "line 1: TESTTHROW: Error in command TESTTHROW: the catalogue has no column 'FanNo'\n");
  EXPECT_EQ(out.str().find("testmodule: HELLO"), std::string::npos);
}

TEST_F(ScriptFailures, AScriptThatIsAFolderIsRefusedAsAMissingOneIs) {
  fancad::HostOptions folder;
  folder.script = dir.string();
  EXPECT_EQ(fancad::runHost(folder, "/nonexistent/fancad", err), 2);
  EXPECT_EQ(err.str(), "fancad: cannot read script '" + dir.string() + "': Is a directory\n");
  err.str("");
  fancad::HostOptions missing;
  missing.script = path("none.scr");
  EXPECT_EQ(fancad::runHost(missing, "/nonexistent/fancad", err), 2);
  EXPECT_EQ(err.str(),
            "fancad: cannot read script '" + path("none.scr") + "': No such file or directory\n");
}

TEST_F(ScriptFailures, DrawingsWithLongNamesOrNamesThatAreNotUtf8AreSavedUnderThem) {
  const std::string longName = path(std::string(250, 'n') + ".dxf");  // 254 bytes
  EXPECT_EQ(run("SAVE\nSAVE\n", longName), 0) << err.str();
  EXPECT_TRUE(fs::is_regular_file(longName));
  // Two names that differ only in a byte that is not UTF-8 stay two files.
  EXPECT_EQ(run("SAVEAS " + path("\xff.dxf") + "\nSAVEAS " + path("\xfe.dxf") + "\n"), 0)
      << err.str();
  EXPECT_TRUE(fs::is_regular_file(path("\xff.dxf")));
  EXPECT_TRUE(fs::is_regular_file(path("\xfe.dxf")));
  // A drawing named in GBK on the command line is opened, and saved under its name.
  const std::string gbk = path("\xb7\xe7\xbb\xfa.dxf");
  fs::copy_file(path("\xff.dxf"), gbk);
  // Back-dated: file times move in clock ticks of some milliseconds, and the save may come
  // within the tick of the copy.
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
