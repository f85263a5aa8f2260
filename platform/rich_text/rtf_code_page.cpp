#include "platform/rich_text/rtf_code_page.h"

#include <QStringDecoder>

namespace hopper {

namespace {

// Windows-1252 at 0x80..0x9F; the rest of the upper half equals Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

QString DecodeWindows1252(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    text.append(b >= 0x80 && b < 0xA0 ? QChar(kWindows1252High[b - 0x80]) : QChar(b));
  }
  return text;
}

QByteArray ConverterName(int number) {
  switch (number) {
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    default: return "windows-" + QByteArray::number(number);
  }
}

}  // namespace

RtfCodePage::RtfCodePage(int number) {
  if (number == 1252 || number <= 0) return;
  const QByteArray name = ConverterName(number);
  if (!QStringDecoder(name.constData()).isValid()) return;  // unknown here: keep Windows-1252
  number_ = number;
  converterName_ = name;
}

QString RtfCodePage::Decode(const QByteArray& bytes) const {
  if (converterName_.isEmpty()) return DecodeWindows1252(bytes);
  QStringDecoder decoder(converterName_.constData());
  return decoder.decode(bytes);
}

int RtfCodePage::ForCharset(int charset) {
  switch (charset) {
    case 128: return 932;   // Japanese
    case 129: return 949;   // Korean
    case 134: return 936;   // simplified Chinese
    case 136: return 950;   // traditional Chinese (Big5)
    case 161: return 1253;  // Greek
    case 162: return 1254;  // Turkish
    case 177: return 1255;  // Hebrew
    case 178: return 1256;  // Arabic
    case 186: return 1257;  // Baltic
    case 204: return 1251;  // Cyrillic
    case 222: return 874;   // Thai
    case 238: return 1250;  // Central European
    default: return 0;
  }
}

}  // namespace hopper
