// The window as a user meets it: its controls as the form describes them (read as ui/form.py
// reads ui/korvane.ui for the other front ends), what it draws, and what the buttons, Return and
// the keyboard do to the boxes, with the reports of tests/cases. Runs on the offscreen platform.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/locale_format.h"
#include "platform/startup.h"
#include "qt/korvane.h"
#include "qt/picture_box.h"
#include "tests/cases/cases.h"

namespace {

const QJsonObject& Form() {
  static const QJsonObject form = [] {
    QFile file(QStringLiteral(KORVANE_FORM_JSON));
    if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", KORVANE_FORM_JSON);
    return QJsonDocument::fromJson(file.readAll()).object();
  }();
  return form;
}

QString Id(const QJsonObject& c) {
  return c["index"].isNull() ? c["name"].toString()
                             : QStringLiteral("%1_%2").arg(c["name"].toString()).arg(c["index"].toInt());
}

// A control of the form by its id (Text2_0); the window itself for any other name.
QJsonObject FormControl(const QString& id) {
  for (const QJsonValue& c : Form()["controls"].toArray())
    if (Id(c.toObject()) == id) return c.toObject();
  return Form();
}

QColor Colour(const QJsonValue& rgb) {
  const QJsonArray a = rgb.toArray();
  return a.isEmpty() ? QColor() : QColor(a[0].toInt(), a[1].toInt(), a[2].toInt());
}

// The text a control of the form opens with: the problem statement for the problem box.
QString FormText(const QString& id = QStringLiteral("Text1_0")) { return FormControl(id)["text"].toString(); }

// A case of report.txt as the problem box shows it, its lines ending in LF.
QString Shown(const std::string& text) { return QString::fromStdString(text).replace(QStringLiteral("\r\n"), "\n"); }
QString Report(const char* name) { return Shown(cases::ReportCases().Text(name)); }
QString ErrorLine() { return Shown(cases::ReportCases().error_line); }
QStringList Inputs(const char* name) {
  QStringList inputs;
  for (const std::string& text : cases::ReportCases()[name].inputs) inputs << QString::fromStdString(text);
  return inputs;
}

// The text a control shows, whatever its kind.
QString Caption(const QWidget* w) {
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
  if (auto* b = qobject_cast<const QPushButton*>(w)) return b->text();
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
  if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
  if (auto* t = qobject_cast<const QPlainTextEdit*>(w)) return t->toPlainText();
  return {};
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void controls_data();
  void controls();
  void colours_data();
  void colours();
  void inputBordersAreWhole();
  void windowProperties();
  void startState();
  void sequences_data();
  void sequences();
  void returnCalculates_data();
  void returnCalculates();
  void inputsTakeFourCharacters_data();
  void inputsTakeFourCharacters();
  void tabOrder();
  void keyOnFocusedButtonPresses_data();
  void keyOnFocusedButtonPresses();
  void keyboardOnlyCalculation();
  void problemBoxCopiesTheReport();
  void problemBoxIsNotEditable();
  void bulgarianReportHasDecimalCommas();

 private:
  template <class T>
  T* Child(const char* name) {
    auto* w = window_->findChild<T*>(QString::fromLatin1(name));
    if (!w) qFatal("no control %s", name);
    return w;
  }
  void Press(const char* button) { QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton); }
  QString ProblemBox() { return Child<QPlainTextEdit>("Text1_0")->toPlainText(); }
  void ShowAndActivate() {
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

  std::unique_ptr<Korvane> window_;
};

void WindowTest::init() { window_ = std::make_unique<Korvane>(calc::NumberFormat{}); }
void WindowTest::cleanup() { window_.reset(); }

// Each control of the form, as the window built from it shows it.
void WindowTest::controls_data() {
  QTest::addColumn<QString>("id");
  for (const QJsonValue& c : Form()["controls"].toArray())
    QTest::newRow(qPrintable(Id(c.toObject()))) << Id(c.toObject());
}

void WindowTest::controls() {
  QFETCH(QString, id);
  const QJsonObject c = FormControl(id);
  auto* w = window_->findChild<QWidget*>(id);
  QVERIFY(w);
  QCOMPARE(w->parentWidget()->objectName(),
           c["container"].isNull() ? QStringLiteral("Korvane") : c["container"].toString());
  const QRect place(w->mapTo(window_.get(), QPoint(0, 0)), w->size());
  QCOMPARE(place, QRect(c["x"].toInt(), c["y"].toInt(), c["width"].toInt(), c["height"].toInt()));
  QCOMPARE(Caption(w), c["text"].toString());
  QCOMPARE(w->isVisibleTo(window_.get()), c["visible"].toBool());
  QCOMPARE(w->accessibleName(), c["accessible_name"].toString());
  QCOMPARE(w->font().family(), Form()["font_family"].toString());
  QCOMPARE(w->font().pointSize(), Form()["font_points"].toInt());
  QVERIFY(!w->font().bold() && !w->font().italic() && !w->font().underline() && !w->font().strikeOut());
  // The generated front ends centre an input's text both ways, and draw a label's from the top.
  const bool centred = c["align"].toString() == "center";
  if (auto* box = qobject_cast<QLineEdit*>(w)) {
    QCOMPARE(box->maxLength(), c["max_length"].toInt());
    QCOMPARE(box->alignment() == Qt::AlignCenter, centred);
  }
  if (auto* label = qobject_cast<QLabel*>(w)) {
    QCOMPARE(label->alignment(), (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    QCOMPARE(label->palette().color(QPalette::Window), Colour(c["background"]));
    QCOMPARE(label->buddy() ? label->buddy()->objectName() : QString(), c["buddy"].toString());
  }
  if (qobject_cast<QPushButton*>(w)) QCOMPARE(w->palette().color(QPalette::Button), Colour(c["background"]));
  if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
    QCOMPARE(text->isReadOnly(), c["read_only"].toBool());
    QCOMPARE(text->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, c["vertical_scroll_bar"].toBool());
  }
}

// A colour is what the control draws, sampled away from its text and border.
void WindowTest::colours_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QPoint>("at");
  QTest::addColumn<int>("tolerance");  // the style may shade a panel by a few levels
  QTest::newRow("window") << "Korvane" << QPoint(2, 2) << 0;
  QTest::newRow("window beside the frame") << "Korvane" << QPoint(478, 100) << 0;
  QTest::newRow("frame") << "Frame1" << QPoint(100, 112) << 4;
  QTest::newRow("Label1(0)") << "Label1_0" << QPoint(3, 22) << 0;
  QTest::newRow("Label2(0)") << "Label2_0" << QPoint(118, 24) << 0;
  QTest::newRow("Label2(3)") << "Label2_3" << QPoint(2, 24) << 0;
  QTest::newRow("calculate button") << "Command1_0" << QPoint(5, 5) << 0;
  QTest::newRow("clear button") << "Command1_1" << QPoint(5, 5) << 0;
}

void WindowTest::colours() {
  QFETCH(QString, name);
  QFETCH(QPoint, at);
  QFETCH(int, tolerance);
  QWidget* w = name == "Korvane" ? window_.get() : window_->findChild<QWidget*>(name);
  QVERIFY(w);
  // A control without a colour of its own in the form shows the window's.
  const QJsonValue own = FormControl(name)["background"];
  const QColor colour = Colour(own.isNull() ? Form()["background"] : own);
  const QImage image = w->grab().toImage();
  const QColor drawn = image.pixelColor(at * image.devicePixelRatio());
  const int off = std::max({std::abs(drawn.red() - colour.red()), std::abs(drawn.green() - colour.green()),
                            std::abs(drawn.blue() - colour.blue())});
  QVERIFY2(off <= tolerance, qPrintable(QStringLiteral("drawn %1, wanted %2").arg(drawn.name(), colour.name())));
}

// The labels overlap the input boxes by a pixel: the boxes' left borders must stay
// whole, drawn over the label rather than hidden under it.
void WindowTest::inputBordersAreWhole() {
  const QImage window = window_->grab().toImage();
  const QColor label = Colour(FormControl("Label2_0")["background"]);
  for (const char* name : {"Text2_0", "Text2_1", "Text2_2"}) {
    auto* box = Child<QLineEdit>(name);
    for (int y = 3; y < box->height() - 3; y += 4) {
      const QColor drawn = window.pixelColor(box->mapTo(window_.get(), QPoint(0, y)));
      QVERIFY2(std::abs(drawn.red() - label.red()) + std::abs(drawn.blue() - label.blue()) > 60,
               qPrintable(QStringLiteral("%1 at y %2 shows the label's colour %3").arg(name).arg(y).arg(drawn.name())));
    }
  }
}

void WindowTest::windowProperties() {
  QCOMPARE(window_->windowTitle(), QStringLiteral("www.korvane.example  ") + Form()["caption_text"].toString());
  QCOMPARE(window_->size(), QSize(Form()["width"].toInt(), Form()["height"].toInt()));
  QCOMPARE(window_->minimumSize(), window_->maximumSize());
  QCOMPARE(window_->palette().color(QPalette::Window), Colour(Form()["background"]));
  QCOMPARE(window_->font().family(), Form()["font_family"].toString());
  QCOMPARE(window_->font().pointSize(), Form()["font_points"].toInt());
  QVERIFY(!window_->windowIcon().isNull());
  QCOMPARE(window_->windowIcon().availableSizes().value(0), QSize(32, 32));
  QCOMPARE(Child<PictureBox>("Picture1")->pixmap().size(), QSize(250, 159));
  QCOMPARE(Child<PictureBox>("Picture1")->frameWidth(), 2);
  // The window has the form's controls and no other.
  QStringList ids, found;
  for (const QJsonValue& c : Form()["controls"].toArray()) ids << Id(c.toObject());
  for (QWidget* w : window_->findChildren<QWidget*>(QRegularExpression("^(Text|Label|Command|Frame|Picture)\\d")))
    found << w->objectName();
  ids.sort();
  found.sort();
  QCOMPARE(found, ids);
}

void WindowTest::startState() {
  ShowAndActivate();
  const QStringList example = Inputs("Example");
  for (int i = 0; i < 3; ++i)
    QCOMPARE(Child<QLineEdit>(qPrintable(QStringLiteral("Text2_%1").arg(i)))->text(), example[i]);
  QCOMPARE(ProblemBox(), FormText());
  QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>("Text2_0"));
  QCOMPARE(Child<QLineEdit>("Text2_0")->selectedText(), example[0]);
}

