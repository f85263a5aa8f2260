// The real message box: its texts, icon, title and OK button. The test answers the box itself
// from inside its own event loop, so nothing waits on a person.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/message_box.h"

using namespace hopper;

namespace {

struct SeenBox {
  QString text, informative, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  bool found = false;
};

// Shows `message` and presses OK on the box as soon as it is up; returns what the box showed.
SeenBox ShowAndAnswer(const Message& message) {
  SeenBox seen;
  QTimer::singleShot(0, [&seen] {
    (void)QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }, 10000);
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      // Never leave a box standing: close whatever message box there is.
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* other = qobject_cast<QMessageBox*>(w)) other->done(0);
      return;
    }
    seen = {box->text(), box->informativeText(), box->windowTitle(), box->icon(),
            static_cast<int>(box->buttons().size()), true};
    box->button(QMessageBox::Ok)->click();
  });
  QtMessageBoxes().Show(nullptr, message);
  return seen;
}

}  // namespace

class MessageBoxTest : public QObject {
  Q_OBJECT
 private slots:
  void showsTheMessageAsGiven_data() {
    QTest::addColumn<Message>("message");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::newRow("port error") << Message{"Port Number Error", MessageIcon::Critical, "Error", "Device: /dev/ttyS9"}
                                << "Port Number Error" << "Error" << QMessageBox::Critical;
    QTest::newRow("entry rule, application title") << Message{"Hey man~~!Just number only", MessageIcon::None, {}, {}}
                                                   << "Hey man~~!Just number only" << ApplicationTitle()
                                                   << QMessageBox::NoIcon;
    QTest::newRow("two lines joined by a carriage return")
        << Message{"Receive Error perhaps incorrect interface\rswitch to Vorn interface then Restart Hopper",
                   MessageIcon::Exclamation, {}, {}}
        << "Receive Error perhaps incorrect interface\nswitch to Vorn interface then Restart Hopper"
        << ApplicationTitle() << QMessageBox::Warning;
  }
  void showsTheMessageAsGiven() {
    QFETCH(Message, message);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QMessageBox::Icon, icon);
    const SeenBox seen = ShowAndAnswer(message);
    QVERIFY(seen.found);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.icon, icon);
    QCOMPARE(seen.informative, message.informative);
    QCOMPARE(seen.buttons, 1);  // OK only
  }
};

QTEST_MAIN(MessageBoxTest)
#include "tst_message_box.moc"
