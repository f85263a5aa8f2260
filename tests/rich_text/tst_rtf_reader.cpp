// The rich-text reader on small samples: the text it shows and the formats it gives.

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/rich_text/rtf_reader.h"
#include "rtf_test_support.h"

using hopper::RtfReader;
using hopper::test::TextOf;
using hopper::test::TextRead;

namespace {

QVariant CharValue(const QTextCharFormat& f, const QString& key) {
  if (key == "bold") return f.fontWeight() == QFont::Bold;
  if (key == "italic") return f.fontItalic();
  if (key == "underline") return f.fontUnderline();
  if (key == "strike") return f.fontStrikeOut();
  if (key == "size") return f.fontPointSize();
  if (key == "family") return f.fontFamilies().toStringList().value(0);
  if (key == "foreground") return f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color() : QColor();
  if (key == "background") return f.hasProperty(QTextFormat::BackgroundBrush) ? f.background().color() : QColor();
  return QVariant();
}

QVariant BlockValue(const QTextBlockFormat& f, const QString& key) {
  if (key == "alignment") return int(f.alignment() & Qt::AlignHorizontal_Mask);
  if (key == "left") return f.leftMargin();
  if (key == "right") return f.rightMargin();
  if (key == "indent") return f.textIndent();
  if (key == "top") return f.topMargin();
  if (key == "tabs") {
    QVariantList positions;
    for (const QTextOption::Tab& tab : f.tabPositions()) positions << tab.position;
    return positions;
  }
  return QVariant();
}

// The cursor just after the first character of `probe`, where charFormat() is that character's.
QTextCursor CursorAt(const QTextDocument& document, const QString& probe) {
  QTextCursor found = document.find(probe, 0, QTextDocument::FindCaseSensitively);
  if (found.isNull()) return found;
  QTextCursor cursor(found.document());
  cursor.setPosition(found.selectionStart() + 1);
  return cursor;
}

// The columns of a format row: the rich text, a piece of its text, which property of the format
// found at that piece, and its value.
void AddFormatColumns() {
  QTest::addColumn<QByteArray>("rtf");
  QTest::addColumn<QString>("probe");
  QTest::addColumn<QString>("key");
  QTest::addColumn<QVariant>("expected");
}

// Reads the row's rich text and compares what `valueAt` gives for the row's key at its probe.
template <class ValueAt>
void CompareFormatAtProbe(ValueAt valueAt) {
  QFETCH(QByteArray, rtf);
  QFETCH(QString, probe);
  QFETCH(QString, key);
  QFETCH(QVariant, expected);
  QTextDocument document;
  RtfReader::Read(rtf, &document);
  const QTextCursor cursor = CursorAt(document, probe);
  QVERIFY2(!cursor.isNull(), qPrintable(TextOf(document)));
  QCOMPARE(valueAt(cursor, key), expected);
}

}  // namespace

class TestRtfReader : public QObject {
  Q_OBJECT

