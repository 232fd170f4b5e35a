// The window as a user meets it: its layout, its texts and colours, and what the
// buttons, Return and the keyboard do to the boxes. Runs on the offscreen platform.
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
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/locale_format.h"
#include "platform/startup.h"
#include "qt/korvane.h"
#include "qt/picture_box.h"

namespace {

const QString kExampleReport = QStringLiteral(
    "Хоризонталната и вертикална част на кръста образуват квадрат.\n"
    "Квадратът участва едновременно в хоризонталната и вертикалната лента на кръста.\n"
    "Съставя се квадратно уравнение за x - дебелина: \n"
    "37*x + 28*x - x*x = 37*28*0.5\n"
    "x*x - 65*x + 518 = 0\n"
    "Площ на флага: 1036\n"
    "Площ на кръста: 518.000\n"
    "Дебелина на кръста: 9.300\n");
const QString kErrorLine = QStringLiteral("Некоректни входни данни!");
const QString kStatementStart = QStringLiteral("Датският флаг има богата история");

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
  void layout_data();
  void layout();
  void colours_data();
  void colours();
  void formDescriptionAgrees();
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

// Place and size in pixels (15 twips each), from the control's container.
void WindowTest::layout_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("container");
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("alignment");  // 0: not checked

  const int centred = Qt::AlignCenter, left = Qt::AlignLeft | Qt::AlignTop, top = Qt::AlignHCenter | Qt::AlignTop;
  QTest::newRow("Frame1") << "Frame1"
                          << "Korvane" << QRect(272, 32, 201, 169) << "Размери" << 0;
  QTest::newRow("Text2(2)") << "Text2_2"
                            << "Frame1" << QRect(128, 78, 41, 27) << "50" << centred;
  QTest::newRow("Command1(1)") << "Command1_1"
                               << "Frame1" << QRect(120, 136, 73, 25) << "Изчисти" << 0;
  QTest::newRow("Command1(0)") << "Command1_0"
                               << "Frame1" << QRect(8, 120, 73, 25) << "Изчисли" << 0;
  QTest::newRow("Text2(1)") << "Text2_1"
                            << "Frame1" << QRect(128, 51, 41, 27) << "28" << centred;
  QTest::newRow("Text2(0)") << "Text2_0"
                            << "Frame1" << QRect(128, 24, 41, 27) << "37" << centred;
  QTest::newRow("Label2(3)") << "Label2_3"
                             << "Frame1" << QRect(168, 78, 25, 27) << "%" << top;
  QTest::newRow("Label2(2)") << "Label2_2"
                             << "Frame1" << QRect(8, 78, 121, 27) << "Площ на кръста" << left;
  QTest::newRow("Label2(1)") << "Label2_1"
                             << "Frame1" << QRect(8, 51, 121, 27) << "Ширина на флаг" << left;
  QTest::newRow("Label2(0)") << "Label2_0"
                             << "Frame1" << QRect(8, 24, 121, 27) << "Дължина на флаг " << left;
  QTest::newRow("Picture1") << "Picture1"
                            << "Korvane" << QRect(8, 40, 254, 163) << "" << 0;
  QTest::newRow("Text1(1)") << "Text1_1"
                            << "Korvane" << QRect(40, 312, 449, 121)
                            << "Неприятното в това да си първият, направил нещо по \n"
                               "правилния начин, е, че никой не оценява колко трудно е \n"
                               "било. \n"
                            << 0;
  QTest::newRow("Label1(0)") << "Label1_0"
                             << "Korvane" << QRect(64, 0, 305, 25) << "Математика - датски флаг" << top;
}

