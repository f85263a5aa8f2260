// The real message box: its texts, icon, title and OK button. The test answers the box itself
// from inside its own event loop, so nothing waits on a person.

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include "platform/widgets/message_box.h"
#include "platform/widgets/plain_text.h"

using namespace hopper;

namespace {

struct SeenBox {
  QString text, informative, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  bool found = false;
  bool markupOrLinks = false;  // a label of the box reads markup or would follow a link
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
    seen = {box->text(),
            box->informativeText(),
            box->windowTitle(),
            box->icon(),
            static_cast<int>(box->buttons().size()),
            true,
            false};
    for (const QLabel* label : box->findChildren<QLabel*>()) {
      seen.markupOrLinks = seen.markupOrLinks || label->textFormat() != Qt::PlainText || label->openExternalLinks() ||
                           (label->textInteractionFlags() & Qt::LinksAccessibleByMouse);
    }
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
                                << "Port Number Error"
                                << "Error" << QMessageBox::Critical;
    QTest::newRow("entry rule, application title")
        << Message{"Hey man~~!Just number only", MessageIcon::None, {}, {}} << "Hey man~~!Just number only"
        << ApplicationTitle() << QMessageBox::NoIcon;
    QTest::newRow("two lines joined by a carriage return")
        << Message{"Receive Error perhaps incorrect interface\rswitch to Vorn interface then Restart Hopper",
                   MessageIcon::Exclamation,
                   {},
                   {}}
        << "Receive Error perhaps incorrect interface\nswitch to Vorn interface then Restart Hopper"
        << ApplicationTitle() << QMessageBox::Warning;
    // Names from outside the program, as a hostile file or settings value could hold them.
    for (const char* hostile : {"<h1>Big <a href=https:&#47;&#47;example.com>fix here.txt", "<b>bold</b>", "<qt>COM1",
                                "a &lt; b", "<img src=/etc/passwd>"}) {
      const QString path = QStringLiteral("/home/tech/") + QString::fromUtf8(hostile);
      QTest::newRow(hostile) << Message{"File Does Not Exist", MessageIcon::Exclamation, "Error", path}
                             << "File Does Not Exist"
                             << "Error" << QMessageBox::Warning;
      QTest::newRow(QByteArray("main text ") + hostile)
          << Message{path, MessageIcon::Critical, "Error", {}} << path << "Error" << QMessageBox::Critical;
    }
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
    QVERIFY(!seen.markupOrLinks);
  }

  // A tool tip guesses rich text from its content: what it gets shows the text as written.
  void toolTipShowsTextAsWritten_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("device") << QStringLiteral("COM3: /dev/ttyUSB0");
    QTest::newRow("heading and link") << QStringLiteral("COM1: <h1>Big <a href=https://example.com>fix</a>");
    QTest::newRow("two lines") << QStringLiteral("Device: <b>x</b>\nPermission denied");
  }
  void toolTipShowsTextAsWritten() {
    QFETCH(QString, text);
    const QString tip = PlainToolTip(text);
    QTextDocument shown;
    if (Qt::mightBeRichText(tip)) shown.setHtml(tip);
    else shown.setPlainText(tip);
    QCOMPARE(shown.toPlainText(), text);
    QVERIFY(!tip.contains(QStringLiteral("<a ")));
  }
};

QTEST_MAIN(MessageBoxTest)
#include "tst_message_box.moc"
