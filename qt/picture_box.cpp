#include "qt/picture_box.h"

#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {}

void PictureBox::setPixmap(const QPixmap& pixmap) {
  pixmap_ = pixmap;
  if (auto_size_) resize(sizeHint());
  update();
}

void PictureBox::setAutoSize(bool on) {
  auto_size_ = on;
  if (on) resize(sizeHint());
}

QSize PictureBox::sizeHint() const {
  const int border = 2 * frameWidth();
  return pixmap_.deviceIndependentSize().toSize() + QSize(border, border);
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(QRectF(contentsRect().topLeft(), pixmap_.deviceIndependentSize()), pixmap_,
                     QRectF(pixmap_.rect()));
}
