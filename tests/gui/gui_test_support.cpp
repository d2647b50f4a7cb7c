// Test helpers.
#include "gui_test_support.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "gui/dialog_view.h"
#include "gui/event_loops.h"
#include "gui/line_inputs.h"
#include "win/dialog.h"
#include "win/message_box.h"

namespace guitest {

namespace {

bool near(QRgb a, QColor b, int tol) {
  return std::abs(qRed(a) - b.red()) <= tol && std::abs(qGreen(a) - b.green()) <= tol &&
         std::abs(qBlue(a) - b.blue()) <= tol;
}

}  // namespace

int countColor(const QImage& image, const QRect& rect, QColor color, int tolerance) {
  const QRect r = rect.intersected(image.rect());
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) n += near(image.pixel(x, y), color, tolerance);
  }
  return n;
}

int countNot(const QImage& image, const QRect& rect, QColor background, int tolerance) {
  const QRect r = rect.intersected(image.rect());
  return r.width() * r.height() - countColor(image, r, background, tolerance);
}

QRect around(QPoint p, int half) {
  return QRect(p - QPoint(half, half), QSize(2 * half + 1, 2 * half + 1));
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

void whenIdle(std::function<void()> fn, int delayMs) {
  QTimer::singleShot(delayMs, qApp, std::move(fn));
}

bool pickWithMouse(QComboBox* combo, const QString& text) {
  const int target = combo->findText(text);
  if (target < 0) return false;
  QTest::mouseClick(combo, Qt::LeftButton);
  QAbstractItemView* list = combo->view();
  if (!waitFor([list] { return list->isVisible(); })) return false;
  // A second click too soon after the first would be a double click.
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  const QModelIndex item = list->model()->index(target, 0);
  list->scrollTo(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
  return waitFor([list] { return !list->isVisible(); });
}

QWidget* activeModal() {
  if (QWidget* popup = QApplication::activePopupWidget()) return popup;
  return QApplication::activeModalWidget();
}

Watchdog::Watchdog(int timeoutMs) : m_timer(new QTimer) {
  m_timer->setSingleShot(true);
  QObject::connect(m_timer, &QTimer::timeout, [this] {
    m_fired = true;
    ADD_FAILURE() << "the test still waited after its time: every dialog is cancelled";
    while (QWidget* w = QApplication::activePopupWidget()) w->close();
    for (CDialog* dlg : winplat::modalDialogs()) dlg->EndDialog(IDCANCEL);
    if (auto* input = dynamic_cast<zrgui::WindowInput*>(zrbase::currentInput())) input->end();
    zrgui::wakeWaiters();
  });
  m_timer->start(timeoutMs);
}

Watchdog::~Watchdog() { delete m_timer; }

namespace {

std::string describe(HWND h, const QWidget* w) {
  return "control " + std::to_string(h->id) + " '" +
         QString::fromStdWString(h->text).toStdString() + "' (" + w->metaObject()->className() +
         ")";
}

// The text a widget shows (a combo's longest item) and the room it has; the
// room a button's text needs across is its size hint.
QString textRoom(const QWidget* w, QRect& room) {
  if (auto* label = qobject_cast<const QLabel*>(w)) {
    room = label->contentsRect();
    return label->text();
  }
  if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
    room = edit->contentsRect().adjusted(2, 0, -2, 0);
    return edit->text();
  }
  if (auto* group = qobject_cast<const QGroupBox*>(w)) {
    room = group->rect().adjusted(8, 0, -8, 0);
    return group->title();
  }
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
    room = button->rect();
    return button->text();
  }
  QString text;
  if (auto* combo = qobject_cast<const QComboBox*>(w)) {
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    room = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField,
                                          combo);
    for (int i = 0; i < combo->count(); ++i) {
      if (combo->itemText(i).size() > text.size()) text = combo->itemText(i);
    }
  }
  return text;
}

// A group frame, or a framed empty static or one a grid or preview lies over
// whole (placeholders): these may overlap others.
bool frameOrPlaceholder(const QWidget* w, const QWidget* other) {
  if (qobject_cast<const QGroupBox*>(w)) return true;
  auto* label = qobject_cast<const QLabel*>(w);
  return label && label->frameShape() != QFrame::NoFrame &&
         (label->text().isEmpty() || other->geometry().contains(w->geometry()));
}

}  // namespace

std::vector<std::string> layoutProblems(const zrgui::DialogView& view) {
  std::vector<std::string> problems;
  const auto controls = view.controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const auto& [h, w] = controls[i];
    if (!w || w->isHidden()) continue;
    if (!view.rect().contains(w->geometry())) {
      problems.push_back(describe(h, w) + " lies outside the dialog");
    }
    const QFontMetrics fm(w->font());
    QRect room;
    const QString text = textRoom(w, room);
    auto* button = qobject_cast<const QAbstractButton*>(w);
    const int need = button ? button->sizeHint().width() : fm.horizontalAdvance(text);
    if (!text.isEmpty() && need > room.width()) {
      problems.push_back(describe(h, w) + " shows '" + text.toStdString() + "' in " +
                         std::to_string(room.width()) + " px, needs " + std::to_string(need));
    }
    if (!text.isEmpty() && !qobject_cast<const QGroupBox*>(w) && fm.height() > room.height()) {
      problems.push_back(describe(h, w) + " is " + std::to_string(room.height()) +
                         " px high, its text " + std::to_string(fm.height()));
    }
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const auto& [hj, wj] = controls[j];
      if (!wj || wj->isHidden() || frameOrPlaceholder(w, wj) || frameOrPlaceholder(wj, w)) continue;
      if (w->geometry().intersects(wj->geometry())) {
        problems.push_back(describe(h, w) + " overlaps " + describe(hj, wj));
      }
    }
  }
  return problems;
}

}  // namespace guitest

// LeakSanitizer: fontconfig's caches, which Qt and cairo fill once and keep for
// the life of the process, are not this program's leaks.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
