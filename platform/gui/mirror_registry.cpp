// The registry of dialog views.
#include "gui/mirror_registry.h"

#include <algorithm>

#include "gui/dialog_view.h"

namespace zrgui {

MirrorRegistry& MirrorRegistry::instance() {
  static MirrorRegistry registry;
  return registry;
}

void MirrorRegistry::add(DialogView* view) { m_views.push_back(view); }

void MirrorRegistry::remove(DialogView* view) {
  m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void MirrorRegistry::syncAll() {
  // Syncing may show or hide windows, which Qt answers with events that can
  // ask for another sync; one pass at a time is enough.
  if (m_syncing) return;
  m_syncing = true;
  const std::vector<DialogView*> views = m_views;
  for (DialogView* v : views) {
    if (std::find(m_views.begin(), m_views.end(), v) != m_views.end()) v->sync();
  }
  m_syncing = false;
}

DialogView* MirrorRegistry::viewOf(const CDialog& dlg) const {
  for (DialogView* v : m_views) {
    if (&v->dialog() == &dlg) return v;
  }
  return nullptr;
}

DialogView* MirrorRegistry::topVisible() const {
  for (auto it = m_views.rbegin(); it != m_views.rend(); ++it) {
    if ((*it)->isVisible()) return *it;
  }
  return nullptr;
}

}  // namespace zrgui
