#pragma once

#include "editor/editor_command.h"

#include <span>

namespace vexmar {

struct InsertionPoint;

/// Modifier bits of a key, added together.
namespace KeyModifier {
inline constexpr int None = 0;
inline constexpr int Control = 1;
inline constexpr int Shift = 2;
inline constexpr int Alt = 4;
} // namespace KeyModifier

/// Character codes of keys that reach translation from the view's key-down handling.
namespace KeyCharacter {
inline constexpr int Backspace = 8; ///< also what the Delete key becomes
inline constexpr int Tab = 9;
inline constexpr int Left = 28;
inline constexpr int Right = 29;
inline constexpr int Up = 30;
inline constexpr int Down = 31;
} // namespace KeyCharacter

/// A key-table row's modifiers value that matches any modifiers.
inline constexpr int kAnyModifiers = -1;

struct KeyTableRow {
  int character;
  int modifiers; ///< exact modifier value, or kAnyModifiers
  EditorCommand code;
};

/// The key table, in search order.
[[nodiscard]] std::span<const KeyTableRow> keyTable();

/// Whether typed characters go into a text object: the caret is inside one, or right after one.
[[nodiscard]] bool inTextEntry(const InsertionPoint* ip);

/// Translates a character with its modifiers into an editor command, or 0 when the key is
/// ignored. `ip` decides whether the caret is in text entry.
[[nodiscard]] EditorCommand translateKey(int character, int modifiers, const InsertionPoint* ip,
                                         char decimalSeparator);

} // namespace vexmar
