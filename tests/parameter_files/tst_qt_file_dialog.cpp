// The real file dialog, shown without waiting on it: what it lists, what it lets through.

#include <QAbstractItemView>
#include <QLineEdit>
#include <QtTest>

#include "platform/widgets/qt_file_dialog.h"
#include "test_support.h"

using namespace hopper;

class QtFileDialogTest : public QObject {
  Q_OBJECT
  QTemporaryDir work_;

  FileDialogRequest Request(bool save) const {
    FileDialogRequest request;
    request.title = save ? QStringLiteral("SAVE FIEL") : QStringLiteral("LOAD FILE");
    request.filter = QStringLiteral("TXT File(*.TXT)|*.TXT|");
    request.initialFileName = work_.path() + QStringLiteral("/*.TXT");
    request.confirmOverwrite = save;
    request.folderMustExist = save;
    return request;
  }
  static QStringList Listed(QFileDialog& dialog) {
    auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
    if (!view) return {QStringLiteral("<no list>")};
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int r = 0; r < view->model()->rowCount(root); ++r) {
      names << view->model()->index(r, 0, root).data().toString();
    }
    names.sort();
    return names;
  }
  static void Type(QFileDialog& dialog, const QString& text) {
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(text);
  }

 private slots:
  void filterText() {
    QCOMPARE(QtNameFilters(QStringLiteral("TXT File(*.TXT)|*.TXT|")), QStringList{QStringLiteral("TXT File(*.TXT)")});
    QCOMPARE(QtNameFilters(QStringLiteral("All|*.*|")), QStringList{QStringLiteral("All (*.*)")});
  }

  void choiceCheck_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("folderMustExist");
    QTest::addColumn<int>("expected");
    const QString here = QDir::tempPath();
    QTest::newRow("file") << here + "/a.txt" << true << int(ChoiceCheck::Accept);
    QTest::newRow("wildcard") << here + "/*.TXT" << false << int(ChoiceCheck::ApplyAsFilter);
    QTest::newRow("missing folder refused") << here + "/no/such/a.txt" << true << int(ChoiceCheck::MissingFolder);
    QTest::newRow("missing folder allowed") << here + "/no/such/a.txt" << false << int(ChoiceCheck::Accept);
  }
  void choiceCheck() {
    QFETCH(QString, path);
    QFETCH(bool, folderMustExist);
    QFETCH(int, expected);
    FileDialogRequest request;
    request.folderMustExist = folderMustExist;
    QCOMPARE(int(CheckChoice(path, request)), expected);
  }

  void listsTxtInAnyLetterCase() {
    for (const char* name : {"a.txt", "b.TXT", "c.Txt", "d.dat", "e.txt.bak"}) {
      QVERIFY(testing::WriteFile(work_.filePath(name), "1"));
    }
    RequestFileDialog dialog(nullptr, Request(false), QFileDialog::AcceptOpen);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("LOAD FILE"));
    QCOMPARE(dialog.directory().absolutePath(), work_.path());
    QCOMPARE(dialog.defaultSuffix(), QString());
    QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));  // nothing to replace when opening
    const QStringList expected{"a.txt", "b.TXT", "c.Txt"};
    QTRY_COMPARE_WITH_TIMEOUT(Listed(dialog), expected, 10000);
  }

  void savingAsksBeforeReplacing() {
    RequestFileDialog dialog(nullptr, Request(true), QFileDialog::AcceptSave);
    QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
  }

  void refusesMissingFolder() {
    RequestFileDialog dialog(nullptr, Request(true), QFileDialog::AcceptSave);
    QStringList refusals;
    dialog.refuse = [&](const QString& why) { refusals << why; };
    dialog.show();
    Type(dialog, work_.filePath("no/such/x.txt"));
    dialog.accept();
    QCOMPARE(refusals.size(), 1);
    QVERIFY(dialog.isVisible());
    Type(dialog, work_.filePath("x"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.selectedFiles(), QStringList{work_.filePath("x")});  // no suffix added
  }

  void typedPatternFiltersInsteadOfChoosing() {
    RequestFileDialog dialog(nullptr, Request(false), QFileDialog::AcceptOpen);
    dialog.show();
    dialog.accept();  // the name field still holds *.TXT
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.nameFilters(), QStringList{QStringLiteral("*.TXT")});
  }
};

#include "tst_qt_file_dialog.moc"

int RunQtFileDialogTests(int argc, char** argv) {
  QtFileDialogTest test;
  return QTest::qExec(&test, argc, argv);
}