// Steps: "calc", "clear", or "N=text" to retype input box N. Then what the boxes hold.
void WindowTest::sequences_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<QString>("problemBox");  // "statement" for the problem statement
  QTest::addColumn<QStringList>("inputs");

  const QString report = Report("Example"), error = ErrorLine();
  const QStringList example = Inputs("Example"), empty = {"", "", ""};
  QTest::newRow("start, calculate") << QStringList{"calc"} << report << example;
  QTest::newRow("clear") << QStringList{"clear"} << "" << empty;
  QTest::newRow("clear twice") << QStringList{"clear", "clear"} << "" << empty;
  QTest::newRow("clear, calculate") << QStringList{"clear", "calc"} << error << empty;
  QTest::newRow("calculate twice") << QStringList{"calc", "calc"} << report << example;
  QTest::newRow("error, then good input") << QStringList{"2=110", "calc", "2=50", "calc"} << report << example;
  QTest::newRow("good, then error") << QStringList{"calc", "0=-5", "calc"} << error << QStringList{"-5", "28", "50"};
  QTest::newRow("share above 100 %") << QStringList{"2=101", "calc"} << error << QStringList{"37", "28", "101"};
  QTest::newRow("clear, type, calculate") << QStringList{"clear", "0=37", "1=28", "2=50", "calc"} << report << example;
  QTest::newRow("nothing before a click") << QStringList{} << "statement" << example;
}

