// A plot of the working drawing on one sheet of paper: the drawing's extents
// on the page, drawn by the canvas' scene painter, as a PDF or as a preview.
//
// The page has a margin of kPlotMarginMm on every side; the drawing is
// centred on what lies inside it, either scaled to fill it (fit) or at 1:N,
// a drawing unit being a millimetre (N drawing units to a millimetre of
// paper; what does not fit is cut off at the margin). The paper is white, so
// colours are those a light background gives (index 7 black); monochrome
// draws everything black. The preview and the PDF are the same painting at
// two resolutions.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <string>

#include "gui/drawing_scene.h"

class AcDbDatabase;

namespace zrgui {

constexpr double kPlotMarginMm = 10;

struct PlotSettings {
  enum class Paper { A4, A3 };
  Paper paper = Paper::A4;
  bool landscape = true;
  // N of 1:N; 0 scales the drawing to fit the page.
  double scale = 0;
  bool monochrome = false;

  bool operator==(const PlotSettings&) const = default;
};

// The sheet in millimetres, as it lies (landscape: the long side across).
QSizeF paperSizeMm(const PlotSettings& settings);
// The drawing as plotted: colours against white paper, or all black.
Scene plotScene(const AcDbDatabase* db, bool monochrome);
// Every colour of scene black.
void makeMonochrome(Scene& scene);
// Paints the page's inside (within the margins) at dpi onto painter, whose
// origin is the inside's top-left corner.
void paintPlot(QPainter& painter, const Scene& scene, const PlotSettings& settings, double dpi);
// The whole sheet, margins included, as large as fits in box.
QImage plotPreview(const Scene& scene, const PlotSettings& settings, QSize box);
// A one-page PDF of the scene; empty when the PDF writer fails.
QByteArray plotPdf(const Scene& scene, const PlotSettings& settings, const QString& title);
// Plots the drawing to file through the safe writer; "" or the reason it failed.
std::string writePlotPdf(const AcDbDatabase* db, const PlotSettings& settings, const QString& file);

// The answers to PLOT's prompts (paper, orientation, scale, colours) that
// ask for these settings: "A3", "Landscape", "1:100", "Monochrome".
QStringList plotAnswers(const PlotSettings& settings);
// Reads the answer to one of those prompts into settings (any case; a
// keyword's first letter will do; a scale as "1:N" or N, a positive number);
// false, settings unchanged, when it is none of that prompt's answers.
enum class PlotPrompt { Paper, Orientation, Scale, Colours };
bool readPlotAnswer(PlotPrompt prompt, const QString& answer, PlotSettings& settings);

}  // namespace zrgui
