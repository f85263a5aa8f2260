#include "platform/rich_text/rtf_document_builder.h"

#include <QTextDocument>

namespace hopper {

namespace {
// Deeper nesting than any real document; a damaged file cannot make the stack grow without end.
constexpr std::size_t kMaxDepth = 1000;
// The size a document has when it names none (12 points, \fs24).
constexpr double kDefaultPointSize = 12.0;
}  // namespace

RtfDocumentBuilder::RtfDocumentBuilder(QTextDocument* document) : cursor_(document) {
  cursor_.movePosition(QTextCursor::End);
  GroupState root;
  root.charFormat.setFontPointSize(kDefaultPointSize);
  stack_.push_back(root);
}

QString RtfDocumentBuilder::CutNote() {
  return QStringLiteral(
      "[The manual is longer than this window can show and was cut here. "
      "Open Manual.rtf in a word processor to read the rest.]");
}

void RtfDocumentBuilder::Build(RtfTokenizer& tokenizer, bool inputCut) {
  cursor_.beginEditBlock();
  for (RtfToken token = tokenizer.Next(); token.kind != RtfToken::Kind::End && !cut_; token = tokenizer.Next()) {
    if (skipRemaining_ > 0 && SkipUnicodeFallback(token)) continue;
    Take(token);
  }
  Flush();  // a truncated file still shows everything read so far
  cut_ = cut_ || inputCut;
  if (cut_) {
    QTextCharFormat plain;
    plain.setFontPointSize(kDefaultPointSize);
    plain.setFontItalic(true);
    cursor_.insertBlock(QTextBlockFormat(), plain);
    cursor_.insertText(CutNote(), plain);
  }
  cursor_.endEditBlock();
}

// The characters after \uN are a fallback for readers without Unicode: drop \ucN of them.
// A text run counts byte by byte, any control word or \'hh as one; a brace ends the fallback.
bool RtfDocumentBuilder::SkipUnicodeFallback(RtfToken& token) {
  switch (token.kind) {
    case RtfToken::Kind::GroupStart:
    case RtfToken::Kind::GroupEnd:
    case RtfToken::Kind::End: skipRemaining_ = 0; return false;
    case RtfToken::Kind::Text: {
      const qsizetype dropped = std::min<qsizetype>(skipRemaining_, token.word.size());
      skipRemaining_ -= static_cast<int>(dropped);
      token.word.remove(0, dropped);
      return token.word.isEmpty();
    }
    default: --skipRemaining_; return true;
  }
}

void RtfDocumentBuilder::Take(const RtfToken& token) {
  switch (token.kind) {
    case RtfToken::Kind::GroupStart: OnGroupStart(); break;
    case RtfToken::Kind::GroupEnd: OnGroupEnd(); break;
    case RtfToken::Kind::ControlWord: OnControlWord(token); break;
    case RtfToken::Kind::ControlSymbol: OnControlSymbol(token.symbol); break;
    case RtfToken::Kind::HexByte: OnBytes(QByteArray(1, static_cast<char>(token.byte))); break;
    case RtfToken::Kind::Text: OnBytes(token.word); break;
    case RtfToken::Kind::Binary:
    case RtfToken::Kind::End: break;
  }
}

void RtfDocumentBuilder::OnGroupStart() {
  Flush();
  if (stack_.size() >= kMaxDepth) {
    ++ignoredDepth_;
    return;
  }
  stack_.push_back(State());
}

void RtfDocumentBuilder::OnGroupEnd() {
  Flush();
  if (ignoredDepth_ > 0) {
    --ignoredDepth_;
    return;
  }
  if (State().destination == Destination::FontTable) fonts_.FinishEntry();
  if (stack_.size() > 1) stack_.pop_back();  // a stray closing brace closes nothing
}

void RtfDocumentBuilder::OnControlSymbol(char symbol) {
  switch (symbol) {
    case '\\':
    case '{':
    case '}': OnBytes(QByteArray(1, symbol)); return;
    case '~': AppendText(QString(QChar(0x00A0))); return;  // non-breaking space
    case '_': AppendText(QString(QChar(0x2011))); return;  // non-breaking hyphen
    case '*':
      Flush();
      State().destination = Destination::Skip;
      return;
    case '\n':
      Flush();
      EndParagraph();
      return;
    default: return;  // optional hyphen, index marks and the like show nothing
  }
}

void RtfDocumentBuilder::OnControlWord(const RtfToken& token) {
  if (token.word == "u") {
    int code = token.parameter;
    if (code < 0) code += 65536;  // written as a signed 16-bit number
    skipRemaining_ = State().unicodeSkip;
    if (code > 0 && code <= 0xFFFF) AppendText(QString(QChar(static_cast<char16_t>(code))));
    return;
  }
  Flush();
  if (ApplyDocumentWord(token) || ApplyTableWord(token)) return;
  const bool on = !token.hasParameter || token.parameter != 0;
  if (ApplyCharacterWord(token.word, on, token.parameter)) return;
  if (State().destination != Destination::Text) return;
  if (!ApplySpecialCharacterWord(token.word, token.parameter)) ApplyParagraphWord(token.word, token.parameter);
}

void RtfDocumentBuilder::OnBytes(const QByteArray& bytes) {
  switch (State().destination) {
    case Destination::Text: {
      if (State().hidden || cut_) return;
      // Bytes beyond what the document can still take are never decoded: a file of one
      // endless run of text costs no more than a short one.
      const qsizetype room = kMaxCharacters - characters_ - pendingText_.size() - pendingBytes_.size();
      pendingBytes_.append(bytes.left(std::max<qsizetype>(0, room)));
      if (bytes.size() > room) {
        AppendText(QString());
        cut_ = true;
      }
      return;
    }
    case Destination::FontTable: fonts_.AddNameBytes(bytes); return;
    case Destination::ColorTable: colors_.AddBytes(bytes); return;
    case Destination::Skip: return;
  }
}

void RtfDocumentBuilder::AppendText(const QString& text) {
  if (cut_ || State().destination != Destination::Text || State().hidden) return;
  if (!pendingBytes_.isEmpty()) {
    // Control characters in the text are damage, not content; a tab is written as \tab.
    for (QChar c : CurrentCodePage().Decode(pendingBytes_)) {
      if (c.unicode() >= 0x20 && c.unicode() != 0x7F) pendingText_ += c;
    }
    pendingBytes_.clear();
  }
  pendingText_ += text;
  if (characters_ + pendingText_.size() > kMaxCharacters) {
    pendingText_.truncate(std::max<qsizetype>(0, kMaxCharacters - characters_));
    cut_ = true;
  }
}

// Tab stops in the file count from the page's left edge, the document's from where the line
// starts (indent plus first-line indent): a hanging list item only lines up when they are shifted.
QTextBlockFormat RtfDocumentBuilder::BlockFormat() const {
  QTextBlockFormat format = State().blockFormat;
  QList<QTextOption::Tab> tabs = format.tabPositions();
  const double lineStart = format.leftMargin() + format.textIndent();
  if (tabs.isEmpty() || lineStart == 0) return format;
  for (QTextOption::Tab& tab : tabs) tab.position = std::max(0.0, tab.position - lineStart);
  format.setTabPositions(tabs);
  return format;
}

void RtfDocumentBuilder::Flush() {
  AppendText(QString());
  if (pendingText_.isEmpty()) return;
  cursor_.setBlockFormat(BlockFormat());
  cursor_.insertText(pendingText_, EffectiveFormat());
  characters_ += pendingText_.size();
  pendingText_.clear();
}

void RtfDocumentBuilder::EndParagraph() {
  if (cut_) return;
  if (++paragraphs_ >= kMaxParagraphs) {
    cut_ = true;
    return;
  }
  cursor_.setBlockFormat(BlockFormat());
  cursor_.insertBlock(BlockFormat(), EffectiveFormat());
}

QTextCharFormat RtfDocumentBuilder::EffectiveFormat() const {
  QTextCharFormat format = State().charFormat;
  if (const RtfFont* font = fonts_.Find(State().font >= 0 ? State().font : defaultFont_)) {
    if (!font->family.isEmpty()) format.setFontFamilies({font->family});
  }
  return format;
}

const RtfCodePage& RtfDocumentBuilder::CurrentCodePage() const {
  const RtfFont* font = fonts_.Find(State().font >= 0 ? State().font : defaultFont_);
  if (!font || font->codePage == 0) return documentCodePage_;
  if (fontCodePageFor_ != font->codePage) {
    fontCodePage_ = RtfCodePage(font->codePage);
    fontCodePageFor_ = font->codePage;
  }
  return fontCodePage_;
}

}  // namespace hopper
