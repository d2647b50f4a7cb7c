// The host window's language follows the locale: Chinese menus, docks and
// plot dialog for simplified Chinese, English for C, English and traditional
// Chinese; removed with its HostTranslation.
#include <gtest/gtest.h>

#include <QDockWidget>
#include <QMenuBar>

#include "gui/host_translation.h"
#include "gui/host_window.h"
#include "gui/plot_dialog.h"

namespace {

QStringList menuTitles(const zrgui::HostWindow& window) {
  QStringList titles;
  for (const QAction* a : window.menuBar()->actions()) titles << a->text();
  return titles;
}

TEST(HostTranslation, SimplifiedChineseLocalesGetChineseMenusAndOthersEnglish) {
  const struct {
    const char* locale;
    bool chinese;
  } cases[] = {{"zh_CN", true}, {"zh_SG", true}, {"C", false}, {"en_US", false}, {"zh_TW", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale);
    QStringList titles, docks;
    QString plotTitle;
    {
      const zrgui::HostTranslation translation{QLocale(QString::fromUtf8(c.locale))};
      EXPECT_EQ(translation.installed(), c.chinese);
      const zrgui::HostWindow window;
      titles = menuTitles(window);
      for (const QDockWidget* d : window.findChildren<QDockWidget*>()) docks << d->windowTitle();
      plotTitle = zrgui::PlotDialog(zrgui::Scene()).windowTitle();
    }
    if (c.chinese) {
      EXPECT_EQ(titles.mid(0, 4),
                (QStringList{QStringLiteral("文件(&F)"), QStringLiteral("风机(&A)"),
                             QStringLiteral("编辑(&E)"), QStringLiteral("视图(&V)")}));
      EXPECT_EQ(docks, (QStringList{QStringLiteral("图层"), QStringLiteral("特性"),
                                    QStringLiteral("设备表")}));
      EXPECT_EQ(plotTitle, QStringLiteral("打印"));
    } else {
      EXPECT_EQ(titles.mid(0, 4), (QStringList{QStringLiteral("&File"), QStringLiteral("F&an"),
                                               QStringLiteral("&Edit"), QStringLiteral("&View")}));
      EXPECT_EQ(docks, (QStringList{QStringLiteral("Layers"), QStringLiteral("Properties"),
                                    QStringLiteral("Schedule")}));
      EXPECT_EQ(plotTitle, QStringLiteral("Plot"));
    }
  }
  EXPECT_EQ(menuTitles(zrgui::HostWindow()).value(0), QStringLiteral("&File"))
      << "the translation went with its HostTranslation";
}

}  // namespace
