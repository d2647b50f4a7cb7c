// File > Plot...: the paper, its orientation, the scale and the colours of a
// plot of the drawing, with a preview of the sheet that follows every choice.
//
// The dialog only chooses; the window hands the choice to PLOT as its answers
// (plot_page.h: plotAnswers), so a plot from the menu is the typed command's.
// The last choice is kept in the user's settings for the next plot.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include "gui/plot_page.h"

namespace zrgui {

class PlotDialog : public QDialog {
  Q_DECLARE_TR_FUNCTIONS(PlotDialog)

 public:
  // scene: the drawing as plotted in colour (monochrome is made from it).
  PlotDialog(Scene scene, QWidget* parent = nullptr);

  PlotSettings settings() const;
  void setSettings(const PlotSettings& settings);
  // The sheet as the preview shows it now.
  QImage preview() const { return m_preview->pixmap().toImage(); }

  QComboBox* paperBox() const { return m_paper; }
  QComboBox* orientationBox() const { return m_orientation; }
  QRadioButton* fitButton() const { return m_fit; }
  QRadioButton* scaleButton() const { return m_atScale; }
  QSpinBox* scaleBox() const { return m_scale; }
  QCheckBox* monochromeBox() const { return m_monochrome; }

  // The last choice, kept between runs, and keeping one.
  static PlotSettings lastSettings();
  static void keepSettings(const PlotSettings& settings);

 private:
  void updatePreview();

  Scene m_colour;
  Scene m_black;
  QComboBox* m_paper;
  QComboBox* m_orientation;
  QRadioButton* m_fit;
  QRadioButton* m_atScale;
  QSpinBox* m_scale;
  QCheckBox* m_monochrome;
  QLabel* m_preview;
};

}  // namespace zrgui
