// Mirrors of the standard controls and of the custom controls' models.
#include "gui/control_mirrors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "gui/event_loops.h"
#include "gui/grid_widget.h"
#include "gui/preview_widget.h"
#include "win/combo_box.h"
#include "win/controls.h"
#include "win/dialog_script.h"
#include "win/ui_models.h"
#include "win/wnd.h"

namespace zrgui {

namespace {

QString qtext(const std::wstring& s) { return QString::fromStdWString(s); }

// Acts on a record the user reached through its widget, unless the record has
// gone or the control cannot take input (the window layer's own checks).
void act(HWND h, const std::function<void()>& fn) {
  if (!winplat::isWindow(h) || (h->style & WS_DISABLED)) return;
  runUserAction(fn);
}

class ButtonMirror : public ControlMirror {
 public:
  ButtonMirror(HWND h, QWidget* parent) : ControlMirror(h) {
    const DWORD type = h->style & BS_TYPEMASK;
    if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
      auto* radio = new QRadioButton(parent);
      radio->setAutoExclusive(false);
      m_button = radio;
    } else if (winplat::controlKind(*h) == "checkbox") {
      m_button = new QCheckBox(parent);
    } else {
      auto* push = new QPushButton(parent);
      push->setAutoDefault(false);
      push->setDefault(type == BS_DEFPUSHBUTTON);
      m_button = push;
    }
    setWidget(m_button);
    QObject::connect(m_button, &QAbstractButton::clicked,
                     [h] { act(h, [h] { winplat::clickButton(h); }); });
  }

 protected:
  void syncState(const DialogMetrics&) override {
    const QSignalBlocker block(m_button);
    m_button->setText(qtext(m_hwnd->text));
    if (m_button->isCheckable()) {
      if (auto* box = qobject_cast<QCheckBox*>(m_button)) {
        box->setCheckState(
            m_hwnd->check == BST_CHECKED
                ? Qt::Checked
                : (m_hwnd->check == BST_INDETERMINATE ? Qt::PartiallyChecked : Qt::Unchecked));
      } else {
        m_button->setChecked(m_hwnd->check == BST_CHECKED);
      }
    }
  }

 private:
  QAbstractButton* m_button;
};

class GroupMirror : public ControlMirror {
 public:
  GroupMirror(HWND h, QWidget* parent) : ControlMirror(h), m_box(new QGroupBox(parent)) {
    setWidget(m_box);
  }

 protected:
  void syncState(const DialogMetrics&) override { m_box->setTitle(qtext(m_hwnd->text)); }

 private:
  QGroupBox* m_box;
};

class StaticMirror : public ControlMirror {
 public:
  StaticMirror(HWND h, QWidget* parent) : ControlMirror(h), m_label(new QLabel(parent)) {
    setWidget(m_label);
  }

