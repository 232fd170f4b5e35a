#include "qt/korvane.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <utility>

#include "calc/report.h"
#include "korvane_version.h"
#include "qt/picture_box.h"
#include "ui_korvane.h"

namespace {

// The core ends its lines in CR LF; the text box wants plain line feeds.
QString DisplayText(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

Korvane::Korvane(calc::NumberFormat format, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::Korvane>()), format_(std::move(format)) {
  ui_->setupUi(this);
  // The caption is the publisher's address, two blanks, then the form's title.
  setWindowTitle(QStringLiteral(KORVANE_PUBLISHER_ADDRESS "  ") + windowTitle());
  Text1 = {ui_->Text1_0, ui_->Text1_1};
  Text2 = {ui_->Text2_0, ui_->Text2_1, ui_->Text2_2};
  Command1 = {ui_->Command1_0, ui_->Command1_1};
  Picture1 = ui_->Picture1;

  // The labels overlap the input boxes by a pixel; keep the boxes' borders whole.
  for (QLineEdit* box : Text2) box->raise();

  for (qint16 i = 0; i < static_cast<qint16>(Command1.size()); ++i)
    connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
  // Return in any input box calculates, as the calculate button does.
  for (QLineEdit* box : Text2) connect(box, &QLineEdit::returnPressed, this, [this] { Command1_Click(0); });

  Form_Load();
  Text2[0]->setFocus();
  Text2[0]->selectAll();
}

Korvane::~Korvane() = default;

void Korvane::Form_Load() {
  Picture1->setAutoSize(true);
  ClearInputs();
  Text2[0]->setText(QStringLiteral("37"));
  Text2[1]->setText(QStringLiteral("28"));
  Text2[2]->setText(QStringLiteral("50"));
}

void Korvane::Command1_Click(qint16 index) {
  if (index == 0) {
    CalculateCross();
  } else if (index == 1) {
    ClearInputs();
    Text1[0]->clear();
  }
}

void Korvane::ClearInputs() {
  for (QLineEdit* box : Text2) box->clear();
}

void Korvane::CalculateCross() {
  const std::string text = calc::ProblemBoxText(Text2[0]->text().toStdString(), Text2[1]->text().toStdString(),
                                                Text2[2]->text().toStdString(), format_);
  Text1[0]->setPlainText(DisplayText(text));
}
