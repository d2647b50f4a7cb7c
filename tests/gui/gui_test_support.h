// Helpers of the desktop front end's tests: looking at pictures, and waiting
// for what Qt does on its own time.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace zrgui {
class DialogView;
}

namespace guitest {

// Pixels of image inside rect (clipped to the image) within tolerance of color
// in every channel.
int countColor(const QImage& image, const QRect& rect, QColor color, int tolerance = 40);
// Pixels of image inside rect that differ from background by more than tolerance.
int countNot(const QImage& image, const QRect& rect, QColor background, int tolerance = 40);
// A square of the given half-size around a point.
QRect around(QPoint p, int half);

// Processes events until done() holds or timeoutMs passes; returns done().
bool waitFor(const std::function<bool()>& done, int timeoutMs = 3000);
// Runs fn once the event loop is running (for code that must act while a
// modal loop waits: a dialog's DoModal, a message box, a prompt).
void whenIdle(std::function<void()> fn, int delayMs = 0);
// The modal widget or popup that Qt shows now, if any.
QWidget* activeModal();

// Opens a combo box's list with a mouse click and clicks the item with this
// text, as a user picks one; false when the combo has no such item or its
// list did not open or close.
bool pickWithMouse(QComboBox* combo, const QString& text);

// A test that fails while a dialog or a prompt waits would wait for ever:
// after timeoutMs the watchdog cancels every modal dialog and ends the
// window input, and the test goes on to report what failed.
class Watchdog {
 public:
  explicit Watchdog(int timeoutMs = 20000);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  bool fired() const { return m_fired; }

 private:
  class QTimer* m_timer;
  bool m_fired = false;
};

// What is wrong with a dialog's layout on screen, one line per problem:
// a control outside the dialog, two controls that overlap (group frames
// aside, and the placeholder statics that grids and previews lie over), a
// text that does not fit its control across or down.
std::vector<std::string> layoutProblems(const zrgui::DialogView& view);

}  // namespace guitest
