// The plot dialog.
#include "gui/plot_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace zrgui {

namespace {

// The preview's box: an A3 sheet's long side over 300 pixels shows a fan's
// outline, and the dialog stays small beside the drawing.
constexpr int kPreviewSide = 300;
constexpr int kMaxScale = 100000;
const char* const kSettingsKey = "plot/last";

}  // namespace

PlotDialog::PlotDialog(Scene scene, QWidget* parent)
    : QDialog(parent),
      m_colour(std::move(scene)),
      m_black(m_colour),
      m_paper(new QComboBox),
      m_orientation(new QComboBox),
      m_fit(new QRadioButton(tr("Scale to &fit"))),
      m_atScale(new QRadioButton(tr("&At 1:"))),
      m_scale(new QSpinBox),
      m_monochrome(new QCheckBox(tr("&Monochrome"))),
      m_preview(new QLabel) {
  makeMonochrome(m_black);
  setWindowTitle(tr("Plot"));
  m_paper->addItems({QStringLiteral("A4"), QStringLiteral("A3")});
  m_orientation->addItems({tr("Portrait"), tr("Landscape")});
  m_scale->setRange(1, kMaxScale);
  m_scale->setValue(100);
  auto* group = new QButtonGroup(this);
  group->addButton(m_fit);
  group->addButton(m_atScale);
  auto* scaleRow = new QHBoxLayout;
  scaleRow->addWidget(m_fit);
  scaleRow->addWidget(m_atScale);
  scaleRow->addWidget(m_scale);
  scaleRow->addStretch();
  auto* form = new QFormLayout;
  form->addRow(tr("&Paper:"), m_paper);
  form->addRow(tr("&Orientation:"), m_orientation);
  form->addRow(tr("Scale:"), scaleRow);
  form->addRow(QString(), m_monochrome);
  m_preview->setFixedSize(kPreviewSide + 2, kPreviewSide + 2);
  m_preview->setAlignment(Qt::AlignCenter);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("&Plot..."));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* top = new QHBoxLayout;
  top->addLayout(form);
  top->addWidget(m_preview);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addWidget(buttons);
  setSettings(lastSettings());
  connect(m_paper, &QComboBox::currentIndexChanged, this, [this] { updatePreview(); });
  connect(m_orientation, &QComboBox::currentIndexChanged, this, [this] { updatePreview(); });
  connect(m_fit, &QRadioButton::toggled, this, [this] { updatePreview(); });
  connect(m_scale, &QSpinBox::valueChanged, this, [this] { updatePreview(); });
  connect(m_monochrome, &QCheckBox::toggled, this, [this] { updatePreview(); });
  updatePreview();
}

PlotSettings PlotDialog::settings() const {
  PlotSettings s;
  s.paper = m_paper->currentIndex() == 1 ? PlotSettings::Paper::A3 : PlotSettings::Paper::A4;
  s.landscape = m_orientation->currentIndex() == 1;
  s.scale = m_fit->isChecked() ? 0 : m_scale->value();
  s.monochrome = m_monochrome->isChecked();
  return s;
}

void PlotDialog::setSettings(const PlotSettings& s) {
  m_paper->setCurrentIndex(s.paper == PlotSettings::Paper::A3 ? 1 : 0);
  m_orientation->setCurrentIndex(s.landscape ? 1 : 0);
  (s.scale > 0 ? m_atScale : m_fit)->setChecked(true);
  if (s.scale > 0) m_scale->setValue(qRound(s.scale));
  m_monochrome->setChecked(s.monochrome);
}

void PlotDialog::updatePreview() {
  const PlotSettings s = settings();
  m_scale->setEnabled(s.scale > 0);
  m_preview->setPixmap(QPixmap::fromImage(
      plotPreview(s.monochrome ? m_black : m_colour, s, QSize(kPreviewSide, kPreviewSide))));
}

PlotSettings PlotDialog::lastSettings() {
  const QStringList v = QSettings().value(QString::fromUtf8(kSettingsKey)).toStringList();
  const PlotPrompt order[] = {PlotPrompt::Paper, PlotPrompt::Orientation, PlotPrompt::Scale,
                              PlotPrompt::Colours};
  PlotSettings s;
  for (int i = 0; i < v.size() && i < 4; ++i) readPlotAnswer(order[i], v[i], s);
  return s;
}

void PlotDialog::keepSettings(const PlotSettings& s) {
  QSettings().setValue(QString::fromUtf8(kSettingsKey), plotAnswers(s));
}

}  // namespace zrgui
