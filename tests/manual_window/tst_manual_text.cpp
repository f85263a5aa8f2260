// The operating manual shipped beside the program: it reads cleanly through our reader, has
// headings, lists and a coloured warning, and explains every message the tool can show.

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "platform/rich_text/rtf_reader.h"

using hopper::RtfFileStatus;
using hopper::RtfReader;

class TestManualText : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QCOMPARE(RtfReader::ReadFile(QStringLiteral(HOPPER_MANUAL_PATH), &manual_), RtfFileStatus::Read);
    QVERIFY(manual_.blockCount() > 50);
  }

  void explainsEveryMessage_data() {
    QTest::addColumn<QString>("message");
    for (const char* text : {"Port Number Error",
                             "Port Already In Use",
                             "Switch on Kavoo",
                             "Enter Data (Do not Reset hopper)",
                             "Saving",
                             "Save complete",
                             "No Response",
                             "Data Error",
                             "Exceed the range",
                             "Unavailable setting",
                             "Checksum Error,Reset hopper",
                             "Comunication Error,Reset hopper",
                             "Save faild,Reset hopper",
                             "Receive Error perhaps incorrect interface",
                             "switch to Vorn interface then Restart Hopper",
                             "Hey man~~!Just number only",
                             "File Does Not Exist",
                             "Unable to load , Please check file",
                             "File Not Exist Or Be Opened",
                             "File Does Not Exist Or In Using",
                             "LOAD FILE",
                             "SAVE FIEL",
                             "After Save Setting Please Reset Hopper!While Hopper Ready Press [Startup]",
                             "Select a Channel Then Press Dispense",
                             "Hopper kit.ini",
                             "dialout",
                             "The file could not be opened; no channel was changed.",
                             "The file could not be read to its end; no channel was changed.",
                             "This is not a regular file; choose a parameter file.",
                             "The file held only"}) {
      QTest::newRow(text) << QString::fromUtf8(text);
    }
  }
  void explainsEveryMessage() {
    QFETCH(QString, message);
    QVERIFY2(!manual_.find(message, 0, QTextDocument::FindCaseSensitively).isNull(), qPrintable(message));
  }

  void hasHeadingsListsAndAColouredWarning() {
    bool bigBold = false, indented = false, red = false;
    for (QTextBlock block = manual_.begin(); block.isValid(); block = block.next()) {
      indented |= block.blockFormat().leftMargin() > 0;
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat f = it.fragment().charFormat();
        bigBold |= f.fontWeight() == QFont::Bold && f.fontPointSize() >= 14;
        red |= f.foreground().color() == QColor(192, 0, 0) || f.foreground().color() == QColor(255, 0, 0);
      }
    }
    QVERIFY(bigBold);
    QVERIFY(indented);
    QVERIFY(red);
  }

  void noMarkupShows() {
    const QString text = manual_.toPlainText();
    QVERIFY(!text.contains(QLatin1Char('\\')));
    QVERIFY(!text.contains(QLatin1Char('{')));
    QVERIFY(!text.contains(QChar(0xFFFD)));
  }

 private:
  QTextDocument manual_;
};

QTEST_MAIN(TestManualText)
#include "tst_manual_text.moc"
