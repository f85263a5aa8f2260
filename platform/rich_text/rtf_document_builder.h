#pragma once
// Builds a QTextDocument from the tokens of a rich-text file: keeps the group state (character
// and paragraph formats, destination, Unicode skip count), reads the font and colour tables
// and writes the text with its formats through a cursor.

#include <QByteArray>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <vector>

#include "platform/rich_text/rtf_code_page.h"
#include "platform/rich_text/rtf_tables.h"
#include "platform/rich_text/rtf_tokenizer.h"

class QTextDocument;

namespace hopper {

class RtfDocumentBuilder {
 public:
  // What one document may hold. A manual is a few thousand paragraphs; far more would take the
  // viewer seconds to lay out and hundreds of megabytes, and hold up the whole program.
  static constexpr int kMaxParagraphs = 10'000;
  static constexpr qsizetype kMaxCharacters = 400'000;
  // The last paragraph of a document that was cut at those limits.
  static QString CutNote();

  // Appends to `document` at its end.
  explicit RtfDocumentBuilder(QTextDocument* document);

  // Reads tokens until the end, or until the document is full: then, or when the tokens are
  // only the start of a longer file (`inputCut`), says so at the document's end.
  void Build(RtfTokenizer& tokenizer, bool inputCut = false);

 private:
  enum class Destination { Text, FontTable, ColorTable, Skip };
  struct GroupState {
    Destination destination = Destination::Text;
    QTextCharFormat charFormat;
    QTextBlockFormat blockFormat;
    int font = -1;        // -1: the document's default font
    int unicodeSkip = 1;  // \ucN: fallback characters that follow each \uN
    bool hidden = false;  // \v
  };

  void Take(const RtfToken& token);
  bool SkipUnicodeFallback(RtfToken& token);
  void OnGroupStart();
  void OnGroupEnd();
  void OnControlSymbol(char symbol);
  void OnControlWord(const RtfToken& token);
  void OnBytes(const QByteArray& bytes);

  // rtf_control_words.cpp
  bool ApplyDocumentWord(const RtfToken& token);
  bool ApplyTableWord(const RtfToken& token);
  bool ApplySpecialCharacterWord(const QByteArray& word, int parameter);
  bool ApplyCharacterWord(const QByteArray& word, bool on, int parameter);
  bool ApplyParagraphWord(const QByteArray& word, int parameter);

  void AppendText(const QString& text);
  void Flush();
  void EndParagraph();
  QTextCharFormat EffectiveFormat() const;
  QTextBlockFormat BlockFormat() const;
  const RtfCodePage& CurrentCodePage() const;
  GroupState& State() { return stack_.back(); }
  const GroupState& State() const { return stack_.back(); }

  QTextCursor cursor_;
  std::vector<GroupState> stack_;
  int ignoredDepth_ = 0;  // groups opened beyond the depth limit
  int skipRemaining_ = 0;
  int defaultFont_ = -1;
  RtfFontTable fonts_;
  RtfColorTable colors_;
  RtfCodePage documentCodePage_;
  mutable RtfCodePage fontCodePage_;
  mutable int fontCodePageFor_ = 1252;
  QByteArray pendingBytes_;   // code-page bytes not yet decoded (a double-byte pair may span \'hh)
  QString pendingText_;       // decoded text not yet in the document, all in the current format
  qsizetype characters_ = 0;  // in the document so far
  int paragraphs_ = 0;
  bool cut_ = false;  // a limit was reached: nothing more goes in
};

}  // namespace hopper
