// Plotting a drawing to a page.
#include "gui/plot_page.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>

#include <algorithm>

#include "base/cstring.h"
#include "base/file_functions.h"
#include "base/safe_file.h"
#include "gui/scene_painter.h"

namespace zrgui {

namespace {

// Fine enough that no line of a plot lands off its place by a visible amount
// (0.04 mm), coarse enough that the page's integer viewport holds A3.
constexpr double kPdfDpi = 600;
constexpr double kMmPerInch = 25.4;

QPageSize pageSize(PlotSettings::Paper paper) {
  return QPageSize(paper == PlotSettings::Paper::A3 ? QPageSize::A3 : QPageSize::A4);
}

}  // namespace

QSizeF paperSizeMm(const PlotSettings& settings) {
  const QSizeF portrait = pageSize(settings.paper).size(QPageSize::Millimeter);
  return settings.landscape ? portrait.transposed() : portrait;
}

Scene plotScene(const AcDbDatabase* db, bool monochrome) {
  Scene scene = buildScene(db, qRgb(255, 255, 255));
  if (monochrome) makeMonochrome(scene);
  return scene;
}

void makeMonochrome(Scene& scene) {
  for (SceneBatch& batch : scene.batches) batch.color = qRgb(0, 0, 0);
}

void paintPlot(QPainter& painter, const Scene& scene, const PlotSettings& settings, double dpi) {
  const QSizeF inside = paperSizeMm(settings) - QSizeF(2 * kPlotMarginMm, 2 * kPlotMarginMm);
  const double perMm = dpi / kMmPerInch;
  ViewTransform view;
  view.setViewport(QSize(qRound(inside.width() * perMm), qRound(inside.height() * perMm)));
  if (!scene.isEmpty()) {
    if (settings.scale > 0) {
      view.setView(scene.bounds.center(), inside.width() * settings.scale,
                   inside.height() * settings.scale, 0);
    } else {
      view.fit(scene.bounds, 0);
    }
  }
  painter.save();
  // A line on the extents' edge lies on the viewport's last pixel plus one:
  // the clip, which keeps a 1:N plot off the margins, lets it through.
  painter.setClipRect(QRect(QPoint(0, 0), view.viewport()).adjusted(-1, -1, 1, 1));
  ScenePainter().paint(painter, scene, view, Qt::white);
  painter.restore();
}

QImage plotPreview(const Scene& scene, const PlotSettings& settings, QSize box) {
  const QSizeF paper = paperSizeMm(settings);
  const double perMm = std::min(box.width() / paper.width(), box.height() / paper.height());
  QImage image((paper * perMm).toSize(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.translate(kPlotMarginMm * perMm, kPlotMarginMm * perMm);
  paintPlot(p, scene, settings, perMm * kMmPerInch);
  p.resetTransform();
  p.setPen(Qt::darkGray);
  p.drawRect(image.rect().adjusted(0, 0, -1, -1));
  return image;
}

QByteArray plotPdf(const Scene& scene, const PlotSettings& settings, const QString& title) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setResolution(static_cast<int>(kPdfDpi));
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("fancad"));
    pdf.setPageLayout(
        QPageLayout(pageSize(settings.paper),
                    settings.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(kPlotMarginMm, kPlotMarginMm, kPlotMarginMm, kPlotMarginMm),
                    QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&pdf)) return {};
    paintPlot(painter, scene, settings, kPdfDpi);
    if (!painter.end()) return {};
  }
  return bytes;
}

std::string writePlotPdf(const AcDbDatabase* db, const PlotSettings& settings,
                         const QString& file) {
  const QByteArray bytes =
      plotPdf(plotScene(db, settings.monochrome), settings, QFileInfo(file).completeBaseName());
  if (bytes.isEmpty()) return "cannot write plot '" + file.toStdString() + "': no PDF was made";
  std::wstring why;
  const std::string path = zrbase::nativePath(file.toStdWString());
  if (zrbase::saveFileSafely(path, std::string_view(bytes.constData(), bytes.size()), why,
                             L"a PDF file") == zrbase::SaveStatus::ok) {
    return {};
  }
  return "cannot write plot '" + file.toStdString() + "': " + zrbase::wideToUtf8(why);
}

QStringList plotAnswers(const PlotSettings& settings) {
  return {settings.paper == PlotSettings::Paper::A3 ? QStringLiteral("A3") : QStringLiteral("A4"),
          settings.landscape ? QStringLiteral("Landscape") : QStringLiteral("Portrait"),
          settings.scale > 0 ? QStringLiteral("1:") + QString::number(settings.scale)
                             : QStringLiteral("Fit"),
          settings.monochrome ? QStringLiteral("Monochrome") : QStringLiteral("Colour")};
}

bool readPlotAnswer(PlotPrompt prompt, const QString& answer, PlotSettings& settings) {
  const QString a = answer.trimmed().toUpper();
  if (a.isEmpty()) return false;
  // A keyword or its start, as the prompts' [options] are answered.
  auto is = [&a](const char* word) { return QString::fromUtf8(word).startsWith(a); };
  switch (prompt) {
    case PlotPrompt::Paper:
      if (a != QStringLiteral("A4") && a != QStringLiteral("A3")) return false;
      settings.paper =
          a == QStringLiteral("A3") ? PlotSettings::Paper::A3 : PlotSettings::Paper::A4;
      return true;
    case PlotPrompt::Orientation:
      if (!is("PORTRAIT") && !is("LANDSCAPE")) return false;
      settings.landscape = is("LANDSCAPE");
      return true;
    case PlotPrompt::Scale: {
      if (is("FIT")) {
        settings.scale = 0;
        return true;
      }
      bool ok = false;
      const double n = (a.startsWith(QStringLiteral("1:")) ? a.mid(2) : a).toDouble(&ok);
      // Past 1:1e9 a drawing in millimetres is smaller than a dot on the page.
      if (!ok || !(n > 0) || n > 1e9) return false;
      settings.scale = n;
      return true;
    }
    case PlotPrompt::Colours:
      if (!is("COLOUR") && !is("COLOR") && !is("MONOCHROME")) return false;
      settings.monochrome = is("MONOCHROME");
      return true;
  }
  return false;
}

}  // namespace zrgui