 protected:
  void syncState(const DialogMetrics&) override {
    const DWORD style = m_hwnd->style;
    const DWORD type = style & SS_TYPEMASK;
    Qt::Alignment h = Qt::AlignLeft;
    if (type == SS_CENTER) h = Qt::AlignHCenter;
    if (type == SS_RIGHT) h = Qt::AlignRight;
    m_label->setAlignment(h | ((style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
    m_label->setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
    const bool sunken = (style & SS_SUNKEN) || (m_hwnd->exStyle & WS_EX_STATICEDGE);
    const bool framed = type == SS_BLACKFRAME || type == SS_GRAYFRAME || type == SS_ETCHEDFRAME;
    m_label->setFrameStyle(sunken ? (QFrame::Panel | QFrame::Sunken)
                                  : (framed ? (QFrame::Box | QFrame::Sunken) : QFrame::NoFrame));
    m_label->setText(qtext(m_hwnd->text));
  }

 private:
  QLabel* m_label;
};

class EditMirror : public ControlMirror {
 public:
  EditMirror(HWND h, QWidget* parent) : ControlMirror(h), m_edit(new QLineEdit(parent)) {
    setWidget(m_edit);
    QObject::connect(m_edit, &QLineEdit::textEdited, [h](const QString& text) {
      act(h, [h, text] { winplat::userType(h, text.toStdWString()); });
    });
  }

 protected:
  void syncState(const DialogMetrics&) override {
    const QSignalBlocker block(m_edit);
    const DWORD style = m_hwnd->style;
    m_edit->setReadOnly(style & ES_READONLY);
    m_edit->setEchoMode((style & ES_PASSWORD) ? QLineEdit::Password : QLineEdit::Normal);
    m_edit->setAlignment((style & ES_RIGHT)
                             ? Qt::AlignRight
                             : ((style & ES_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft));
    m_edit->setMaxLength(m_hwnd->textLimit > 0 ? m_hwnd->textLimit : 32767);
    const QString text = qtext(m_hwnd->text);
    if (m_edit->text() != text) m_edit->setText(text);
  }

 private:
  QLineEdit* m_edit;
};

class ComboMirror : public ControlMirror {
 public:
  ComboMirror(HWND h, QWidget* parent) : ControlMirror(h), m_combo(new QComboBox(parent)) {
    setWidget(m_combo);
    m_combo->setEditable(winplat::isComboWithEdit(*h));
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(m_combo, &QComboBox::activated,
                     [h](int index) { act(h, [h, index] { winplat::userSelect(h, index); }); });
    if (QLineEdit* edit = m_combo->lineEdit()) {
      QObject::connect(edit, &QLineEdit::textEdited, [h](const QString& text) {
        act(h, [h, text] { winplat::userType(h, text.toStdWString()); });
      });
    }
  }

 protected:
  QRect screenRect(const DialogMetrics& m) const override {
    QRect r = m.toScreen(m_hwnd->rect);
    // The record's height includes the dropped list; the field is as high as
    // the font makes it.
    r.setHeight(std::min(r.height(), m_combo->sizeHint().height()));
    return r;
  }
  void syncState(const DialogMetrics& m) override {
    const QSignalBlocker block(m_combo);
    QStringList items;
    for (const auto& item : m_hwnd->items) items << qtext(item);
    QStringList shown;
    for (int i = 0; i < m_combo->count(); ++i) shown << m_combo->itemText(i);
    if (shown != items) {
      m_combo->clear();
      m_combo->addItems(items);
    }
    // The list drops down as far as the template's rectangle reaches.
    const int listHeight = m.toScreen(m_hwnd->rect).height() - m_combo->sizeHint().height();
    const int rowHeight = std::max(1, m_combo->fontMetrics().height() + 4);
    m_combo->setMaxVisibleItems(std::max(5, listHeight / rowHeight));
    if (m_combo->currentIndex() != m_hwnd->curSel) m_combo->setCurrentIndex(m_hwnd->curSel);
    if (m_combo->isEditable()) {
      const QString text = qtext(m_hwnd->text);
      if (m_combo->currentText() != text) m_combo->setEditText(text);
    }
  }

 private:
  QComboBox* m_combo;
};

class GridMirror : public ControlMirror {
 public:
  GridMirror(HWND h, winplat::GridModel& model, QWidget* parent)
      : ControlMirror(h), m_grid(new GridWidget(h, model, parent)) {
    setWidget(m_grid);
  }

 protected:
  void syncState(const DialogMetrics& m) override { m_grid->sync(m); }

 private:
  GridWidget* m_grid;
};

class PreviewMirror : public ControlMirror {
 public:
  PreviewMirror(HWND h, const winplat::PreviewModel& model, QWidget* parent, HINSTANCE resources)
      : ControlMirror(h), m_preview(new PreviewWidget(model, resources, parent)) {
    setWidget(m_preview);
  }

 protected:
  void syncState(const DialogMetrics&) override { m_preview->sync(); }

 private:
  PreviewWidget* m_preview;
};

// A window of a class the front end does not know: a box where it is.
class OtherMirror : public ControlMirror {
 public:
  OtherMirror(HWND h, QWidget* parent) : ControlMirror(h), m_frame(new QFrame(parent)) {
    setWidget(m_frame);
  }

 protected:
  void syncState(const DialogMetrics&) override {
    const bool edged = (m_hwnd->style & WS_BORDER) || (m_hwnd->exStyle & WS_EX_CLIENTEDGE);
    m_frame->setFrameStyle(edged ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
  }

 private:
  QFrame* m_frame;
};

}  // namespace

ControlMirror::~ControlMirror() {
  if (m_widget) {
    m_widget->hide();
    m_widget->deleteLater();
  }
}

void ControlMirror::sync(const DialogMetrics& metrics, const DialogStretch& stretch) {
  QWidget* w = widget();
  if (!w) return;
  const QRect r = stretch.place(screenRect(metrics));
  if (w->geometry() != r) w->setGeometry(r);
  w->setEnabled(!(m_hwnd->style & WS_DISABLED));
  syncState(metrics);
  w->setVisible((m_hwnd->style & WS_VISIBLE) != 0);
}

QRect ControlMirror::screenRect(const DialogMetrics& metrics) const {
  return metrics.toScreen(m_hwnd->rect);
}

std::string mirrorKey(const HWND__& w) {
  if (dynamic_cast<const winplat::GridModel*>(w.wnd)) return "grid";
  if (dynamic_cast<const winplat::PreviewModel*>(w.wnd)) return "preview";
  std::string kind = winplat::controlKind(w);
  if (kind == "combobox" && winplat::isComboWithEdit(w)) kind += "+edit";
  // Group frames are buttons that the dump counts among the statics.
  if (kind == "static" &&
      QString::fromStdWString(w.className).compare(QStringLiteral("STATIC"), Qt::CaseInsensitive) !=
          0) {
    kind = "group";
  }
  return kind.empty() ? "other" : kind;
}

std::unique_ptr<ControlMirror> makeMirror(HWND h, QWidget* parent, HINSTANCE resources) {
  std::unique_ptr<ControlMirror> m;
  const std::string key = mirrorKey(*h);
  if (key == "grid") {
    m = std::make_unique<GridMirror>(h, *dynamic_cast<winplat::GridModel*>(h->wnd), parent);
  } else if (key == "preview") {
    m = std::make_unique<PreviewMirror>(h, *dynamic_cast<const winplat::PreviewModel*>(h->wnd),
                                        parent, resources);
  } else if (key == "button" || key == "radio" || key == "checkbox") {
    m = std::make_unique<ButtonMirror>(h, parent);
  } else if (key == "group") {
    m = std::make_unique<GroupMirror>(h, parent);
  } else if (key == "static") {
    m = std::make_unique<StaticMirror>(h, parent);
  } else if (key == "edit") {
    m = std::make_unique<EditMirror>(h, parent);
  } else if (key.rfind("combobox", 0) == 0) {
    m = std::make_unique<ComboMirror>(h, parent);
  } else {
    m = std::make_unique<OtherMirror>(h, parent);
  }
  m->setKey(key);
  return m;
}

}  // namespace zrgui
