// The main of the desktop front end's tests: GoogleTest inside a Qt
// application. The platform comes from QT_QPA_PLATFORM (offscreen unless the
// test runs under an X server); settings go to a test location, never the
// user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include "gui/gui_fonts.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("fancad-tests"));
  QCoreApplication::setApplicationName(QStringLiteral("fancad-tests"));
  app.setFont(zrgui::cjkFont());
  return RUN_ALL_TESTS();
}
