#include "cli/key_script.h"

#include "editor/key_table.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace vexmar {
namespace {

struct KeyName {
  std::string_view name;
  KeyStroke stroke;
};

KeyStroke named(ViewKey key) { return KeyStroke{NamedKey{key}, 0}; }
KeyStroke character(int c) { return KeyStroke{CharacterKey{c}, 0}; }

const std::array<KeyName, 12> kKeyNames = {{
    {"Left", named(ViewKey::Left)},
    {"Right", named(ViewKey::Right)},
    {"Up", named(ViewKey::Up)},
    {"Down", named(ViewKey::Down)},
    {"Home", named(ViewKey::Home)},
    {"End", named(ViewKey::End)},
    {"Del", named(ViewKey::Delete)},
    {"Enter", named(ViewKey::Enter)},
    {"Tab", character(KeyCharacter::Tab)},
    {"BS", character(KeyCharacter::Backspace)},
    {"lbrace", character('{')},
    {"rbrace", character('}')},
}};

struct Modifier {
  char letter;
  int bit;
};
constexpr std::array<Modifier, 3> kModifiers = {
    {{'C', KeyModifier::Control}, {'S', KeyModifier::Shift}, {'A', KeyModifier::Alt}}};

std::string quoted(std::string_view s) { return "'{" + std::string(s) + "}'"; }

// Reads the UTF-8 character at `text[i]` and moves `i` past it; 0 for a byte sequence that is not
// UTF-8 (a stray continuation byte, a truncated or overlong sequence, a surrogate, past U+10FFFF).
char32_t nextCharacter(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int length = 0;
  char32_t c = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    c = lead & 0x07;
  } else {
    return 0;
  }
  if (i + static_cast<std::size_t>(length) > text.size()) return 0;
  for (int k = 1; k < length; ++k) {
    const unsigned char next = byte(i + static_cast<std::size_t>(k));
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  i += static_cast<std::size_t>(length);
  return c;
}

std::string notUtf8(std::size_t position) {
  return "the keys are not UTF-8 at byte " + std::to_string(position);
}

// Parses "0x2000" or "8192" into a 32-bit command code.
bool parseCode(std::string_view text, EditorCommand& code) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty()) return false;
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size() || value < INT32_MIN || value > INT32_MAX)
    return false;
  code = static_cast<EditorCommand>(value);
  return true;
}

// The text between braces: modifiers, then a key name or one character.
std::string parseBraced(std::string_view inside, KeyStroke& stroke) {
  if (inside.starts_with("cmd:")) {
    EditorCommand code = 0;
    if (!parseCode(inside.substr(4), code)) return "bad command code in " + quoted(inside);
    stroke = KeyStroke{CommandKey{code}, 0};
    return {};
  }
  int modifiers = 0;
  std::string_view rest = inside;
  while (rest.size() > 2 && rest[1] == '-') {
    int bit = 0;
    for (const Modifier& m : kModifiers)
      if (m.letter == rest[0]) bit = m.bit;
    if (bit == 0) break;
    if (modifiers & bit) return "repeated modifier in " + quoted(inside);
    modifiers |= bit;
    rest.remove_prefix(2);
  }
  if (rest.empty()) return "empty key in " + quoted(inside);
  std::size_t end = 0;
  if (const char32_t c = nextCharacter(rest, end); c != 0 && end == rest.size()) {
    if (modifiers == 0) return "a single character needs no braces: " + quoted(inside);
    stroke = KeyStroke{CharacterKey{static_cast<int>(c)}, modifiers};
    return {};
  }
  for (const KeyName& k : kKeyNames) {
    if (k.name == rest) {
      stroke = k.stroke;
      stroke.modifiers = modifiers;
      return {};
    }
  }
  return "unknown key name " + quoted(inside);
}

} // namespace

KeyScript parseKeyScript(std::string_view keys) {
  KeyScript script;
  for (std::size_t i = 0; i < keys.size();) {
    const char c = keys[i];
    if (c == '}') {
      script.error = "unmatched '}' at position " + std::to_string(i) + " (type {rbrace} for a brace)";
      break;
    }
    if (c != '{') {
      const std::size_t start = i;
      const char32_t typed = nextCharacter(keys, i);
      if (typed == 0) {
        script.error = notUtf8(start);
        break;
      }
      script.strokes.push_back(character(static_cast<int>(typed)));
      continue;
    }
    const std::size_t close = keys.find('}', i + 1);
    const std::size_t open = keys.find('{', i + 1);
    if (close == std::string_view::npos || (open != std::string_view::npos && open < close)) {
      script.error = "unclosed '{' at position " + std::to_string(i) + " (type {lbrace} for a brace)";
      break;
    }
    KeyStroke stroke;
    script.error = parseBraced(keys.substr(i + 1, close - i - 1), stroke);
    if (!script.error.empty()) break;
    script.strokes.push_back(stroke);
    i = close + 1;
  }
  if (!script.error.empty()) script.strokes.clear();
  return script;
}

} // namespace vexmar
