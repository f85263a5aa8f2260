#pragma once
// The font table and colour table of a rich-text file, filled while their groups are read
// and looked up by the \fN, \cfN, \highlightN and \cbN of the text.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMap>
#include <QString>

namespace hopper {

struct RtfFont {
  QString family;
  int codePage = 0;  // from \fcharset; 0: the document's own code page
};

class RtfFontTable {
 public:
  // Inside the table: \fN starts an entry, \fcharsetN gives its code page, the text up to
  // ';' is its name.
  void BeginEntry(int number);
  void SetCharset(int charset);
  void AddNameBytes(const QByteArray& bytes);  // may hold the ';' that ends the entry
  // The end of an entry's group: a name left without its ';' still counts.
  void FinishEntry();

  const RtfFont* Find(int number) const;

 private:
  void Commit();

  QMap<int, RtfFont> fonts_;
  int current_ = -1;
  RtfFont pending_;
  QByteArray name_;
};

class RtfColorTable {
 public:
  // Inside the table: \redN \greenN \blueN set the pending entry, ';' ends it. An entry
  // with no component is "automatic" (the viewer's own colour).
  void SetComponent(const QByteArray& word, int value);
  void AddBytes(const QByteArray& bytes);

  // An invalid colour for "automatic" or an index the table does not have.
  QColor At(int index) const;

 private:
  QList<QColor> colors_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool any_ = false;
};

}  // namespace hopper
