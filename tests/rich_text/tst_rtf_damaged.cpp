// The rich-text reader on damaged input and on files: it shows what it could read, never
// crashes or hangs, and tells a file it cannot open from a file with bad content.

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "platform/rich_text/rtf_document_builder.h"
#include "platform/rich_text/rtf_reader.h"
#include "rtf_test_support.h"
#include "tests/support/unreadable_file.h"

using hopper::RtfFileStatus;
using hopper::RtfReader;
using hopper::test::TextOf;
using hopper::test::TextRead;

namespace {
bool WriteFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
}  // namespace

class TestRtfDamaged : public QObject {
  Q_OBJECT

 private slots:
  void damaged_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("not rich text at all") << QByteArray("Just text") << "Just text";
    QTest::newRow("unclosed groups") << QByteArray(R"({\rtf1 {\b Bold {\i more)") << "Bold more";
    QTest::newRow("extra closing braces") << QByteArray(R"({\rtf1 A}}} B)") << "A B";
    QTest::newRow("truncated in a word") << QByteArray(R"({\rtf1 Hi\pa)") << "Hi";
    QTest::newRow("truncated in a hex pair") << QByteArray(R"({\rtf1 Hi\'e)") << "Hi";
    QTest::newRow("broken hex pair") << QByteArray(R"({\rtf1 A\'zzB})") << "AzzB";
    QTest::newRow("lone backslash at end") << QByteArray("{\\rtf1 Hi\\") << "Hi";
    QTest::newRow("truncated in the font table") << QByteArray(R"({\rtf1{\fonttbl{\f0 Ari)") << "";
    QTest::newRow("truncated after unicode") << QByteArray(R"({\rtf1 x\u233)") << QString::fromUtf8("xé");
    QTest::newRow("huge numbers")
        << QByteArray(R"({\rtf1\fs99999999999999999999\li-99999999999{\uc99999999 \u99999999 A\cf2147483648 B}C})")
        << "C";
    QTest::newRow("huge binary length") << QByteArray(R"({\rtf1 A\bin999999999999 rest})") << "A";
    QTest::newRow("negative binary length") << QByteArray(R"({\rtf1 A\bin-5 B})") << "AB";
    QTest::newRow("control bytes dropped") << QByteArray(
                                                  "{\\rtf1 A\x01\x02\x7f"
                                                  "B}")
                                           << "AB";
    QTest::newRow("very long word") << QByteArray("{\\rtf1 \\" + QByteArray(100000, 'x') + " A}") << "A";
    QTest::newRow("deep nesting") << QByteArray(200000, '{') + "deep" + QByteArray(200000, '}') << "deep";
    QTest::newRow("many stray closers") << QByteArray(100000, '}') + "after"
                                        << "after";
    QTest::newRow("many lone quotes") << QByteArray("{\\rtf1 ") + QByteArray(50000, '\\').replace("\\", "\\'") + "ok}"
                                      << "ok";
  }
  void damaged() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(TextRead(rtf), text);
  }

  // Random bytes, and random cuts of a real document: no crash, no hang, some document.
  void garbage() {
    QRandomGenerator random(20040720);
    const QByteArray sample = R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}{\colortbl;\red1\green2\blue3;})"
                              R"(\pard\qc\b\fs28 Title\par\pard\li720\fi-360\'b7\tab Item \u8364?\par})";
    for (int round = 0; round < 300; ++round) {
      QByteArray input = sample.left(random.bounded(sample.size() + 1));
      for (int i = 0; i < 64; ++i) {
        input.append(char(random.bounded(256)));
      }
      QTextDocument document;
      RtfReader::Read(input, &document);
      QVERIFY(document.blockCount() >= 1);
    }
  }

  // Far more than a manual holds: the document keeps what its limits allow and says it was cut.
  void oversizedDocumentIsCut_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("three million paragraphs") << "{\\rtf1 " + QByteArray("\\par").repeated(3'000'000) + "}";
    QTest::newRow("one paragraph of 4 MB") << "{\\rtf1 " + QByteArray("word ").repeated(800'000) + "}";
    QTest::newRow("plain text lines") << QByteArray("A line.\\par\n").repeated(400'000);
  }
  void oversizedDocumentIsCut() {
    QFETCH(QByteArray, rtf);
    QTextDocument document;
    RtfReader::Read(rtf, &document);
    QVERIFY(document.blockCount() <= hopper::RtfDocumentBuilder::kMaxParagraphs + 1);
    QVERIFY(document.characterCount() <= hopper::RtfDocumentBuilder::kMaxCharacters + document.blockCount() + 200);
    QCOMPARE(document.lastBlock().text(), hopper::RtfDocumentBuilder::CutNote());
  }

  void file() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Manual.rtf");
    QVERIFY(WriteFile(path, R"({\rtf1 From the file})"));
    QTextDocument document;
    QCOMPARE(RtfReader::ReadFile(path, &document), RtfFileStatus::Read);
    QCOMPARE(TextOf(document), QString("From the file"));
  }

  void fileWithBadContentIsRead() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Manual.rtf");
    QVERIFY(WriteFile(path, QByteArray("\x00\xff{\\\\}}}\x80garbage", 16)));
    QTextDocument document;
    QCOMPARE(RtfReader::ReadFile(path, &document), RtfFileStatus::Read);
  }

  void fileThatCannotBeOpened_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("no permission") << "no permission";
  }
  void fileThatCannotBeOpened() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath("Manual.rtf");
    if (kind == "folder") QVERIFY(QDir(dir.path()).mkdir("Manual.rtf"));
    if (kind == "no permission") {
      QVERIFY(WriteFile(path, R"({\rtf1 secret})"));
      QVERIFY(hopper::test::RemoveAllPermissions(path));
    }
    QTextDocument document;
    document.setPlainText("kept");
    RtfFileStatus status;
    {
      hopper::test::ActAsOtherUser otherUser;
      status = RtfReader::ReadFile(path, &document);
    }
    QCOMPARE(status, RtfFileStatus::CannotOpen);
    QCOMPARE(document.toPlainText(), QString("kept"));
    hopper::test::SetPermissions(path, 0644);
  }
};

QTEST_MAIN(TestRtfDamaged)
#include "tst_rtf_damaged.moc"
