// The control words the reader understands, by kind: document and table words, special
// characters, character formats and paragraph formats. Every other word is passed over.

#include <QSet>
#include <algorithm>

#include "platform/rich_text/rtf_document_builder.h"

namespace hopper {

namespace {

// Parts of a document that hold no text for the reader: their groups are passed over whole.
const QSet<QByteArray>& SkippedDestinations() {
  static const QSet<QByteArray> words = {"stylesheet",
                                         "info",
                                         "pict",
                                         "object",
                                         "objdata",
                                         "header",
                                         "headerl",
                                         "headerr",
                                         "headerf",
                                         "footer",
                                         "footerl",
                                         "footerr",
                                         "footerf",
                                         "footnote",
                                         "fldinst",
                                         "themedata",
                                         "colorschememapping",
                                         "latentstyles",
                                         "datastore",
                                         "xmlnstbl",
                                         "listtable",
                                         "listoverridetable",
                                         "rsidtbl",
                                         "generator",
                                         "pgdsctbl",
                                         "filetbl",
                                         "revtbl",
                                         "bkmkstart",
                                         "bkmkend",
                                         "template",
                                         "author",
                                         "operator",
                                         "title",
                                         "subject",
                                         "keywords",
                                         "comment",
                                         "doccomm",
                                         "nonshppict",
                                         "pn",
                                         "userprops",
                                         "xe",
                                         "tc",
                                         "txe",
                                         "private",
                                         "ftnsep",
                                         "ftnsepc",
                                         "ftncn",
                                         "aftnsep",
                                         "aftnsepc",
                                         "aftncn",
                                         "annotation",
                                         "atnid",
                                         "atnauthor",
                                         "docvar"};
  return words;
}

// Lengths in the file are in twips; the document measures in pixels at 96 dots per inch.
// Huge values from a damaged file are held to a page's width.
double TwipsToPixels(int twips) { return std::clamp(twips, -31680, 31680) / 15.0; }

}  // namespace

bool RtfDocumentBuilder::ApplyDocumentWord(const RtfToken& token) {
  const QByteArray& w = token.word;
  if (w == "fonttbl") State().destination = Destination::FontTable;
  else if (w == "colortbl") State().destination = Destination::ColorTable;
  else if (SkippedDestinations().contains(w)) State().destination = Destination::Skip;
  else if (w == "ansicpg") documentCodePage_ = RtfCodePage(token.parameter);
  else if (w == "mac") documentCodePage_ = RtfCodePage(10000);
  else if (w == "pc") documentCodePage_ = RtfCodePage(437);
  else if (w == "pca") documentCodePage_ = RtfCodePage(850);
  else if (w == "deff") defaultFont_ = token.parameter;
  else if (w == "uc") State().unicodeSkip = std::clamp(token.parameter, 0, 16);
  else return false;
  return true;
}

bool RtfDocumentBuilder::ApplyTableWord(const RtfToken& token) {
  switch (State().destination) {
    case Destination::FontTable:
      if (token.word == "f") fonts_.BeginEntry(token.parameter);
      else if (token.word == "fcharset") fonts_.SetCharset(token.parameter);
      return true;
    case Destination::ColorTable: colors_.SetComponent(token.word, token.parameter); return true;
    case Destination::Skip: return true;
    case Destination::Text: return false;
  }
  return false;
}

bool RtfDocumentBuilder::ApplySpecialCharacterWord(const QByteArray& w, int) {
  static const QHash<QByteArray, char16_t> characters = {
      {"line", 0x2028},    {"tab", u'\t'},      {"cell", u'\t'},    {"emdash", 0x2014},    {"endash", 0x2013},
      {"bullet", 0x2022},  {"lquote", 0x2018},  {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
      {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005}};
  if (const auto it = characters.constFind(w); it != characters.constEnd()) {
    AppendText(QString(QChar(it.value())));
    Flush();
    return true;
  }
  if (w == "par" || w == "sect" || w == "page" || w == "row") {
    EndParagraph();
    return true;
  }
  return false;
}

bool RtfDocumentBuilder::ApplyCharacterWord(const QByteArray& w, bool on, int parameter) {
  QTextCharFormat& f = State().charFormat;
  if (w == "b") f.setFontWeight(on ? QFont::Bold : QFont::Normal);
  else if (w == "i") f.setFontItalic(on);
  else if (w == "ul" || w == "uld" || w == "uldb" || w == "uldash" || w == "ulw" || w == "ulwave")
    f.setFontUnderline(on);
  else if (w == "ulnone") f.setFontUnderline(false);
  else if (w == "strike" || w == "striked") f.setFontStrikeOut(on);
  else if (w == "fs") f.setFontPointSize(parameter > 0 ? std::clamp(parameter, 2, 3276) / 2.0 : 12.0);
  else if (w == "f") State().font = parameter;
  else if (w == "cf") {
    const QColor c = colors_.At(parameter);
    if (c.isValid()) f.setForeground(c);
    else f.clearForeground();
  } else if (w == "highlight" || w == "cb" || w == "chcbpat") {
    const QColor c = colors_.At(parameter);
    if (c.isValid()) f.setBackground(c);
    else f.clearBackground();
  } else if (w == "super") f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  else if (w == "sub") f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  else if (w == "nosupersub") f.setVerticalAlignment(QTextCharFormat::AlignNormal);
  else if (w == "caps") f.setFontCapitalization(on ? QFont::AllUppercase : QFont::MixedCase);
  else if (w == "scaps") f.setFontCapitalization(on ? QFont::SmallCaps : QFont::MixedCase);
  else if (w == "v") State().hidden = on;
  else if (w == "plain") {
    f = QTextCharFormat();
    f.setFontPointSize(12.0);
    State().font = -1;
    State().hidden = false;
  } else return false;
  return true;
}

bool RtfDocumentBuilder::ApplyParagraphWord(const QByteArray& w, int parameter) {
  QTextBlockFormat& b = State().blockFormat;
  if (w == "pard") b = QTextBlockFormat();
  else if (w == "ql") b.setAlignment(Qt::AlignLeft);
  else if (w == "qc") b.setAlignment(Qt::AlignHCenter);
  else if (w == "qr") b.setAlignment(Qt::AlignRight);
  else if (w == "qj") b.setAlignment(Qt::AlignJustify);
  else if (w == "li") b.setLeftMargin(TwipsToPixels(parameter));
  else if (w == "ri") b.setRightMargin(TwipsToPixels(parameter));
  else if (w == "fi") b.setTextIndent(TwipsToPixels(parameter));
  else if (w == "sb") b.setTopMargin(TwipsToPixels(parameter));
  else if (w == "sa") b.setBottomMargin(TwipsToPixels(parameter));
  else if (w == "tx") {
    QList<QTextOption::Tab> tabs = b.tabPositions();
    if (tabs.size() < 64) tabs.append(QTextOption::Tab(TwipsToPixels(parameter), QTextOption::LeftTab));
    b.setTabPositions(tabs);
  } else return false;
  return true;
}

}  // namespace hopper
