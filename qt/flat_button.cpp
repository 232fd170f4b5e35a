#include "qt/flat_button.h"

#include <qdrawutil.h>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

FlatButton::FlatButton(QWidget* parent) : QPushButton(parent) {}

void FlatButton::setFaceColour(const QColor& colour) {
  // A palette built from one colour derives the bevel's light and dark shades from it.
  QPalette face(colour);
  face.setColor(QPalette::ButtonText, palette().color(QPalette::ButtonText));
  setPalette(face);
}

void FlatButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool sunken = isDown() || isChecked();
  qDrawWinButton(&painter, rect(), palette(), sunken, &palette().brush(QPalette::Button));
  const QRect text = rect().adjusted(3, 3, -3, -3).translated(sunken ? 1 : 0, sunken ? 1 : 0);
  style()->drawItemText(&painter, text, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(), this->text(),
                        QPalette::ButtonText);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(4, 4, -4, -4);
    focus.backgroundColor = faceColour();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

void FlatButton::keyPressEvent(QKeyEvent* event) {
  // Users of Windows and GNOME alike expect Return on a focused button to press it;
  // QPushButton does so only for default buttons, which live in dialogs.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (!event->isAutoRepeat()) animateClick();
    return;
  }
  QPushButton::keyPressEvent(event);
}
