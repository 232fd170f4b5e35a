// The floor for the start-up benchmark: a bare Qt window with the same kinds and
// numbers of widgets as Korvane's, built in code, with no form, font, colours,
// style sheets, photograph or icon.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget window;
  window.setFixedSize(484, 424);
  window.setWindowTitle(QStringLiteral("bare"));
  auto* frame = new QGroupBox(QStringLiteral("frame"), &window);
  frame->setGeometry(272, 32, 201, 169);
  for (int i = 0; i < 3; ++i) {
    (new QLineEdit(QStringLiteral("37"), frame))->setGeometry(128, 24 + 27 * i, 41, 27);
    (new QLabel(QStringLiteral("label"), frame))->setGeometry(8, 24 + 27 * i, 121, 27);
  }
  (new QLabel(QStringLiteral("%"), frame))->setGeometry(168, 78, 25, 27);
  (new QPushButton(QStringLiteral("one"), frame))->setGeometry(8, 120, 73, 25);
  (new QPushButton(QStringLiteral("two"), frame))->setGeometry(120, 136, 73, 25);
  (new QLabel(&window))->setGeometry(8, 40, 254, 163);
  (new QLabel(QStringLiteral("title"), &window))->setGeometry(64, 0, 305, 25);
  (new QPlainTextEdit(QStringLiteral("text"), &window))->setGeometry(8, 216, 465, 201);
  (new QPlainTextEdit(&window))->hide();
  window.show();
  return QApplication::exec();
}
