// Plots: the PDF's page is the paper asked for, each fan lies where the page's
// margin, the extents' centre and the scale (fit, or 1:N with a drawing unit a
// millimetre) put it, in its colour or, monochrome, in black with no colour
// anywhere (read back with poppler's pdftoppm); PLOT typed, with a refused
// answer and a file that cannot be written asked again; File > Plot...'s
// dialog, its preview, the answers it gives PLOT and the choice it keeps.
//
// The drawing: two fans, references to one 200 x 100 outline (BYBLOCK), red
// at (0,0) and green at (1000,500): extents 1200 x 600 around (600,300). On
// A4 portrait (inside 190 x 277 mm) fit is 190/1200 mm a unit, so the red
// fan's bottom edge middle (100,0) lands at 10 + 95 - 500 * 0.158 = 25.8 mm
// across and 10 + 138.5 + 300 * 0.158 = 196.0 mm down.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "desktop_commands.h"
#include "desktop_session.h"
#include "gui/plot_dialog.h"
#include "gui/plot_page.h"

namespace {

using zrgui::PlotSettings;

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlack(0, 0, 0);
constexpr double kDpi = 50;

struct TwoFans {
  guitest::TestDrawing d;
  TwoFans() {
    const AcDbObjectId blk = d.block(L"FAN");
    const AcGePoint3d c[] = {{0, 0, 0}, {200, 0, 0}, {200, 100, 0}, {0, 100, 0}};
    for (int i = 0; i < 4; ++i) d.line(c[i], c[(i + 1) % 4], 0, nullptr, blk);
    d.reference(blk, {0, 0, 0}, 1, 0, 1);
    d.reference(blk, {1000, 500, 0}, 1, 0, 3);
  }
};

// The page of a PDF as pdftoppm draws it at kDpi, without smoothing (lines
// keep their colour).
QImage renderPdf(const QString& pdf) {
  const QString prefix = pdf + QStringLiteral("-page");
  QProcess p;
  p.start(QStringLiteral("pdftoppm"),
          {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-aa"), QStringLiteral("no"),
           QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-png"),
           QStringLiteral("-singlefile"), pdf, prefix});
  EXPECT_TRUE(p.waitForFinished(30000)) << "pdftoppm (poppler-utils) runs";
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QImage(prefix + QStringLiteral(".png"));
}

// Pixels whose channels differ: anything not black, white or grey.
int colouredPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      const int hi = std::max({c.red(), c.green(), c.blue()});
      const int lo = std::min({c.red(), c.green(), c.blue()});
      if (hi - lo > 40) ++n;
    }
  }
  return n;
}

struct PlotCase {
  const char* name;
  PlotSettings settings;
  QSizeF paperMm;
  double mmPerUnit;  // fit: the inside's share of the extents, worked by hand
};

// Where a drawing point lands on the page, in kDpi pixels.
QPoint onPage(const PlotCase& c, double x, double y) {
  const double across = 10 + (c.paperMm.width() - 20) / 2 + (x - 600) * c.mmPerUnit;
  const double down = 10 + (c.paperMm.height() - 20) / 2 - (y - 300) * c.mmPerUnit;
  return QPoint(qRound(across * kDpi / 25.4), qRound(down * kDpi / 25.4));
}

TEST(PlotPage, ThePageIsThePaperAndEachFanIsWhereTheScalePutsItInItsColourOrBlack) {
  const PlotCase cases[] = {
      {"A4 portrait, fit", {PlotSettings::Paper::A4, false, 0, false}, {210, 297}, 190.0 / 1200},
      {"A3 landscape, fit", {PlotSettings::Paper::A3, true, 0, false}, {420, 297}, 400.0 / 1200},
      {"A4 landscape, 1:20, monochrome",
       {PlotSettings::Paper::A4, true, 20, true},
       {297, 210},
       1.0 / 20},
  };
  TwoFans f;
  testsupport::TempDir dir;
  for (const PlotCase& c : cases) {
    SCOPED_TRACE(c.name);
    const QString pdf = QString::fromStdString(dir.file("plot.pdf"));
    ASSERT_EQ(zrgui::writePlotPdf(f.d.db(), c.settings, pdf), "");
    const QImage page = renderPdf(pdf);
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), c.paperMm.width() * kDpi / 25.4, 2);
    EXPECT_NEAR(page.height(), c.paperMm.height() * kDpi / 25.4, 2);
    // The middles of the fans' bottom edges, and a point between them.
    const QRect red = guitest::around(onPage(c, 100, 0), 2);
    const QRect green = guitest::around(onPage(c, 1100, 500), 2);
    const QRect between = guitest::around(onPage(c, 600, 300), 2);
    if (c.settings.monochrome) {
      EXPECT_GT(guitest::countColor(page, red, kBlack), 0);
      EXPECT_GT(guitest::countColor(page, green, kBlack), 0);
      EXPECT_EQ(colouredPixels(page), 0);
    } else {
      EXPECT_GT(guitest::countColor(page, red, kRed), 0);
      EXPECT_GT(guitest::countColor(page, green, kGreen), 0);
      EXPECT_EQ(guitest::countColor(page, red, kGreen), 0);
      EXPECT_EQ(guitest::countColor(page, green, kRed), 0);
    }
    EXPECT_EQ(guitest::countNot(page, between, Qt::white), 0) << "nothing drawn between the fans";
  }
}

