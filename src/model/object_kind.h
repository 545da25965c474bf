#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vexmar {

/// The 16-bit code naming a row of the kind table (0x1000..0x1094).
enum class ObjectKind : std::uint16_t {
#define VEXMAR_KIND(ident, name, arity, shape, layout, glyph) ident,
  firstKind_ = 0x0FFF,
#include "model/kind_table.def"
#undef VEXMAR_KIND
  /// Derivatives inside algebra passes (expression, variable); never stored or typed.
  PartialDerivativeKind = 0x1F91,
  TotalDerivativeKind = 0x1F92,
};

/// How a kind behaves for editing and caret movement.
enum class KindShape : std::uint8_t {
  Container = 0,
  Binary = 1,
  Postfix = 2,
  Prefix = 3,
  Enclosing = 4,
  Infix = 5,
  Atom = 6,
};

/// The typesetting routine family that measures and draws a kind.
enum class LayoutFamily : std::uint8_t {
  Number,
  Prompt,
  Character,
  String,
  Indexes,
  Chem,
  Tensor,
  Matrix,
  Atop,
  Infix,
  FunctionApplication,
  Substitution,
  PostfixSymbol,
  Dagger,
  Asterisk,
  Sign,
  FunctionName,
  Log,
  Radical,
  Grad,
  PrefixSymbol,
  Laplacian,
  Box,
  DerivativeOperator,
  BigOperator,
  Parenthesis,
  BraceAbove,
  BraceBelow,
  AbsoluteValue,
  Norm,
  AngleBrackets,
  Bra,
  Ket,
  Overline,
  Fraction,
  Power,
  Subscript,
  Limit,
  BracketPair,
  BraKet,
  Floor,
  Ceiling,
};

/// Arity value of kinds that take any number of children.
inline constexpr std::uint8_t kVariableArity = 9;

/// One row of the kind table.
struct KindInfo {
  ObjectKind kind;
  std::string_view name;
  std::uint8_t arity;
  KindShape shape;
  LayoutFamily layout;
  std::uint32_t glyph; ///< character code in bits 8-15, face in bits 0-7
};

inline constexpr std::uint16_t kFirstKindCode = 0x1000;
inline constexpr int kKindCount = 149;

/// The row of a kind; `kind` must be a valid kind.
[[nodiscard]] const KindInfo& kindInfo(ObjectKind kind);
/// A kind of the table (what documents, the text form and the editor know).
[[nodiscard]] bool isValidKindCode(int code);
/// Exact, case-sensitive lookup of a kind by its name.
[[nodiscard]] std::optional<ObjectKind> kindByName(std::string_view name);
[[nodiscard]] std::string_view kindName(ObjectKind kind);
[[nodiscard]] KindShape kindShape(ObjectKind kind);
[[nodiscard]] std::uint8_t kindArity(ObjectKind kind);
/// Function-like: laid out by the function-name routine (sin..sgn, ln..real, fxnlike).
[[nodiscard]] bool isFunctionLike(ObjectKind kind);
/// The big operators whose payload words hold the glyph offset (sum .. bigcap, extended).
[[nodiscard]] bool isBigOperator(ObjectKind kind);

/// One row of the special-character table: inserted by command 0x1300 + index.
struct SpecialCharacter {
  std::string_view name;
  std::uint8_t symbolCode; ///< the character drawn in the Symbol face
};

inline constexpr int kSpecialCharacterCount = 51;
inline constexpr std::uint16_t kFirstSpecialCode = 0x1300;
inline constexpr std::uint16_t kLastSpecialCode = kFirstSpecialCode + kSpecialCharacterCount - 1;

[[nodiscard]] const SpecialCharacter& specialCharacter(int index);
[[nodiscard]] bool isSpecialCharacterCode(int code);
/// Character code (0x1300 + index) of the special character with this name.
[[nodiscard]] std::optional<std::uint16_t> specialCharacterByName(std::string_view name);

} // namespace vexmar
