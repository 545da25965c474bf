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
  if (rest.size() == 1) {
    if (modifiers == 0) return "a single character needs no braces: " + quoted(inside);
    stroke = KeyStroke{CharacterKey{static_cast<unsigned char>(rest[0])}, modifiers};
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
      script.strokes.push_back(character(static_cast<unsigned char>(c)));
      ++i;
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