 private slots:
  void text_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QByteArray(R"({\rtf1\ansi Hello world})") << "Hello world";
    QTest::newRow("line ends in the file mean nothing") << QByteArray("{\\rtf1 Hel\r\nlo}") << "Hello";
    QTest::newRow("paragraphs") << QByteArray(R"({\rtf1 One\par Two\par Three})") << "One\nTwo\nThree";
    QTest::newRow("line break") << QByteArray(R"({\rtf1 A\line B})") << QString("A") + QChar(0x2028) + "B";
    QTest::newRow("tab") << QByteArray(R"({\rtf1 A\tab B})") << "A\tB";
    QTest::newRow("escaped braces") << QByteArray(R"({\rtf1 \{x\} a\\b})") << "{x} a\\b";
    QTest::newRow("groups keep text") << QByteArray(R"({\rtf1 a{b{c}}d})") << "abcd";
    QTest::newRow("word delimiter space eaten") << QByteArray(R"({\rtf1 \b bold\b0  x})") << "bold x";
    QTest::newRow("hex in 1252") << QByteArray(R"({\rtf1\ansi\ansicpg1252 caf\'e9 \'80 \'93q\'94})")
                                 << QString::fromUtf8("café € “q”");
    QTest::newRow("hex in 1251") << QByteArray(R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8})") << QString::fromUtf8("При");
    QTest::newRow("font charset picks code page")
        << QByteArray(R"({\rtf1{\fonttbl{\f0 Arial;}{\f1\fcharset204 Cyr;}}\f1\'c0\f0\'c0})")
        << QString::fromUtf8("АÀ");
    QTest::newRow("unicode, one fallback") << QByteArray(R"({\rtf1 \u8364?x})") << QString::fromUtf8("€x");
    QTest::newRow("unicode, negative") << QByteArray(R"({\rtf1 \u-4064?})") << QString(QChar(0xF020));
    QTest::newRow("unicode, hex fallback") << QByteArray(R"({\rtf1 \u233\'e9!})") << QString::fromUtf8("é!");
    QTest::newRow("unicode, uc2") << QByteArray(R"({\rtf1\uc2 \u233 xxy})") << QString::fromUtf8("éy");
    QTest::newRow("unicode, uc0") << QByteArray(R"({\rtf1\uc0 \u233 e})") << QString::fromUtf8("ée");
    QTest::newRow("uc is kept per group") << QByteArray(R"({\rtf1{\uc2 \u233 xx}\u233 y})") << QString::fromUtf8("éé");
    QTest::newRow("brace ends fallback") << QByteArray(R"({\rtf1\uc3 \u233{}ab})") << QString::fromUtf8("éab");
    QTest::newRow("surrogate pair") << QByteArray(R"({\rtf1 \u-10179?\u-8694?})") << QString::fromUtf8("😊");
    QTest::newRow("font table hidden") << QByteArray(R"({\rtf1{\fonttbl{\f0\fswiss Arial;}}Hi})") << "Hi";
    QTest::newRow("colour table hidden") << QByteArray(R"({\rtf1{\colortbl;\red255\green0\blue0;}Hi})") << "Hi";
    QTest::newRow("style sheet hidden") << QByteArray(R"({\rtf1{\stylesheet{\s0 Normal;}}Hi})") << "Hi";
    QTest::newRow("info hidden") << QByteArray(R"({\rtf1{\info{\title T}{\author A}}Hi})") << "Hi";
    QTest::newRow("picture hidden") << QByteArray(R"({\rtf1{\pict\wmetafile8 0102abcd}Hi})") << "Hi";
    QTest::newRow("starred unknown hidden") << QByteArray(R"({\rtf1{\*\whatever text{inner}}Hi})") << "Hi";
    QTest::newRow("unknown word ignored") << QByteArray(R"({\rtf1\frobnicate42 Hi})") << "Hi";
    QTest::newRow("binary data skipped") << QByteArray("{\\rtf1 {\\bin4 {}\\}ok}") << "ok";
    QTest::newRow("field shows its result")
        << QByteArray(R"({\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt Link}}})") << "Link";
    QTest::newRow("hidden text") << QByteArray(R"({\rtf1 a{\v secret}b})") << "ab";
    QTest::newRow("special characters") << QByteArray(R"({\rtf1 a\~b\emdash c\bullet })")
                                        << QString("a") + QChar(0xA0) + "b" + QChar(0x2014) + "c" + QChar(0x2022);
    QTest::newRow("list text shown") << QByteArray(R"({\rtf1{\pntext\'b7\tab}Item})") << QString::fromUtf8("·\tItem");
  }
  void text() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(TextRead(rtf), text);
  }

  void characterFormat_data() {
    AddFormatColumns();
    const QByteArray tables =
        R"({\fonttbl{\f0\froman Times New Roman;}{\f1\fswiss Arial;}}{\colortbl;\red255\green0\blue0;\red0\green0\blue255;})";
    auto doc = [&](const char* body) { return "{\\rtf1\\ansi\\deff0" + tables + body + "}"; };
    QTest::newRow("bold") << doc(R"(\b B\b0 N)") << "B"
                          << "bold" << QVariant(true);
    QTest::newRow("bold off") << doc(R"(\b B\b0 N)") << "N"
                              << "bold" << QVariant(false);
    QTest::newRow("bold ends with group") << doc(R"({\b B}N)") << "N"
                                          << "bold" << QVariant(false);
    QTest::newRow("italic") << doc(R"(\i I\i0 N)") << "I"
                            << "italic" << QVariant(true);
    QTest::newRow("italic off") << doc(R"(\i I\i0 N)") << "N"
                                << "italic" << QVariant(false);
    QTest::newRow("underline") << doc(R"(\ul U\ul0 N)") << "U"
                               << "underline" << QVariant(true);
    QTest::newRow("underline off") << doc(R"(\ul U\ul0 N)") << "N"
                                   << "underline" << QVariant(false);
    QTest::newRow("ulnone") << doc(R"(\ul U\ulnone N)") << "N"
                            << "underline" << QVariant(false);
    QTest::newRow("strike") << doc(R"(\strike S\strike0 N)") << "S"
                            << "strike" << QVariant(true);
    QTest::newRow("strike off") << doc(R"(\strike S\strike0 N)") << "N"
                                << "strike" << QVariant(false);
    QTest::newRow("size") << doc(R"(\fs32 Big)") << "B"
                          << "size" << QVariant(16.0);
    QTest::newRow("default size") << doc(R"(Plain)") << "P"
                                  << "size" << QVariant(12.0);
    QTest::newRow("huge size held") << doc(R"(\fs99999999999999 Big)") << "B"
                                    << "size" << QVariant(1638.0);
    QTest::newRow("default font") << doc(R"(Text)") << "T"
                                  << "family" << QVariant("Times New Roman");
    QTest::newRow("font") << doc(R"(\f1 Text)") << "T"
                          << "family" << QVariant("Arial");
    QTest::newRow("text colour") << doc(R"(\cf1 Red\cf0 Auto)") << "R"
                                 << "foreground" << QVariant(QColor(255, 0, 0));
    QTest::newRow("auto colour") << doc(R"(\cf1 Red\cf0 Auto)") << "A"
                                 << "foreground" << QVariant(QColor());
    QTest::newRow("highlight") << doc(R"(\highlight2 Mark)") << "M"
                               << "background" << QVariant(QColor(0, 0, 255));
    QTest::newRow("cb background") << doc(R"(\cb1 Mark)") << "M"
                                   << "background" << QVariant(QColor(255, 0, 0));
    QTest::newRow("colour beyond table") << doc(R"(\cf77 X)") << "X"
                                         << "foreground" << QVariant(QColor());
    QTest::newRow("plain resets") << doc(R"(\b\i\fs40 A\plain B)") << "B"
                                  << "bold" << QVariant(false);
  }
  void characterFormat() {
    CompareFormatAtProbe([](const QTextCursor& at, const QString& key) { return CharValue(at.charFormat(), key); });
  }

  void blockFormat_data() {
    AddFormatColumns();
    QTest::newRow("left") << QByteArray(R"({\rtf1\ql L\par})") << "L"
                          << "alignment" << QVariant(int(Qt::AlignLeft));
    QTest::newRow("centre") << QByteArray(R"({\rtf1\qc C\par})") << "C"
                            << "alignment" << QVariant(int(Qt::AlignHCenter));
    QTest::newRow("right") << QByteArray(R"({\rtf1\qr R\par})") << "R"
                           << "alignment" << QVariant(int(Qt::AlignRight));
    QTest::newRow("justify") << QByteArray(R"({\rtf1\qj J\par})") << "J"
                             << "alignment" << QVariant(int(Qt::AlignJustify));
    QTest::newRow("pard resets") << QByteArray(R"({\rtf1\qc C\par\pard N\par})") << "N"
                                 << "alignment" << QVariant(int(Qt::AlignLeft));
    QTest::newRow("left indent") << QByteArray(R"({\rtf1\li720 I})") << "I"
                                 << "left" << QVariant(48.0);
    QTest::newRow("right indent") << QByteArray(R"({\rtf1\ri360 I})") << "I"
                                  << "right" << QVariant(24.0);
    QTest::newRow("first line") << QByteArray(R"({\rtf1\li720\fi-360 I})") << "I"
                                << "indent" << QVariant(-24.0);
    QTest::newRow("space before") << QByteArray(R"({\rtf1\sb240 I})") << "I"
                                  << "top" << QVariant(16.0);
    QTest::newRow("tab stops") << QByteArray(R"({\rtf1\tx360\tx1440 I})") << "I"
                               << "tabs" << QVariant(QVariantList{24.0, 96.0});
    QTest::newRow("tab stops count from the line start") << QByteArray(R"({\rtf1\li360\fi-240\tx360\tx720 I})") << "I"
                                                         << "tabs" << QVariant(QVariantList{16.0, 40.0});
    QTest::newRow("huge indent held") << QByteArray(R"({\rtf1\li2147483647999 I})") << "I"
                                      << "left" << QVariant(2112.0);
    QTest::newRow("format at the paragraph mark counts") << QByteArray(R"({\rtf1 P\qr\par})") << "P"
                                                         << "alignment" << QVariant(int(Qt::AlignRight));
  }
  void blockFormat() {
    CompareFormatAtProbe([](const QTextCursor& at, const QString& key) { return BlockValue(at.blockFormat(), key); });
  }

  void readReplacesContent() {
    QTextDocument document;
    document.setPlainText("old");
    RtfReader::Read(R"({\rtf1 new})", &document);
    QCOMPARE(TextOf(document), QString("new"));
  }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtf_reader.moc"
