// Dialog views.
#include "gui/dialog_view.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QSettings>
#include <algorithm>

#include "base/module_instance.h"
#include "gui/event_loops.h"
#include "gui/mirror_registry.h"
#include "win/dialog.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace zrgui {

DialogView::DialogView(CDialog& dlg, QWidget* parent, HINSTANCE resources)
    : QDialog(parent),
      m_dlg(dlg),
      m_resources(resources ? resources : AfxGetResourceHandle()),
      m_metrics(DialogMetrics::forTemplateFont(
          dlg.GetDialogTemplate() ? dlg.GetDialogTemplate()->pointSize : 9)) {
  setFont(m_metrics.font);
  // The window layer keeps the system menu's only command, close; no help button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  MirrorRegistry::instance().add(this);
  sync();
}

DialogView::~DialogView() { MirrorRegistry::instance().remove(this); }

void DialogView::sync() {
  HWND h = m_dlg.m_hWnd;
  if (!winplat::isWindow(h)) {
    hide();
    return;
  }
  if (m_synced && m_generation == winplat::stateGeneration()) return;
  m_synced = true;
  m_generation = winplat::stateGeneration();
  setWindowTitle(QString::fromStdWString(h->text));
  const RECT edges = winplat::nonClientEdges(*h);
  const RECT client{0, 0, h->rect.right - h->rect.left - edges.left - edges.right,
                    h->rect.bottom - h->rect.top - edges.top - edges.bottom};
  syncSize(m_metrics.toScreen(client).size());
  syncChildren();
  const bool shown = (h->style & WS_VISIBLE) != 0 && !m_dlg.IsDialogEnded();
  if (shown != isVisible()) setVisible(shown);
}

void DialogView::syncChildren() {
  HWND h = m_dlg.m_hWnd;
  std::vector<std::unique_ptr<ControlMirror>> next;
  next.reserve(h->children.size());
  for (const auto& child : h->children) {
    HWND c = child.get();
    auto it = std::find_if(m_mirrors.begin(), m_mirrors.end(),
                           [c](const auto& m) { return m && m->hwnd() == c; });
    if (it != m_mirrors.end() && (*it)->key() == mirrorKey(*c)) {
      next.push_back(std::move(*it));
    } else {
      next.push_back(makeMirror(c, this, m_resources));
    }
  }
  m_mirrors = std::move(next);  // mirrors of windows that are gone go here
  const DialogStretch placement = stretch();
  // Later windows stand above earlier ones, as child windows do.
  for (auto& m : m_mirrors) {
    m->sync(m_metrics, placement);
    if (QWidget* w = m->widget()) w->raise();
  }
}

void DialogView::syncSize(const QSize& templateSize) {
  const bool hasGrids = std::any_of(m_dlg.m_hWnd->children.begin(), m_dlg.m_hWnd->children.end(),
                                    [](const auto& c) { return mirrorKey(*c) == "grid"; });
  const bool changed = templateSize != m_templateSize || hasGrids != m_resizable;
  m_templateSize = templateSize;
  m_resizable = hasGrids;
  if (!m_resizable) {
    if (size() != templateSize) setFixedSize(templateSize);
    return;
  }
  if (!changed) return;
  setMinimumSize(templateSize);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  const QSize kept = m_remembers ? QSettings().value(sizeKey()).toSize() : QSize();
  resize(kept.expandedTo(templateSize));
}

DialogStretch DialogView::stretch() const {
  if (!m_resizable) return {};
  std::vector<QRect> grids;
  for (const auto& c : m_dlg.m_hWnd->children) {
    if (mirrorKey(*c) == "grid") grids.push_back(m_metrics.toScreen(c->rect));
  }
  return DialogStretch::throughGrids(grids, size() - m_templateSize);
}

QString DialogView::sizeKey() const {
  const winplat::DialogTemplate* t = m_dlg.GetDialogTemplate();
  return QStringLiteral("dialogs/%1/size").arg(t ? t->id : 0);
}

void DialogView::setRemembersSize(bool on) {
  m_remembers = on;
  if (on && m_resizable) {
    resize(QSettings().value(sizeKey()).toSize().expandedTo(m_templateSize));
  }
}

void DialogView::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!m_resizable || !winplat::isWindow(m_dlg.m_hWnd)) return;
  const DialogStretch placement = stretch();
  for (auto& m : m_mirrors) {
    if (winplat::isWindow(m->hwnd())) m->sync(m_metrics, placement);
  }
  if (m_remembers && isVisible()) QSettings().setValue(sizeKey(), size());
}

QWidget* DialogView::controlWidget(int id) const {
  for (const auto& m : m_mirrors) {
    if (winplat::isWindow(m->hwnd()) && m->hwnd()->id == (id & 0xFFFF)) return m->widget();
  }
  return nullptr;
}

std::vector<std::pair<HWND, QWidget*>> DialogView::controls() const {
  std::vector<std::pair<HWND, QWidget*>> list;
  for (const auto& m : m_mirrors) list.emplace_back(m->hwnd(), m->widget());
  return list;
}

void DialogView::runModal() {
  // Modality is set while the window is hidden; Qt ignores it on a shown one.
  hide();
  setWindowModality(Qt::ApplicationModal);
  m_synced = false;
  sync();
  waitUntil([this] { return m_dlg.IsDialogEnded() || !m_dlg.m_hWnd; });
  hide();
}

void DialogView::sendCommand(int id) {
  CDialog* dlg = &m_dlg;
  runUserAction([dlg, id] {
    if (!dlg->m_hWnd) return;
    HWND button = winplat::findChild(dlg->m_hWnd, id);
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
  });
}

void DialogView::pressEnter() {
  // A focused push button takes Enter itself.
  if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
    if (button->isEnabled()) button->click();
    return;
  }
  const int id = static_cast<int>(m_dlg.GetDefID());
  HWND button = winplat::findChild(m_dlg.m_hWnd, id);
  if (button && (button->style & WS_DISABLED)) return;
  sendCommand(id);
}

void DialogView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      event->accept();
      reject();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      pressEnter();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void DialogView::closeEvent(QCloseEvent* event) {
  // The window closes when the dialog ends, not when asked to.
  event->ignore();
  reject();
}

void DialogView::reject() {
  HWND cancel = winplat::findChild(m_dlg.m_hWnd, IDCANCEL);
  if (cancel && (cancel->style & WS_DISABLED)) return;
  sendCommand(IDCANCEL);
}

}  // namespace zrgui
