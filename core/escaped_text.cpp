#include "core/escaped_text.h"

namespace hopper {

namespace {
constexpr char kHex[] = "0123456789abcdef";

void AppendHex(std::string& out, const char* prefix, unsigned value, int digits) {
  out += prefix;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}
}  // namespace

std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      AppendHex(out, "\\x", c, 2);
    } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // U+0080..U+009F: terminals take 0x9B as the start of an escape sequence too.
      AppendHex(out, "\\u00", static_cast<unsigned char>(text[++i]), 2);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace hopper
