// Documents: the working database, the messages applications get about
// drawings, and the resource-handle stack.
#include "base/module_instance.h"
#include "drawing_builder.h"
#include "editor_fixture.h"

namespace {

std::vector<std::string> entryPointCalls(const std::string& out) {
  std::vector<std::string> calls;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("testmodule: acrxEntryPoint ", 0) == 0) calls.push_back(line.substr(27));
  }
  return calls;
}

class Documents : public EditorTest {
 protected:
  void SetUp() override { input(""); }
  void TearDown() override {
    AcRxDynamicLinker::instance()->unloadAll();
    acDocManagerPtr()->closeDocument();
    EditorTest::TearDown();
  }
};

TEST_F(Documents, TheCurrentDocumentsDatabaseIsTheWorkingDatabase) {
  AcDbDatabase* first = apptest::newCurrentDrawing();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(acDocManagerPtr()->curDocument()->database(), first);
  EXPECT_EQ(acDocManagerPtr()->mdiActiveDocument(), acDocManagerPtr()->curDocument());
  EXPECT_STREQ(acDocManagerPtr()->curDocument()->docTitle(), L"Drawing1.dwg");
  AcDbDatabase* second = apptest::newCurrentDrawing();
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), second);
  acDocManagerPtr()->closeDocument();
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
  EXPECT_EQ(acDocManagerPtr()->documentCount(), 0);
}

TEST_F(Documents, ApplicationsHearOfDrawingsOpenedAndClosed) {
  apptest::newCurrentDrawing();
  ASSERT_TRUE(AcRxDynamicLinker::instance()->loadModule(L"" APP_TESTMODULE, false));
  // Loaded with a drawing open: initialised, then told of that drawing.
  EXPECT_EQ(entryPointCalls(m_out.str()), (std::vector<std::string>{"1", "3"}));
  m_out.str("");
  apptest::newCurrentDrawing();
  EXPECT_EQ(entryPointCalls(m_out.str()), (std::vector<std::string>{"4", "3"}));
  m_out.str("");
  acDocManagerPtr()->closeDocument();
  EXPECT_EQ(entryPointCalls(m_out.str()), std::vector<std::string>{"4"});
}

TEST_F(Documents, FileNamesAndTitles) {
  AcApDocument doc(new AcDbDatabase(true, false), L"/tmp/plans/4-72No4.5A.dwg");
  EXPECT_STREQ(doc.fileName(), L"/tmp/plans/4-72No4.5A.dwg");
  EXPECT_STREQ(doc.docTitle(), L"4-72No4.5A.dwg");
}

TEST(ResourceHandles, PushSetsThePushedHandleAndPopRestoresTheOneBefore) {
  const HINSTANCE host = zrbase::instanceFromTable(nullptr, "host");
  const HINSTANCE module = zrbase::instanceFromTable(nullptr, "module");
  const HINSTANCE other = zrbase::instanceFromTable(nullptr, "other");
  AfxSetResourceHandle(host);
  AcApDocManager* dm = acDocManagerPtr();
  dm->pushResourceHandle(module);
  EXPECT_EQ(AfxGetResourceHandle(), module);
  dm->pushResourceHandle(other);
  EXPECT_EQ(AfxGetResourceHandle(), other);
  dm->popResourceHandle();
  EXPECT_EQ(AfxGetResourceHandle(), module);
  dm->popResourceHandle();
  EXPECT_EQ(AfxGetResourceHandle(), host);
  dm->popResourceHandle();  // more pops than pushes change nothing
  EXPECT_EQ(AfxGetResourceHandle(), host);
  EXPECT_EQ(dm->resourceHandleDepth(), 0u);
  for (HINSTANCE h : {host, module, other}) zrbase::releaseInstance(h);
}

}  // namespace
