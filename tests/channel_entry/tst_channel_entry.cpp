// Typing into the 16 boxes: the character filter, the five-character limit, the focus ring
// with select-all, the entry-change rule, and the port selector that takes no typing.

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>

#include "main_window_rig.h"
#include "settings_sandbox.h"
#include "ui/channel_box.h"
#include "ui/port_selector.h"

using namespace hopper;
using namespace hopper::test;
using test::MainWindowRig;

class ChannelEntryTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<test::SettingsSandbox> sandbox_;
  std::unique_ptr<MainWindowRig> rig_;

  ChannelBox* Box(int i) { return ChannelBoxAt(*rig_->window, i); }

 private slots:
  void initTestCase() { sandbox_ = std::make_unique<test::SettingsSandbox>(); }
  void init() {
    rig_ = std::make_unique<MainWindowRig>();
    QVERIFY(rig_->StartAndShow());
  }
  void cleanup() { rig_.reset(); }

  void typedCharactersAreFiltered_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits") << QStringLiteral("123") << QStringLiteral("123");
    QTest::newRow("letters, sign, space, point dropped") << QStringLiteral("1a-2 .3") << QStringLiteral("123");
    QTest::newRow("leading zeros stay") << QStringLiteral("007") << QStringLiteral("007");
    QTest::newRow("full-width digit dropped") << QStringLiteral("4\uFF15") << QStringLiteral("4");
    QTest::newRow("six digits keep five") << QStringLiteral("123456") << QStringLiteral("12345");
    QTest::newRow("above the hopper's range") << QStringLiteral("99999") << QStringLiteral("99999");
  }
  void typedCharactersAreFiltered() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Box(2)->clear();
    // Character by character with its text, so characters beyond Latin-1 can be typed too.
    for (const QChar c : typed) QTest::sendKeyEvent(QTest::Click, Box(2), Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(Box(2)->text(), shown);
    QVERIFY(rig_->messages.shown.isEmpty());
  }

  void backspaceAndDeleteKeepTheirEffect() {
    Box(0)->setText(QStringLiteral("12"));
    Box(0)->setFocus();
    Box(0)->end(false);
    QTest::keyClick(Box(0), Qt::Key_Backspace);
    QCOMPARE(Box(0)->text(), QStringLiteral("1"));
    QTest::keyClick(Box(0), Qt::Key_Home);
    QTest::keyClick(Box(0), Qt::Key_Delete);
    QCOMPARE(Box(0)->text(), QString());  // an empty box is allowed, with no message
    QVERIFY(rig_->messages.shown.isEmpty());
  }

  void focusRing_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("to");
    QTest::newRow("Enter forward") << 3 << int(Qt::Key_Return) << 0 << 4;
    QTest::newRow("keypad Enter forward") << 3 << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 4;
    QTest::newRow("Right forward") << 3 << int(Qt::Key_Right) << 0 << 4;
    QTest::newRow("Down forward") << 3 << int(Qt::Key_Down) << 0 << 4;
    QTest::newRow("Left back") << 3 << int(Qt::Key_Left) << 0 << 2;
    QTest::newRow("Up back") << 3 << int(Qt::Key_Up) << 0 << 2;
    QTest::newRow("Enter in Channel16 to Channel1") << 15 << int(Qt::Key_Return) << 0 << 0;
    QTest::newRow("Up in Channel1 to Channel16") << 0 << int(Qt::Key_Up) << 0 << 15;
    QTest::newRow("Shift held still moves") << 7 << int(Qt::Key_Right) << int(Qt::ShiftModifier) << 8;
  }
  void focusRing() {
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, to);
    rig_->window->SetEntryText(to, QStringLiteral("4321"));
    Box(from)->setFocus();
    QTest::keyClick(Box(from), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(QApplication::focusWidget(), Box(to));
    QCOMPARE(Box(to)->selectedText(), QStringLiteral("4321"));
    QTest::keyClick(Box(to), Qt::Key_7);  // the next digit replaces the old value
    QCOMPARE(Box(to)->text(), QStringLiteral("7"));
  }

  void lockedBoxStillMovesFocus() {
    rig_->window->SetEntryText(1, QStringLiteral("55"));
    for (ChannelBox* box : ChannelBoxes(*rig_->window)) box->setReadOnly(true);
    Box(0)->setFocus();
    QTest::keyClick(Box(0), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), Box(1));
    QTest::keyClick(Box(1), Qt::Key_9);
    QCOMPARE(Box(1)->text(), QStringLiteral("55"));
  }

  void tabOrderFollowsChannels() {
    Box(0)->setFocus();
    for (int i = 1; i < kChannelCount; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), Box(i));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), SaveButton(*rig_->window));
    // On through Exit and the port, and round to Channel1: nothing on the way keeps the focus.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ExitButton(*rig_->window));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(PortSelectorOf(*rig_->window)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Box(0));
  }

  void pastedTextThatIsNotDigitsIsRejected() {
    QGuiApplication::clipboard()->setText(QStringLiteral("12a"));
    Box(6)->clear();
    Box(6)->setFocus();
    Box(6)->paste();
    QCOMPARE(rig_->messages.shown.size(), 1);
    const Message& m = rig_->messages.shown.first();
    QCOMPARE(m.text, QStringLiteral("Hey man~~!Just number only"));
    QCOMPARE(m.icon, MessageIcon::None);
    QVERIFY(m.title.isEmpty());  // the application title
    QCOMPARE(Box(6)->text(), QStringLiteral("0"));
  }

  void pastedDigitsAreTakenUpToFive() {
    QGuiApplication::clipboard()->setText(QStringLiteral("1234567"));
    Box(6)->clear();
    Box(6)->paste();
    QCOMPARE(Box(6)->text(), QStringLiteral("12345"));
    QVERIFY(rig_->messages.shown.isEmpty());
  }

  void programSetTextFollowsTheSameRules_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("messages");
    QTest::newRow("coin number") << QStringLiteral("65535") << QStringLiteral("65535") << 0;
    QTest::newRow("longer text keeps five") << QStringLiteral("1234567") << QStringLiteral("12345") << 0;
    QTest::newRow("not digits") << QStringLiteral("-1") << QStringLiteral("0") << 1;
    QTest::newRow("empty") << QString() << QString() << 0;
  }
  void programSetTextFollowsTheSameRules() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(int, messages);
    rig_->window->SetEntryText(9, text);
    QCOMPARE(rig_->window->EntryText(9), shown);
    QCOMPARE(rig_->messages.shown.size(), messages);
    for (int i = 0; i < kChannelCount; ++i)
      if (i != 9) QCOMPARE(rig_->window->EntryText(i), QStringLiteral("0"));
  }

  void selectorTakesNoTyping() {
    PortSelector* combo = PortSelectorOf(*rig_->window);
    QGuiApplication::clipboard()->setText(QStringLiteral("kept elsewhere"));
    combo->setFocus();
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());  // focus clears the clipboard
    QTest::keyClicks(combo, QStringLiteral("3x"));
    QTest::keyClick(combo, Qt::Key_Backspace);
    QCOMPARE(combo->currentText(), QStringLiteral("COM1"));
    QCOMPARE(rig_->window->Port().PortNumber(), 1);
  }
};

QTEST_MAIN(ChannelEntryTest)
#include "tst_channel_entry.moc"
