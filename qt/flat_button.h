// A push button drawn flat in its face colour with a classic bevelled border,
// the same under every widget style (styles would otherwise paint a gradient).
// Return and Enter press it when it has the focus, as Space does.
#pragma once

#include <QColor>
#include <QPushButton>

class FlatButton : public QPushButton {
  Q_OBJECT
  Q_PROPERTY(QColor faceColour READ faceColour WRITE setFaceColour)

 public:
  explicit FlatButton(QWidget* parent = nullptr);

  [[nodiscard]] QColor faceColour() const { return palette().color(QPalette::Button); }
  void setFaceColour(const QColor& colour);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};
