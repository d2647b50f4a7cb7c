// PictureWidget: shows drawing items (win/vector_picture.h), scaled to fit
// the widget and centred, on the window's background.
#pragma once

#include <QWidget>

#include "win/vector_picture.h"

namespace zrgui {

class PictureWidget : public QWidget {
 public:
  explicit PictureWidget(QWidget* parent = nullptr);

  void setPicture(winplat::VectorPicture picture);
  const winplat::VectorPicture& picture() const { return m_picture; }

  // The picture's area in the widget, where paintEvent puts it.
  QRectF pictureRect() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  winplat::VectorPicture m_picture;
};

}  // namespace zrgui
