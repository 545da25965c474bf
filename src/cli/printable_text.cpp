#include "cli/printable_text.h"

namespace vexmar {

std::string printableText(std::string_view text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string printable;
  printable.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      printable += c;
      continue;
    }
    switch (c) {
    case '\n':
      printable += "\\n";
      break;
    case '\r':
      printable += "\\r";
      break;
    case '\t':
      printable += "\\t";
      break;
    default:
      printable += "\\x";
      printable += kHexDigits[byte >> 4];
      printable += kHexDigits[byte & 0xF];
    }
  }
  return printable;
}

} // namespace vexmar
