// The desktop's keys and right-button menu: Space ends answers (a word too)
// but not free text, an empty line repeats the last command, aliases, keys typed over the
// drawing and the history reach the command line, Esc cancels, command names
// complete; object snap with its marker and ortho (F8); the prompt label and
// the history's fixed-width font; the alias file's lines.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QFontMetrics>

#include "command_aliases.h"
#include "desktop_session.h"

namespace {

using guitest::DesktopSession;

QStringList texts(QMenu* menu) {
  QStringList list;
  if (menu) {
    for (QAction* a : menu->actions()) {
      if (!a->isSeparator()) list << a->text();
    }
  }
  delete menu;
  return list;
}

TEST_F(DesktopSession, SpaceEndsAnswersButNotFreeTextAndEnterOnNothingRepeatsTheCommand) {
  guitest::TestDrawing d;
  d.line({0, 0, 0}, {10, 10, 0}, 1);
  open(d);
  window.setAliases({{QStringLiteral("LA"), QStringLiteral("LAYER")}});
  window.setCommandNames({QStringLiteral("LAYER"), QStringLiteral("LIST"), QStringLiteral("QUIT")});
  QLineEdit* edit = window.commandLine()->input();
  QStringList atOption, atCommand, offered;
  QString forwarded;
  at(QStringLiteral("Command:"), [&] { QTest::keyClicks(edit, QStringLiteral("la ")); });
  at(QStringLiteral("Unlock]:"), [&] { QTest::keyClicks(edit, QStringLiteral("m ")); });
  at(QStringLiteral("(becomes the current layer):"), [&] { type(QStringLiteral("Plant Room")); });
  at(QStringLiteral("Unlock]:"), [&] { QTest::keyClick(edit, Qt::Key_Space); });
  at(QStringLiteral("Command:"), [&] {
    // Space with the history focused: the key goes to the command line.
    QTest::keyClick(window.commandLine()->history(), Qt::Key_Space);
  });
  at(QStringLiteral("Unlock]:"), [&] {
    atOption = texts(window.contextMenu());
    QTest::keyClick(window.canvas(), Qt::Key_Escape);
  });
  at(QStringLiteral("Command:"), [&] {
    atCommand = texts(window.contextMenu());
    QTest::keyClicks(window.canvas(), QStringLiteral("l"));
    forwarded = edit->text();
    QAbstractItemView* list = window.commandLine()->completer()->popup();
    for (int r = 0; list->isVisible() && r < list->model()->rowCount(); ++r) {
      offered << list->model()->index(r, 0).data().toString();
    }
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("INSERT "));
  });
  // A prompt that reads a word, with no [options]: Space ends the answer.
  at(QStringLiteral("Enter block name:"),
     [&] { QTest::keyClicks(edit, QStringLiteral("NOSUCH ")); });
  at(QStringLiteral("Enter block name:"), [&] { QTest::keyClick(edit, Qt::Key_Escape); });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  discardAtQuit();
  run();

  const std::string t = transcript();
  const size_t first = t.find("Command: LAYER\n");
  ASSERT_NE(first, std::string::npos) << t;
  EXPECT_NE(t.find("Command: LAYER\n", first + 1), std::string::npos) << "repeated: " << t;
  EXPECT_NE(t.find("*Cancel*"), std::string::npos) << "Esc over the drawing cancelled: " << t;
  EXPECT_NE(t.find("Block \"NOSUCH\" not found."), std::string::npos)
      << "Space ended the block name: " << t;
  AcDbObjectPointer<AcDbLayerTableRecord> current(db()->clayer(), AcDb::kForRead);
  ASSERT_EQ(current.openStatus(), Acad::eOk);
  EXPECT_EQ(std::wstring(current->name()), L"Plant Room") << "a name takes its blank";
  EXPECT_EQ(atOption.mid(0, 3), (QStringList{QStringLiteral("&Enter"), QStringLiteral("&Cancel"),
                                             QStringLiteral("?")}));
  EXPECT_TRUE(atOption.contains(QStringLiteral("Make")));
  EXPECT_EQ(atCommand.value(0), QStringLiteral("&Repeat LAYER"));
  EXPECT_EQ(forwarded, QStringLiteral("l"));
  EXPECT_EQ(offered,
            (QStringList{QStringLiteral("LA"), QStringLiteral("LAYER"), QStringLiteral("LIST")}));
}