void WindowTest::layout() {
  QFETCH(QString, name);
  QFETCH(QString, container);
  QFETCH(QRect, geometry);
  QFETCH(QString, text);
  QFETCH(int, alignment);
  auto* w = window_->findChild<QWidget*>(name);
  QVERIFY(w);
  QCOMPARE(w->parentWidget()->objectName(), container);
  QCOMPARE(w->geometry(), geometry);
  QCOMPARE(Caption(w), text);
  QCOMPARE(w->font().family(), QStringLiteral("Times New Roman"));
  QCOMPARE(w->font().pointSize(), 12);
  QVERIFY(!w->font().bold() && !w->font().italic() && !w->font().underline() && !w->font().strikeOut());
  if (alignment) QCOMPARE(int(w->property("alignment").toInt()), alignment);
  if (auto* box = qobject_cast<QLineEdit*>(w)) QCOMPARE(box->maxLength(), 4);
}

// A colour is what the control draws, sampled away from its text and border.
void WindowTest::colours_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QPoint>("at");
  QTest::addColumn<QColor>("colour");
  QTest::addColumn<int>("tolerance");  // the style may shade a panel by a few levels
  const QColor window(128, 128, 255), label(255, 192, 128);
  QTest::newRow("window") << "Korvane" << QPoint(2, 2) << window << 0;
  QTest::newRow("window beside the frame") << "Korvane" << QPoint(478, 100) << window << 0;
  QTest::newRow("frame") << "Frame1" << QPoint(100, 112) << window << 4;
  QTest::newRow("Label1(0)") << "Label1_0" << QPoint(3, 22) << label << 0;
  QTest::newRow("Label2(0)") << "Label2_0" << QPoint(118, 24) << label << 0;
  QTest::newRow("Label2(3)") << "Label2_3" << QPoint(2, 24) << label << 0;
  QTest::newRow("calculate button") << "Command1_0" << QPoint(5, 5) << QColor(128, 255, 128) << 0;
  QTest::newRow("clear button") << "Command1_1" << QPoint(5, 5) << QColor(255, 128, 128) << 0;
}

void WindowTest::colours() {
  QFETCH(QString, name);
  QFETCH(QPoint, at);
  QFETCH(QColor, colour);
  QFETCH(int, tolerance);
  QWidget* w = name == "Korvane" ? window_.get() : window_->findChild<QWidget*>(name);
  QVERIFY(w);
  const QImage image = w->grab().toImage();
  const QColor drawn = image.pixelColor(at * image.devicePixelRatio());
  const int off = std::max({std::abs(drawn.red() - colour.red()), std::abs(drawn.green() - colour.green()),
                            std::abs(drawn.blue() - colour.blue())});
  QVERIFY2(off <= tolerance, qPrintable(QStringLiteral("drawn %1, wanted %2").arg(drawn.name(), colour.name())));
}

// The description that the Windows and web front ends are generated from (ui/form.py)
// says what this window, built by Qt from the same form, shows.
void WindowTest::formDescriptionAgrees() {
  QFile file(QStringLiteral(KORVANE_FORM_JSON));
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QJsonObject form = QJsonDocument::fromJson(file.readAll()).object();
  QVERIFY(window_->windowTitle().endsWith(QStringLiteral("  ") + form["caption_text"].toString()));
  QCOMPARE(window_->size(), QSize(form["width"].toInt(), form["height"].toInt()));
  const auto colour = [](const QJsonValue& rgb) {
    const QJsonArray a = rgb.toArray();
    return a.isEmpty() ? QColor() : QColor(a[0].toInt(), a[1].toInt(), a[2].toInt());
  };
  QCOMPARE(window_->palette().color(QPalette::Window), colour(form["background"]));
  QCOMPARE(window_->font().family(), form["font_family"].toString());
  QCOMPARE(window_->font().pointSize(), form["font_points"].toInt());

  const QJsonArray controls = form["controls"].toArray();
  QCOMPARE(controls.size(), 14);
  int tab_index = 0;
  for (const QJsonValue& value : controls) {
    const QJsonObject c = value.toObject();
    const QString id = c["index"].isNull() ? c["name"].toString()
                                           : QStringLiteral("%1_%2").arg(c["name"].toString()).arg(c["index"].toInt());
    auto* w = window_->findChild<QWidget*>(id);
    QVERIFY2(w, qPrintable(id));
    QCOMPARE(c["tab_index"].toInt(), tab_index++);
    const QRect place(w->mapTo(window_.get(), QPoint(0, 0)), w->size());
    QCOMPARE(place, QRect(c["x"].toInt(), c["y"].toInt(), c["width"].toInt(), c["height"].toInt()));
    QCOMPARE(Caption(w), c["text"].toString());
    QCOMPARE(w->isVisibleTo(window_.get()), c["visible"].toBool());
    QCOMPARE(w->accessibleName(), c["accessible_name"].toString());
    if (auto* box = qobject_cast<QLineEdit*>(w)) {
      QCOMPARE(box->maxLength(), c["max_length"].toInt());
      QCOMPARE(box->alignment() == Qt::AlignCenter, c["align"].toString() == "center");
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
      QCOMPARE(label->palette().color(QPalette::Window), colour(c["background"]));
      QCOMPARE(bool(label->alignment() & Qt::AlignHCenter), c["align"].toString() == "center");
      QCOMPARE(label->buddy() ? label->buddy()->objectName() : QString(), c["buddy"].toString());
    }
    if (qobject_cast<QPushButton*>(w)) QCOMPARE(w->palette().color(QPalette::Button), colour(c["background"]));
  }
}

