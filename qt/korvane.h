// The main window: three input boxes, two buttons and the problem box. It reads
// the boxes, hands their texts to the calculation core and writes the problem
// box; it computes and formats nothing itself.
#pragma once

#include <QWidget>
#include <QtGlobal>
#include <array>
#include <memory>

#include "calc/number_format.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class PictureBox;

namespace Ui {
class Korvane;
}

class Korvane : public QWidget {
  Q_OBJECT

 public:
  // `format` is how the report writes numbers: the user's locale, read once at start-up.
  explicit Korvane(calc::NumberFormat format, QWidget* parent = nullptr);
  ~Korvane() override;

 private:
  void Form_Load();
  void Command1_Click(qint16 index);
  void ClearInputs();
  void CalculateCross();

  std::unique_ptr<Ui::Korvane> ui_;
  calc::NumberFormat format_;
  // The control arrays, indexed as the handlers expect.
  std::array<QPlainTextEdit*, 2> Text1{};
  std::array<QLineEdit*, 3> Text2{};
  std::array<QPushButton*, 2> Command1{};
  PictureBox* Picture1 = nullptr;
};
