// What the simulation window shows: its layout, the prompt and the channel selector.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "simulation_fixture.h"
#include "ui/fitted_caption.h"

class Form3ScreenTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { UseTemporarySettings(); }

  void layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Label1") << "Label1" << QRect(0, 0, 241, 33);
    QTest::newRow("Command2") << "Command2" << QRect(16, 32, 73, 25);
    QTest::newRow("Command1") << "Command1" << QRect(160, 32, 73, 25);
    QTest::newRow("Label5") << "Label5" << QRect(72, 96, 41, 17);
    QTest::newRow("Image1") << "Image1" << QRect(8, 72, 62, 102);
    QTest::newRow("Image2") << "Image2" << QRect(160, 80, 78, 82);
    QTest::newRow("Image3") << "Image3" << QRect(80, 128, 78, 33);
    QTest::newRow("Command5") << "Command5" << QRect(190, 184, 49, 33);
  }
  void layout() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Simulation sim(std::make_unique<FakeSerialPort>());
    auto* widget = sim.form->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
  }

  void windowAsCreated() {
    Simulation sim(std::make_unique<FakeSerialPort>());
    QCOMPARE(sim.form->windowTitle(), QStringLiteral("Vorn Protocol Simulation"));
    QCOMPARE(sim.form->size(), QSize(241, 218));
    QCOMPARE(sim.form->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    QCOMPARE(sim.Child<QLabel>("Image1")->pixmap().size(), QSize(62, 102));
    QCOMPARE(sim.Child<QLabel>("Image2")->pixmap().size(), QSize(78, 82));
    QVERIFY(AnimationArea(*sim.form)->pixmap().isNull());
    QVERIFY(PromptLine(*sim.form)->text().isEmpty());
    QCOMPARE(StartUpButton(*sim.form)->text(), QStringLiteral("Start up"));
    QCOMPARE(DispenseButton(*sim.form)->text(), QStringLiteral("Dispense"));
    QCOMPARE(CloseButton(*sim.form)->text(), QStringLiteral("&Close"));
    QVERIFY(!CloseButton(*sim.form)->icon().isNull());
    QCOMPARE(sim.Child<QLabel>("Label5")->text(), QStringLiteral("Channel"));
    auto* combo = ChannelSelector(*sim.form);
    QCOMPARE(combo->count(), 16);
    for (int i = 0; i < 16; ++i) QCOMPARE(combo->itemText(i), QString::number(i + 1));
    QCOMPARE(combo->currentText(), QStringLiteral("1"));
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(sim.form->ChannelCode(), std::int16_t{0x40});
    const QList<std::pair<const char*, int>> timers{{"Timer2", 150}, {"Timer3", 70}};
    for (const auto& [name, interval] : timers) {
      QCOMPARE(sim.Child<QTimer>(name)->interval(), interval);
      QCOMPARE(sim.Child<QTimer>(name)->timerType(), Qt::PreciseTimer);
    }
    QVERIFY(!AnimationTimer(*sim.form)->isActive());
    QVERIFY(PromptTimer(*sim.form)->isActive());
  }

  void closeHasTheFocusAndTabGoesToTheSelector() {
    Simulation sim(std::make_unique<FakeSerialPort>());
    sim.form->show();
    QVERIFY(QTest::qWaitForWindowActive(sim.form.get()));
    QCOMPARE(QApplication::focusWidget(), CloseButton(*sim.form));
    QCOMPARE(CloseButton(*sim.form)->nextInFocusChain(), ChannelSelector(*sim.form));
  }

  void promptTypesTheOpeningTextThenTheSelectText() {
    Simulation sim(std::make_unique<FakeSerialPort>());
    sim.StopTimers();
    auto* line = PromptLine(*sim.form);
    const QString opening = QString::fromLatin1(hopper::kOpeningPrompt.data(), 73);
    for (int tick = 1; tick <= 73; ++tick) {
      sim.form->PromptTick();
      QCOMPARE(line->text(), opening.left(tick));
    }
    sim.form->PromptTick();
    QCOMPARE(line->text(), opening);
    sim.form->PromptTick();
    QCOMPARE(line->text(), QStringLiteral("A"));

    StartUpButton(*sim.form)->click();
    QVERIFY(line->text().isEmpty());  // cleared at once
    for (int tick = 1; tick <= 7; ++tick) {
      sim.form->PromptTick();
      QCOMPARE(line->text(), QString(tick, QLatin1Char(' ')));
    }
    sim.form->PromptTick();
    QCOMPARE(line->text(), QStringLiteral("       S"));
    StartUpButton(*sim.form)->click();  // starts the select prompt again
    sim.form->PromptTick();
    QCOMPARE(line->text(), QStringLiteral(" "));
    DispenseButton(*sim.form)->click();  // "Dispense" leaves the prompt alone
    sim.form->PromptTick();
    QCOMPARE(line->text(), QStringLiteral("  "));
  }

  void promptLooksAsAPlainLabelWould() {
    Simulation sim(std::make_unique<FakeSerialPort>());
    sim.StopTimers();
    sim.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(sim.form.get()));
    auto* line = PromptLine(*sim.form);
    QLabel plain(sim.form.get());
    plain.setGeometry(line->geometry());
    plain.setAlignment(line->alignment());
    plain.setWordWrap(true);
    plain.hide();
    // What the screen holds after the tick's repaint, against the plain label drawn whole.
    const auto looksTheSame = [&] {
      QCoreApplication::processEvents();
      const QImage shown = sim.form->screen()->grabWindow(sim.form->winId()).toImage().copy(line->geometry());
      plain.setFont(line->font());  // each prompt is fitted to the line
      plain.setText(line->text());
      plain.show();
      line->hide();
      const QImage plainly = sim.form->grab(line->geometry()).toImage();
      plain.hide();
      line->show();
      QCoreApplication::processEvents();
      return shown.convertToFormat(QImage::Format_RGB32) == plainly.convertToFormat(QImage::Format_RGB32);
    };
    for (int tick = 0; tick < 80; ++tick) {
      sim.form->PromptTick();
      QVERIFY2(looksTheSame(), qPrintable(line->text()));
    }
    StartUpButton(*sim.form)->click();
    for (int tick = 0; tick < 46; ++tick) {
      sim.form->PromptTick();
      QVERIFY2(looksTheSame(), qPrintable(line->text()));
    }
  }

  void typingIntoTheSelectorChangesNothing_data() {
    QTest::addColumn<int>("pickedFirst");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("atTheSelector");  // keys sent to the selector, as the keyboard does, or to its text part
    for (const bool atTheSelector : {true, false}) {
      const char* where = atTheSelector ? "selector" : "text part";
      QTest::addRow("a digit, %s", where) << -1 << "5" << atTheSelector;
      QTest::addRow("letters, %s", where) << -1 << "ab" << atTheSelector;
      QTest::addRow("after picking 3, %s", where) << 2 << "5" << atTheSelector;
    }
  }
  void typingIntoTheSelectorChangesNothing() {
    QFETCH(int, pickedFirst);
    QFETCH(QString, typed);
    QFETCH(bool, atTheSelector);
    Simulation sim(std::make_unique<FakeSerialPort>());
    auto* combo = ChannelSelector(*sim.form);
    if (pickedFirst >= 0) combo->setCurrentIndex(pickedFirst);
    QWidget* target = atTheSelector ? static_cast<QWidget*>(combo) : combo->lineEdit();
    const QString text = combo->currentText();
    const int index = combo->currentIndex();
    const std::int16_t code = sim.form->ChannelCode();
    auto unchanged = [&] {
      return combo->currentText() == text && combo->currentIndex() == index && sim.form->ChannelCode() == code;
    };
    for (const QChar c : typed) {
      QTest::keyClick(target, c.toLatin1());
      QVERIFY(unchanged());
    }
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      QTest::keyClick(target, key);
      QVERIFY(unchanged());
    }
  }

  // The whole prompt fits its line above the buttons, also in a larger desktop font.
  void promptFitsItsLine_data() {
    QTest::addColumn<double>("scale");
    QTest::newRow("default font") << 1.0;
    QTest::newRow("font of a 144 dpi desktop") << 1.5;
  }
  void promptFitsItsLine() {
    QFETCH(double, scale);
    const QFont saved = QApplication::font();
    QFont larger = saved;
    larger.setPointSizeF(saved.pointSizeF() * scale);
    QApplication::setFont(larger);
    Simulation sim(std::make_unique<FakeSerialPort>());
    QApplication::setFont(saved);
    auto* line = PromptLine(*sim.form);
    const auto fits = [line](std::string_view prompt) {
      const QString text = QString::fromLatin1(prompt.data(), qsizetype(prompt.size()));
      return hopper::WrappedTextFits(line->font(), text, line->contentsRect().size());
    };
    QVERIFY(fits(hopper::kOpeningPrompt));
    StartUpButton(*sim.form)->click();
    QVERIFY(fits(hopper::kSelectPrompt));
  }

  void tabMovesOnFromTheSelector() {
    Simulation sim(std::make_unique<FakeSerialPort>());
    sim.form->show();
    QVERIFY(QTest::qWaitForWindowActive(sim.form.get()));
    auto* combo = ChannelSelector(*sim.form);
    combo->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(combo->hasFocus(), 5000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), StartUpButton(*sim.form));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), DispenseButton(*sim.form));
    combo->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), CloseButton(*sim.form));
    QCOMPARE(combo->currentText(), QStringLiteral("1"));
  }

  void arrowKeysPickFromTheList() {
    Simulation sim(std::make_unique<FakeSerialPort>());
    auto* combo = ChannelSelector(*sim.form);
    combo->setCurrentIndex(3);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Down);
    QCOMPARE(combo->currentText(), QStringLiteral("5"));
    QCOMPARE(sim.form->ChannelCode(), std::int16_t{0x44});
  }

  void reopeningStartsAgainAtChannel1AndTheOpeningPrompt() {
    hopper::RecordingMessageBoxes messages;
    {
      hopper::SimulationWindow first(kTestPort, messages, ProgramFolder(), std::make_unique<FakeSerialPort>());
      ChannelSelector(first)->setCurrentIndex(9);
      StartUpButton(first)->click();
      first.close();
    }
    hopper::SimulationWindow again(kTestPort, messages, ProgramFolder(), std::make_unique<FakeSerialPort>());
    auto* combo = ChannelSelector(again);
    QCOMPARE(combo->currentText(), QStringLiteral("1"));
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(again.ChannelCode(), std::int16_t{0x40});
    again.PromptTick();
    QCOMPARE(PromptLine(again)->text(), QStringLiteral("A"));
  }
};

int RunForm3ScreenTests(int argc, char** argv) {
  Form3ScreenTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "simulation_screen_test.moc"
