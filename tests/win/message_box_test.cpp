// Message boxes in console mode: the MSGBOX line, "msg" answers, the default
// button when the next line is something else, and bad answers in a script.
#include "win/message_box.h"
#include "recording_ui_service.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/console_input.h"

namespace {

struct ConsoleFixture : ::testing::Test {
  std::ostringstream out;
  std::istringstream in;
  std::unique_ptr<zrbase::StreamInput> input;
  winplat::ConsoleUiService console;

  void feed(const std::string& text) {
    in.str(text);
    input = std::make_unique<zrbase::StreamInput>(in, true);
    zrbase::setCurrentInput(input.get());
    zrbase::setConsoleOut(&out);
    winplat::setUiService(&console);
  }
  void TearDown() override {
    zrbase::setCurrentInput(nullptr);
    zrbase::setConsoleOut(nullptr);
    winplat::setUiService(nullptr);
  }
};

}  // namespace

TEST_F(ConsoleFixture, PrintsTheBoxAsOneJsonLine) {
  feed("msg ok\n");
  EXPECT_EQ(AfxMessageBox(L"数据库/x/ZRFan.Mdb不存在!"), IDOK);
  EXPECT_EQ(out.str(),
            "MSGBOX {\"caption\":\"fancad\",\"text\":\"数据库/x/ZRFan.Mdb不存在!\",\"buttons\":"
            "\"OK\",\"icon\":\"NONE\"}\n");
  EXPECT_FALSE(input->peek().has_value());
}

TEST_F(ConsoleFixture, AnswersComeFromMsgLines) {
  feed("msg no\n; a comment\nmsg cancel\nmsg yes\n");
  EXPECT_EQ(MessageBox(nullptr, L"确认删除该图形吗?", L"提示", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_NE(out.str().find("\"buttons\":\"YESNO\",\"icon\":\"QUESTION\""), std::string::npos);
  EXPECT_EQ(AfxMessageBox(L"q", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_THROW(AfxMessageBox(L"q", MB_OKCANCEL | MB_ICONEXCLAMATION), zrbase::ScriptAbort)
      << "a msg yes line does not fit an OK/Cancel box";
}

TEST_F(ConsoleFixture, OtherLinesStayUnreadAndTheFirstButtonIsTaken) {
  feed("dlg dump\n");
  EXPECT_EQ(AfxMessageBox(L"x", MB_YESNO), IDYES);
  ASSERT_TRUE(input->peek().has_value());
  EXPECT_EQ(*input->peek(), "dlg dump");
}

TEST_F(ConsoleFixture, AnAnswerTheBoxDoesNotHaveStopsTheScript) {
  feed("\n\nmsg yes\n");
  input->peek();
  input->consume();
  input->peek();
  input->consume();
  try {
    AfxMessageBox(L"x", MB_OK);
    FAIL() << "expected ScriptAbort";
  } catch (const zrbase::ScriptAbort& e) {
    EXPECT_EQ(e.line(), 3);
    EXPECT_EQ(e.text(), "msg yes");
    EXPECT_NE(e.reason().find("no button 'yes'"), std::string::npos);
  }
}

TEST(RecordingUiService, RecordsEveryBoxAndAnswersFromItsQueue) {
  testsupport::RecordingUiService rec;
  winplat::ScopedUiService scope(rec);
  rec.answer(IDNO);
  EXPECT_EQ(MessageBox(nullptr, L"a", L"提示", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBox(nullptr, L"b", L"提示", MB_YESNO), IDYES);
  ASSERT_EQ(rec.boxes().size(), 2u);
  EXPECT_EQ(rec.boxes()[1].text, L"b");
  EXPECT_EQ(rec.boxes()[1].caption, L"提示");
}
