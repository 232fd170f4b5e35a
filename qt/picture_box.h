// The picture box: a sunken frame around a photograph, sized to it on request,
// drawn with smooth scaling so it stays a photograph on high-resolution screens.
#pragma once

#include <QFrame>
#include <QPixmap>

class PictureBox : public QFrame {
  Q_OBJECT
  Q_PROPERTY(QPixmap pixmap READ pixmap WRITE setPixmap)

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  [[nodiscard]] QPixmap pixmap() const { return pixmap_; }
  void setPixmap(const QPixmap& pixmap);
  // Sizes the box to its picture and its border, now and whenever the picture changes.
  void setAutoSize(bool on);
  [[nodiscard]] QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap pixmap_;
  bool auto_size_ = false;
};