void WindowTest::sequences() {
  QFETCH(QStringList, steps);
  QFETCH(QString, problemBox);
  QFETCH(QStringList, inputs);
  for (const QString& step : steps) {
    if (step == "calc") {
      Press("Command1_0");
    } else if (step == "clear") {
      Press("Command1_1");
    } else {
      auto* box = window_->findChild<QLineEdit*>(QStringLiteral("Text2_") + step.at(0));
      box->selectAll();
      QTest::keyClicks(box, step.mid(2));
    }
  }
  QCOMPARE(ProblemBox(), problemBox == "statement" ? FormText() : problemBox);
  for (int i = 0; i < 3; ++i)
    QCOMPARE(Child<QLineEdit>(qPrintable(QStringLiteral("Text2_%1").arg(i)))->text(), inputs[i]);
  QCOMPARE(Child<QPlainTextEdit>("Text1_1")->toPlainText(), FormText("Text1_1"));
}

void WindowTest::returnCalculates_data() {
  QTest::addColumn<QString>("box");
  QTest::newRow("length") << "Text2_0";
  QTest::newRow("width") << "Text2_1";
  QTest::newRow("share") << "Text2_2";
}

void WindowTest::returnCalculates() {
  QFETCH(QString, box);
  QTest::keyClick(window_->findChild<QLineEdit*>(box), Qt::Key_Return);
  QCOMPARE(ProblemBox(), Report("Example"));
}