// The page of a PDF, in millimetres, as pdftoppm draws it.
QSizeF pageSizeOf(const QImage& page) { return QSizeF(page.size()) * 25.4 / kDpi; }

bool nearSize(QSizeF a, QSizeF b) {
  return std::abs(a.width() - b.width()) < 1 && std::abs(a.height() - b.height()) < 1;
}

using guitest::DesktopSession;

TEST_F(DesktopSession, PlotFromTheMenuPreviewsAndAnswersPlotAndTypedPlotAsksAgainWhenRefused) {
  TwoFans f;
  open(f.d);
  fancad::registerDesktopCommands();
  testsupport::TempDir dir;
  const QString fromMenu = QString::fromStdString(dir.file("menu plot.pdf"));
  const QString typed = QString::fromStdString(dir.file("typed.pdf"));
  int redInColour = -1, redInBlack = -1, colourInBlack = -1;
  bool offered = false;
  window.askPlot = [&](zrgui::PlotDialog& dialog) {
    dialog.paperBox()->setCurrentIndex(1);
    dialog.orientationBox()->setCurrentIndex(1);
    dialog.fitButton()->setChecked(true);
    dialog.monochromeBox()->setChecked(false);
    const QImage colour = dialog.preview();
    redInColour = guitest::countColor(colour, colour.rect(), kRed);
    dialog.monochromeBox()->click();
    const QImage black = dialog.preview();
    redInBlack = guitest::countColor(black, black.rect(), kRed);
    colourInBlack = colouredPixels(black);
    return true;
  };
  window.askFile = [&](const QString&, const QString& filter, bool save) {
    return save && filter.contains(QStringLiteral("*.pdf")) ? fromMenu : QString();
  };
  at(QStringLiteral("Command:"), [&] {
    offered = window.plotAction()->isEnabled();
    window.plotAction()->trigger();
  });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("PLOT")); });
  at(QStringLiteral("<A4>:"), [&] { type(QStringLiteral("A5")); });
  at(QStringLiteral("<A4>:"), [&] { type(QString()); });
  at(QStringLiteral("<Landscape>:"), [&] { type(QString()); });
  at(QStringLiteral("<Fit>:"), [&] { type(QStringLiteral("1:20")); });
  at(QStringLiteral("<Colour>:"), [&] { type(QString()); });
  at(QStringLiteral("PDF file name:"), [&] { type(QString::fromStdString(dir.path())); });
  at(QStringLiteral("PDF file name:"), [&] { type(typed); });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  run();

  EXPECT_TRUE(offered);
  EXPECT_GT(redInColour, 0) << "the preview shows the red fan";
  EXPECT_EQ(redInBlack, 0);
  EXPECT_EQ(colourInBlack, 0) << "monochrome previews without colour";
  const std::string t = transcript();
  EXPECT_NE(t.find("Command: PLOT\n"), std::string::npos) << t;
  EXPECT_NE(t.find("answer A4 or A3"), std::string::npos) << t;
  EXPECT_NE(t.find("cannot write plot '" + dir.path() + "'"), std::string::npos) << t;
  const QImage menuPage = renderPdf(fromMenu);
  EXPECT_TRUE(nearSize(pageSizeOf(menuPage), QSizeF(420, 297))) << "A3 landscape";
  EXPECT_EQ(colouredPixels(menuPage), 0) << "the menu's plot was monochrome";
  EXPECT_EQ(zrgui::PlotDialog::lastSettings(),
            (PlotSettings{PlotSettings::Paper::A3, true, 0, true}))
      << "the dialog keeps its choice";
  const QImage page = renderPdf(typed);
  EXPECT_TRUE(nearSize(pageSizeOf(page), QSizeF(297, 210))) << "A4 landscape, the default";
  EXPECT_GT(guitest::countColor(page, page.rect(), kGreen), 0) << "typed plot is in colour";
}

}  // namespace