// The labels overlap the input boxes by a pixel: the boxes' left borders must stay
// whole, drawn over the label rather than hidden under it.
void WindowTest::inputBordersAreWhole() {
  const QImage window = window_->grab().toImage();
  const QColor label(255, 192, 128);
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
  QCOMPARE(window_->windowTitle(), QStringLiteral("www.korvane.example  Математика - дебелина на кръста"));
  QCOMPARE(window_->size(), QSize(484, 424));
  QCOMPARE(window_->minimumSize(), window_->maximumSize());
  QVERIFY(!window_->windowIcon().isNull());
  QCOMPARE(window_->windowIcon().availableSizes().value(0), QSize(32, 32));
  QCOMPARE(Child<PictureBox>("Picture1")->pixmap().size(), QSize(250, 159));
  QCOMPARE(Child<PictureBox>("Picture1")->frameWidth(), 2);
  QVERIFY(!Child<QPlainTextEdit>("Text1_1")->isVisibleTo(window_.get()));
  QCOMPARE(Child<QPlainTextEdit>("Text1_0")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  const QStringList names = {"Text2_0", "Text2_1", "Text2_2", "Command1_0", "Command1_1", "Text1_0"};
  const QStringList spoken = {"Дължина на флаг", "Ширина на флаг", "Площ на кръста",
                              "Изчисли",         "Изчисти",        "Задача и решение"};
  for (int i = 0; i < names.size(); ++i) QCOMPARE(window_->findChild<QWidget*>(names[i])->accessibleName(), spoken[i]);
}

void WindowTest::startState() {
  ShowAndActivate();
  QCOMPARE(Child<QLineEdit>("Text2_0")->text(), QStringLiteral("37"));
  QCOMPARE(Child<QLineEdit>("Text2_1")->text(), QStringLiteral("28"));
  QCOMPARE(Child<QLineEdit>("Text2_2")->text(), QStringLiteral("50"));
  QVERIFY(ProblemBox().startsWith(kStatementStart));
  QVERIFY(ProblemBox().contains(QStringLiteral("изходни данни   изчислена")));
  QVERIFY(ProblemBox().endsWith(QStringLiteral("Пример: x =37, y = 28 Изход: d = 9.3\n")));
  QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>("Text2_0"));
  QCOMPARE(Child<QLineEdit>("Text2_0")->selectedText(), QStringLiteral("37"));
}

