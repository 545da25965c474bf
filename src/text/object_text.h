#pragma once

#include "model/math_object.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexmar {

/// Why a text form could not be read; each value lists an input that produces it.
enum class ObjectTextError : std::uint8_t {
  None,
  UnexpectedEnd,       ///< `plus[num[1,"1"]` — the text stops inside an object
  UnexpectedCharacter, ///< `plus(` — a bracket, comma, quote or closing letter is missing
  MissingKindName,     ///< `plus[,]` — no kind name, or one longer than 100 characters
  UnknownKind,         ///< `plux[]`
  BadNumber,           ///< `num[1e,"1"]` — not a decimal real, or too large for a double
  ValueOutOfRange,     ///< `char[(*i256i*)x]` — more than the attribute's field can hold
  TextTooLong,         ///< a font name over 100 characters, a number text over 24
  InvalidCharacter,    ///< a NUL byte inside quotes
  UnknownSymbol,       ///< `char[xy]` — neither a letter, a special character nor a code
  BadDimensions,       ///< `matrix[0,2,]` — rows and columns from 1, at most 10,000 cells
  TooManyChildren,     ///< more than 10,000 children in one object
  TrailingText,        ///< `prompt[]]` — text after the root object
};

/// The outcome of reading a text form: the tree, or what went wrong and where.
struct ObjectTextReadResult {
  ObjectPtr object; ///< null when the text is invalid
  ObjectTextError error = ObjectTextError::None;
  std::string message;    ///< empty on success
  std::size_t offset = 0; ///< byte offset in the text where reading stopped
};

/// The bracketed prefix text of a tree, as stored in documents and on the clipboard.
[[nodiscard]] std::string writeObjectText(const MathObject& object);

/// Rebuilds a tree from its text form; null when the text is invalid (nothing is left behind).
[[nodiscard]] ObjectPtr readObjectText(std::string_view text);

/// As readObjectText, but says why and where an invalid text went wrong.
[[nodiscard]] ObjectTextReadResult readObjectTextChecked(std::string_view text);

} // namespace vexmar