void WindowTest::inputsTakeFourCharacters_data() {
  QTest::addColumn<bool>("paste");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("kept");
  QTest::newRow("typed") << false << "12345"
                         << "1234";
  QTest::newRow("pasted") << true << "12345"
                          << "1234";
  QTest::newRow("pasted Cyrillic") << true << "тридесет"
                                   << "трид";
  QTest::newRow("pasted long text") << true << QString(100000, QLatin1Char('9')) << "9999";
}

void WindowTest::inputsTakeFourCharacters() {
  QFETCH(bool, paste);
  QFETCH(QString, text);
  QFETCH(QString, kept);
  auto* box = Child<QLineEdit>("Text2_1");
  box->clear();
  if (paste) {
    QApplication::clipboard()->setText(text);
    box->paste();
  } else {
    QTest::keyClicks(box, text);
  }
  QCOMPARE(box->text(), kept);
  Press("Command1_0");
  QVERIFY(!ProblemBox().contains(QStringLiteral("inf")) && !ProblemBox().contains(QStringLiteral("nan")));
}

// Tab walks the form's inputs, buttons and text boxes that show, in its tab order, round to the first.
void WindowTest::tabOrder() {
  QStringList order;
  for (const QJsonValue& value : Form()["controls"].toArray()) {
    const QJsonObject c = value.toObject();
    if (c["visible"].toBool() && QStringList{"input", "button", "textbox"}.contains(c["kind"].toString()))
      order << Id(c);
  }
  order << order.first();
  ShowAndActivate();
  window_->findChild<QWidget*>(order.first())->setFocus();
  QStringList visited;
  for (int i = 0; i < order.size(); ++i) {
    visited << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  QCOMPARE(visited, order);
}

void WindowTest::keyOnFocusedButtonPresses_data() {
  QTest::addColumn<int>("key");
  QTest::newRow("Space") << int(Qt::Key_Space);
  QTest::newRow("Return") << int(Qt::Key_Return);
  QTest::newRow("Enter") << int(Qt::Key_Enter);
}

void WindowTest::keyOnFocusedButtonPresses() {
  QFETCH(int, key);
  ShowAndActivate();
  auto* calculate = Child<QPushButton>("Command1_0");
  calculate->setFocus();
  QTest::keyClick(calculate, Qt::Key(key));
  QTRY_COMPARE(ProblemBox(), Report("Example"));
  auto* clear = Child<QPushButton>("Command1_1");
  clear->setFocus();
  QTest::keyClick(clear, Qt::Key(key));
  QTRY_COMPARE(ProblemBox(), QString());
}

// From the first box to a report with nothing but the keyboard; Tab selects a box's text.
void WindowTest::keyboardOnlyCalculation() {
  ShowAndActivate();
  const auto type = [](const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); };
  const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
  const QStringList inputs = Inputs("WholeSquareFlagAtHundredPercent");
  type(inputs[0]);
  key(Qt::Key_Tab);
  type(inputs[1]);
  for (int i = 0; i < 3; ++i) key(Qt::Key_Tab);  // past both buttons to the share
  QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>("Text2_2"));
  type(inputs[2]);
  key(Qt::Key_Return);
  QCOMPARE(ProblemBox(), Report("WholeSquareFlagAtHundredPercent"));
}

void WindowTest::problemBoxCopiesTheReport() {
  ShowAndActivate();
  Press("Command1_0");
  auto* box = Child<QPlainTextEdit>("Text1_0");
  box->setFocus();
  QApplication::clipboard()->clear();
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), Report("Example"));
}

void WindowTest::problemBoxIsNotEditable() {
  ShowAndActivate();
  auto* box = Child<QPlainTextEdit>("Text1_0");
  box->setFocus();
  QTest::keyClicks(box, QStringLiteral("xyz"));
  QTest::keyClick(box, Qt::Key_Delete);
  QCOMPARE(ProblemBox(), FormText());
}

void WindowTest::bulgarianReportHasDecimalCommas() {
  window_ = std::make_unique<Korvane>(platform::NumberFormatFromLocale(QLocale(QLocale::Bulgarian, QLocale::Bulgaria)));
  Press("Command1_0");
  QCOMPARE(ProblemBox(), Report("ExampleInBulgarian"));
}

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  platform::InstallWindowFont();
  WindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_test.moc"
