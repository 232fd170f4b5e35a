// Ten thousand random events on the window, from a fixed seed: typing ASCII and
// Cyrillic, pasting long texts, Return, both buttons, select-all and copy in the
// problem box. After every event the boxes must hold only what the program can
// show. Built with the sanitizers too, where it also catches leaks.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <array>
#include <random>

#include "platform/locale_format.h"
#include "platform/startup.h"
#include "qt/korvane.h"
#include "tests/cases/cases.h"

namespace {

constexpr int kEvents = 10000;
constexpr qint64 kTimeLimitMs = 240000;
const QString kReportStart = QString::fromStdString(cases::ReportCases()["Example"].lines.at(1) + "\n");
const QString kErrorLine = QString::fromStdString(cases::ReportCases().error_line);

// Types any characters, Cyrillic too, as key presses that carry their text.
void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

}  // namespace

class MonkeyTest : public QObject {
  Q_OBJECT

 private slots:
  void randomEventsKeepTheWindowSound();

 private:
  QString RandomText(std::mt19937& random, int length) {
    static const QString alphabet =
        QStringLiteral("0123456789.,+-eEdD&HhOo \t%abcxyz!@#$()[]") + QStringLiteral("абвгдежзийклмнопрстуфхцчшщъьюя");
    QString text;
    std::uniform_int_distribution<int> pick(0, static_cast<int>(alphabet.size()) - 1);
    for (int i = 0; i < length; ++i) text += alphabet.at(pick(random));
    return text;
  }
};

void MonkeyTest::randomEventsKeepTheWindowSound() {
  // A Bulgarian number format: the grouping and decimal comma get exercised too.
  Korvane window(platform::NumberFormatFromLocale(QLocale(QLocale::Bulgarian, QLocale::Bulgaria)));
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));

  std::array<QLineEdit*, 3> inputs{};
  for (int i = 0; i < 3; ++i) inputs[i] = window.findChild<QLineEdit*>(QStringLiteral("Text2_%1").arg(i));
  auto* problemBox = window.findChild<QPlainTextEdit*>(QStringLiteral("Text1_0"));
  const std::array<QPushButton*, 2> buttons = {window.findChild<QPushButton*>(QStringLiteral("Command1_0")),
                                               window.findChild<QPushButton*>(QStringLiteral("Command1_1"))};
  const QString statement = problemBox->toPlainText();

  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> action(0, 11), box(0, 2), button(0, 1), shortLength(1, 6), longLength(5, 20000),
      number(1, 100);
  QElapsedTimer clock;
  clock.start();
  int done = 0, reports = 0, errors = 0;
  for (; done < kEvents && clock.elapsed() < kTimeLimitMs; ++done) {
    QLineEdit* input = inputs[box(random)];
    switch (action(random)) {
      case 0:
      case 1:
        Type(input, RandomText(random, shortLength(random)));
        break;
      case 2:
        QTest::keyClick(input, Qt::Key_Backspace);
        break;
      case 3:
        QApplication::clipboard()->setText(RandomText(random, longLength(random)));
        input->selectAll();
        input->paste();
        break;
      case 4:
        QTest::keyClick(input, Qt::Key_Return);
        break;
      case 5:
      case 6:
        QTest::mouseClick(buttons[button(random)], Qt::LeftButton);
        break;
      case 7:
        QTest::keyClick(problemBox, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(problemBox, Qt::Key_C, Qt::ControlModifier);
        break;
      case 8:
        input->selectAll();
        QTest::keyClick(input, Qt::Key_Delete);
        break;
      default:  // a plain number, so that reports come often too
        input->selectAll();
        Type(input, QString::number(number(random)));
        break;
    }

    for (QLineEdit* each : inputs) QVERIFY2(each->text().size() <= 4, qPrintable(each->text()));
    const QString shown = problemBox->toPlainText();
    const bool report = shown.startsWith(kReportStart) && shown.count(QLatin1Char('\n')) == 8 && shown.endsWith('\n');
    QVERIFY2(shown == statement || shown == kErrorLine || shown.isEmpty() || report,
             qPrintable(QStringLiteral("event %1: %2").arg(done).arg(shown.left(200))));
    reports += report;
    errors += shown == kErrorLine;
    QVERIFY2(!shown.contains(QStringLiteral("inf"), Qt::CaseInsensitive) &&
                 !shown.contains(QStringLiteral("nan"), Qt::CaseInsensitive),
             qPrintable(shown));
  }
  QVERIFY2(done == kEvents, qPrintable(QStringLiteral("only %1 events in the time limit").arg(done)));
  qInfo("%d events in %lld ms; after them a report %d times, the error line %d times", done, clock.elapsed(), reports,
        errors);
  QVERIFY2(reports > 100 && errors > 100, "the events hardly reach a report or the error line");
}

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  platform::InstallWindowFont();
  MonkeyTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "monkey_test.moc"
