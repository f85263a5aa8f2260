// The manual window and the manual command: layout, the three error messages, one window at
// a time, and the file read each time the window is created.

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <memory>
#include <optional>

#include "recording_message_boxes.h"
#include "tests/support/unreadable_file.h"
#include "tests/support/windows_controls.h"
#include "ui/manual_command.h"
#include "ui/manual_window.h"
#include "ui/window_icon.h"

using namespace hopper;
using namespace hopper::test;

namespace {
bool WriteManual(const QString& folder, const QByteArray& rtf) {
  QFile file(ManualCommand::ManualPath(folder));
  return file.open(QIODevice::WriteOnly) && file.write(rtf) == rtf.size();
}

void CheckError(const RecordingMessageBoxes& boxes, const QString& text) {
  QCOMPARE(boxes.shown.size(), 1);
  QCOMPARE(boxes.shown.first().text, text);
  QCOMPARE(boxes.shown.first().title, QString("Error"));
  QCOMPARE(boxes.shown.first().icon, MessageIcon::Critical);
  // The file looked for is named, so a technician knows what an installation lacks.
  QVERIFY(boxes.shown.first().informative.endsWith(QDir::toNativeSeparators("/Manual.rtf")));
}
}  // namespace

class TestManualWindow : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(folder_.emplace().isValid());
    boxes_.shown.clear();
    command_ = std::make_unique<ManualCommand>(folder_->path(), boxes_);
  }
  void cleanup() {
    delete command_->Window();
    command_.reset();
  }

  void layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Picture1") << "Picture1" << QRect(16, 16, 105, 81);
    QTest::newRow("Frame1") << "Frame1" << QRect(136, 0, 265, 121);
    QTest::newRow("Frame2") << "Frame2" << QRect(8, 152, 393, 273);
    QTest::newRow("RichTextBox1") << "RichTextBox1" << QRect(8, 16, 377, 249);
    QTest::newRow("Command1") << "Command1" << QRect(344, 432, 57, 25);
    QTest::newRow("Line1") << "Line1" << QRect(0, 136, 401, 1);
  }
  void layout() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    ManualWindow window;
    QCOMPARE(window.windowTitle(), QString("Manual"));
    QVERIFY(!window.windowIcon().isNull());  // the main window's icon
    QCOMPARE(window.windowIcon().pixmap(32).toImage(), ToolWindowIcon().pixmap(32).toImage());
    QCOMPARE(window.size(), QSize(411, 463));
    auto* widget = window.findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
  }

  void captions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("product") << "Label1"
                             << "APPLY PRODUCT:TZ-808 Vorn+Hopper";
    QTest::newRow("firmware, one &") << "Label3"
                                     << "APPLY FIRMWARE:UP TO KR7&ZQTY51";
    QTest::newRow("interface") << "Label2_0"
                               << "APPLY INTERFACE:Vorn001  /  Vorn002";
    QTest::newRow("software") << "Label2_1"
                              << "SOFTWARE VERSION:1.0";
    QTest::newRow("date") << "Label4"
                          << "Vorn 2004.07.20";
  }
  void captions() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    ManualWindow window;
    auto* label = window.findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->parentWidget()->objectName(), QString("Frame1"));
  }

  void frameTitlesButtonLogoAndViewer() {
    ManualWindow window;
    QCOMPARE(window.findChild<QGroupBox*>("Frame1")->title(), QString("Version"));
    QCOMPARE(window.findChild<QGroupBox*>("Frame2")->title(), QString("Instruction"));
    QCOMPARE(window.findChild<QPushButton*>("Command1")->text(), QString("&Close"));
    QCOMPARE(window.findChild<QLabel*>("Picture1")->pixmap().size(), QSize(99, 65));
    QTextEdit* viewer = ManualViewer(window);
    QVERIFY(viewer->isReadOnly());
    QCOMPARE(viewer->palette().color(QPalette::Base), QColor(192, 192, 192));
  }

  void missingFile() {
    QSignalSpy closed(command_.get(), &ManualCommand::ManualWindowClosed);
    command_->Run(nullptr);
    CheckError(boxes_, "File Does Not Exist");
    QVERIFY(!command_->Window());
    QCOMPARE(closed.count(), 0);
  }

  void folderIsNoManual() {
    QVERIFY(QDir(folder_->path()).mkdir("Manual.rtf"));
    command_->Run(nullptr);
    CheckError(boxes_, "File Does Not Exist");
    QVERIFY(!command_->Window());
  }

  void programFolderCannotBeLookedInto() {
    QVERIFY(WriteManual(folder_->path(), R"({\rtf1 text})"));
    QVERIFY(test::RemoveAllPermissions(folder_->path()));
    {
      test::ActAsOtherUser otherUser;
      command_->Run(nullptr);
    }
    test::SetPermissions(folder_->path(), 0700);
    CheckError(boxes_, "File Not Exist Or Be Opened");
    QVERIFY(!command_->Window());
  }

  void unreadableFile() {
    QVERIFY(WriteManual(folder_->path(), R"({\rtf1 text})"));
    test::SetPermissions(folder_->path(), 0755);  // the folder may be looked into, the file not read
    QVERIFY(test::RemoveAllPermissions(ManualCommand::ManualPath(folder_->path())));
    QSignalSpy closed(command_.get(), &ManualCommand::ManualWindowClosed);
    {
      test::ActAsOtherUser otherUser;
      command_->Run(nullptr);
    }
    CheckError(boxes_, "File Does Not Exist Or In Using");
    QVERIFY(!command_->Window());
    QCOMPARE(closed.count(), 1);  // the unload ran: the main window is brought forward
  }

  void opensWithTheManual() {
    QVERIFY(WriteManual(folder_->path(), R"({\rtf1 {\b Welcome}\par to the tool})"));
    command_->Run(nullptr);
    QVERIFY(boxes_.shown.isEmpty());
    ManualWindow* window = command_->Window();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(!window->parentWidget());
    QCOMPARE(ManualViewer(*window)->toPlainText(), QString("Welcome\nto the tool"));
  }

  void opensAtTheBeginning() {
    // A manual longer than the viewer is shown from its first line.
    QByteArray rtf = R"({\rtf1 Contents\par )";
    for (int i = 0; i < 200; ++i) rtf += "line\\par ";
    QVERIFY(WriteManual(folder_->path(), rtf + "}"));
    command_->Run(nullptr);
    ManualWindow* window = command_->Window();
    QVERIFY(window);
    QTRY_VERIFY(ManualViewer(*window)->verticalScrollBar()->maximum() > 0);
    QCOMPARE(ManualViewer(*window)->verticalScrollBar()->value(), 0);
    QCOMPARE(ManualViewer(*window)->textCursor().position(), 0);
  }

  void secondCommandOnlyRaises() {
    QVERIFY(WriteManual(folder_->path(), R"({\rtf1 first})"));
    command_->Run(nullptr);
    ManualWindow* first = command_->Window();
    QVERIFY(WriteManual(folder_->path(), R"({\rtf1 second})"));
    command_->Run(nullptr);
    QCOMPARE(command_->Window(), first);
    QCOMPARE(ManualViewer(*first)->toPlainText(), QString("first"));
    QVERIFY(boxes_.shown.isEmpty());
  }

  void deletedWhileOpen() {
    QVERIFY(WriteManual(folder_->path(), R"({\rtf1 kept})"));
    command_->Run(nullptr);
    QVERIFY(QFile::remove(ManualCommand::ManualPath(folder_->path())));
    command_->Run(nullptr);
    CheckError(boxes_, "File Does Not Exist");
    QVERIFY(command_->Window());
    QVERIFY(command_->Window()->isVisible());
    QCOMPARE(ManualViewer(*command_->Window())->toPlainText(), QString("kept"));
  }

  void closing_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("&Close") << true;
    QTest::newRow("close box") << false;
  }
  void closing() {
    QFETCH(bool, byButton);
    QVERIFY(WriteManual(folder_->path(), R"({\rtf1 one})"));
    command_->Run(nullptr);
    QSignalSpy closed(command_.get(), &ManualCommand::ManualWindowClosed);
    if (byButton) {
      QTest::mouseClick(command_->Window()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    } else {
      command_->Window()->close();
    }
    QCOMPARE(closed.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!command_->Window(), 5000);

    // A new window reads the file anew.
    QVERIFY(WriteManual(folder_->path(), R"({\rtf1 two})"));
    command_->Run(nullptr);
    QVERIFY(command_->Window());
    QCOMPARE(ManualViewer(*command_->Window())->toPlainText(), QString("two"));
  }

  void damagedManualStillOpens() {
    QVERIFY(WriteManual(folder_->path(), QByteArray("{\\rtf1 readable\\par \xff\x01{{{", 26)));
    command_->Run(nullptr);
    QVERIFY(boxes_.shown.isEmpty());
    QVERIFY(command_->Window());
    QVERIFY(ManualViewer(*command_->Window())->toPlainText().startsWith("readable"));
  }

 private:
  std::optional<QTemporaryDir> folder_;
  RecordingMessageBoxes boxes_;
  std::unique_ptr<ManualCommand> command_;
};

QTEST_MAIN(TestManualWindow)
#include "tst_manual_window.moc"