// Steps: "calc", "clear", or "N=text" to retype input box N. Then what the boxes hold.
void WindowTest::sequences_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<QString>("problemBox");  // "statement" for the problem statement
  QTest::addColumn<QStringList>("inputs");

  const QStringList example = {"37", "28", "50"}, empty = {"", "", ""};
  QTest::newRow("start, calculate") << QStringList{"calc"} << kExampleReport << example;
  QTest::newRow("clear") << QStringList{"clear"} << "" << empty;
  QTest::newRow("clear twice") << QStringList{"clear", "clear"} << "" << empty;
  QTest::newRow("clear, calculate") << QStringList{"clear", "calc"} << kErrorLine << empty;
  QTest::newRow("calculate twice") << QStringList{"calc", "calc"} << kExampleReport << example;
  QTest::newRow("error, then good input") << QStringList{"2=110", "calc", "2=50", "calc"} << kExampleReport << example;
  QTest::newRow("good, then error") << QStringList{"calc", "0=-5", "calc"} << kErrorLine
                                    << QStringList{"-5", "28", "50"};
  QTest::newRow("share above 100 %") << QStringList{"2=101", "calc"} << kErrorLine << QStringList{"37", "28", "101"};
  QTest::newRow("clear, type, calculate")
      << QStringList{"clear", "0=37", "1=28", "2=50", "calc"} << kExampleReport << example;
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
  if (problemBox == "statement")
    QVERIFY(ProblemBox().startsWith(kStatementStart));
  else
    QCOMPARE(ProblemBox(), problemBox);
  for (int i = 0; i < 3; ++i)
    QCOMPARE(Child<QLineEdit>(qPrintable(QStringLiteral("Text2_%1").arg(i)))->text(), inputs[i]);
  QVERIFY(Child<QPlainTextEdit>("Text1_1")->toPlainText().startsWith(QStringLiteral("Неприятното")));
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
  QCOMPARE(ProblemBox(), kExampleReport);
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

void WindowTest::tabOrder() {
  ShowAndActivate();
  Child<QPlainTextEdit>("Text1_0")->setFocus();
  QStringList visited;
  for (int i = 0; i < 7; ++i) {
    visited << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  QCOMPARE(visited, (QStringList{"Text1_0", "Text2_0", "Text2_1", "Command1_0", "Command1_1", "Text2_2", "Text1_0"}));
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
  QTRY_COMPARE(ProblemBox(), kExampleReport);
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
  type(QStringLiteral("20"));
  key(Qt::Key_Tab);
  type(QStringLiteral("20"));
  for (int i = 0; i < 3; ++i) key(Qt::Key_Tab);  // past both buttons to the share
  QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>("Text2_2"));
  type(QStringLiteral("100"));
  key(Qt::Key_Return);
  QVERIFY(ProblemBox().endsWith(QStringLiteral("Площ на кръста: 400.000\nДебелина на кръста: 20.000\n")));
}

void WindowTest::problemBoxCopiesTheReport() {
  ShowAndActivate();
  Press("Command1_0");
  auto* box = Child<QPlainTextEdit>("Text1_0");
  box->setFocus();
  QApplication::clipboard()->clear();
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), kExampleReport);
}

void WindowTest::problemBoxIsNotEditable() {
  ShowAndActivate();
  auto* box = Child<QPlainTextEdit>("Text1_0");
  box->setFocus();
  QTest::keyClicks(box, QStringLiteral("xyz"));
  QTest::keyClick(box, Qt::Key_Delete);
  QVERIFY(ProblemBox().startsWith(kStatementStart));
}

void WindowTest::bulgarianReportHasDecimalCommas() {
  window_ = std::make_unique<Korvane>(platform::NumberFormatFromLocale(QLocale(QLocale::Bulgarian, QLocale::Bulgaria)));
  Press("Command1_0");
  QVERIFY(ProblemBox().contains(QStringLiteral("37*28*0,5\n")));
  QVERIFY(ProblemBox().contains(QStringLiteral("Площ на кръста: 518,000\n")));
  QVERIFY(ProblemBox().endsWith(QStringLiteral("Дебелина на кръста: 9,300\n")));
}

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  platform::InstallWindowFont();
  WindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_test.moc"