TEST_F(DesktopSession, APickNearAMiddleSnapsToItAndOrthoKeepsTheSecondPointLevel) {
  guitest::TestDrawing d;
  const AcDbObjectId line = d.line({0, 0, 0}, {100, 0, 0}, 1);
  d.line({0, 50, 0}, {0, 80, 0}, 1);
  open(d);
  QLineEdit* edit = window.commandLine()->input();
  int marker = 0;
  QPointF second;
  const QPoint nearMiddle(3, -2);
  at(QStringLiteral("Command:"), [&] { QTest::keyClicks(edit, QStringLiteral("MOVE ")); });
  at(QStringLiteral("Select objects:"), [&] { QTest::keyClicks(edit, QStringLiteral("all ")); });
  at(QStringLiteral("Select objects:"), [&] { QTest::keyClick(edit, Qt::Key_Space); });
  at(QStringLiteral("Specify base point:"), [&] {
    hover(screenOf(50, 0) + nearMiddle);
    marker =
        guitest::countColor(window.canvas()->grab().toImage(), guitest::around(screenOf(50, 0), 8),
                            zrgui::DrawingCanvas::snapColor(), 30);
    QTest::mouseClick(window.canvas(), Qt::LeftButton, {}, screenOf(50, 0) + nearMiddle);
  });
  at(QStringLiteral("Specify second point:"), [&] {
    QTest::keyClick(edit, Qt::Key_F8);
    second = window.canvas()->toWorld(screenOf(90, 0));
    QTest::mouseClick(window.canvas(), Qt::LeftButton, {}, screenOf(90, 0) + QPoint(0, -25));
  });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  discardAtQuit();
  run();

  EXPECT_GT(marker, 0) << "the midpoint's marker shows under the cursor";
  AcDbObjectPointer<AcDbLine> moved(line, AcDb::kForRead);
  ASSERT_EQ(moved.openStatus(), Acad::eOk);
  EXPECT_EQ(moved->startPoint().y, 0.0) << "snapped base, level second point: " << transcript();
  EXPECT_NEAR(moved->startPoint().x, second.x() - 50, 1e-3) << transcript();
  EXPECT_TRUE(window.canvas()->orthoOn());
}

TEST(CommandLine, TheLabelShowsThePromptAndALineBeingPrintedStaysInTheFixedWidthHistory) {
  zrgui::CommandLineWidget line;
  line.appendOutput(QStringLiteral("Command: FANDUTY\n  1  4-72  3.2\n  2  T4-72"));
  EXPECT_EQ(line.promptShown(), QString()) << "a table row is not a prompt";
  EXPECT_TRUE(line.history()->toPlainText().endsWith(QStringLiteral("\n  2  T4-72")));
  line.appendOutput(QStringLiteral("  4\nNumber <end>: "));
  line.showPrompt();
  EXPECT_EQ(line.promptShown(), QStringLiteral("Number <end>: "));
  EXPECT_EQ(line.history()->toPlainText(),
            QStringLiteral("Command: FANDUTY\n  1  4-72  3.2\n  2  T4-72  4"));
  const QFontMetrics metrics(line.history()->font());
  EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("iiii")),
            metrics.horizontalAdvance(QStringLiteral("WWWW")));
}

TEST(HostWindowText, PromptOptionsAreTheBracketedWords) {
  const std::pair<const char*, QStringList> cases[] = {
      {"Save changes to A.dwg? [Yes/No/Cancel] <Yes>: ",
       {QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Cancel")}},
      {"Specify insertion point or [Scale/Rotate]: ",
       {QStringLiteral("Scale"), QStringLiteral("Rotate")}},
      {"Enter block name: ", {}},
  };
  for (const auto& [prompt, options] : cases) {
    EXPECT_EQ(zrgui::HostWindow::promptOptions(QString::fromUtf8(prompt)), options) << prompt;
  }
}

TEST(CommandAliases, TheFilesLinesAddToAndReplaceTheBundledOnes) {
  fancad::AliasTable table = fancad::bundledAliases();
  const auto problems =
      fancad::readAliases("; mine\n\n e , erase \nCO,COPYCLIP\nPL,PLOT\nbad line\nX,\n Q Q,QUIT\n",
                          "aliases.txt", table);
  EXPECT_EQ(table.at(L"E"), L"ERASE");
  EXPECT_EQ(table.at(L"CO"), L"COPYCLIP") << "the file's line replaces the bundled alias";
  EXPECT_EQ(table.at(L"PL"), L"PLOT");
  EXPECT_EQ(table.at(L"FS"), L"FANSCHED");
  EXPECT_EQ(table.count(L"X") + table.count(L"Q Q"), 0u);
  EXPECT_EQ(problems,
            (std::vector<std::string>{"aliases.txt line 6: 'bad line' is not ALIAS,COMMAND",
                                      "aliases.txt line 7: 'X,' is not ALIAS,COMMAND",
                                      "aliases.txt line 8: ' Q Q,QUIT' is not ALIAS,COMMAND"}));
}

}  // namespace
