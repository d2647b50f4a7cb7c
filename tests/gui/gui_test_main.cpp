// The main of the desktop front end's tests: GoogleTest inside a Qt
// application. The platform comes from QT_QPA_PLATFORM (offscreen unless the
// test runs under an X server); settings (the recent files) go to a folder of
// this run's own, never the user's, and never one that a test program running
// beside this one writes too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "gui/gui_fonts.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  QCoreApplication::setOrganizationName(QStringLiteral("fancad-tests"));
  QCoreApplication::setApplicationName(QStringLiteral("fancad-tests"));
  app.setFont(zrgui::cjkFont());
  return RUN_ALL_TESTS();
}
