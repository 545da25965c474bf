#include "editor/unicode_input.h"

#include <array>
#include <string_view>

namespace vexmar {
namespace {

// Characters that stand for an operator, a template or a small sequence of keys.
struct OperatorRow {
  char32_t character;
  std::array<EditorCommand, 3> codes; // unused places hold 0
};

// clang-format off
constexpr std::array<OperatorRow, 18> kOperators = {{
    {U'\u2212', {insertKindCommand(ObjectKind::minus)}},  // − minus sign
    {U'\u2013', {insertKindCommand(ObjectKind::minus)}},  // – en dash, which pasted text often has for minus
    {U'\u00D7', {insertKindCommand(ObjectKind::times)}},  // ×
    {U'\u00B7', {insertKindCommand(ObjectKind::times)}},  // · middle dot
    {U'\u22C5', {insertKindCommand(ObjectKind::times)}},  // ⋅ dot operator
    {U'\u2219', {insertKindCommand(ObjectKind::times)}},  // ∙ bullet operator
    {U'\u00F7', {insertKindCommand(ObjectKind::over)}},   // ÷
    {U'\u2215', {insertKindCommand(ObjectKind::over)}},   // ∕ division slash
    {U'\u00B9', {insertKindCommand(ObjectKind::power), '1', Command::Right}},  // ¹
    {U'\u00B2', {insertKindCommand(ObjectKind::power), '2', Command::Right}},  // ²
    {U'\u00B3', {insertKindCommand(ObjectKind::power), '3', Command::Right}},  // ³
    {U'\u221A', {insertKindCommand(ObjectKind::sqrt)}},   // √
    {U'\u221B', {Command::CubeRoot}},                     // ∛
    {U'\u2264', {Command::OpenLessOrEqual}},              // ≤
    {U'\u2265', {Command::OpenGreaterOrEqual}},           // ≥
    {U'\u2260', {Command::OpenNotEqual}},                 // ≠
    {U'\u00B1', {insertKindCommand(ObjectKind::pm)}},     // ±
    {U'\u2213', {insertKindCommand(ObjectKind::mp)}},     // ∓
}};
// clang-format on

// Characters that are letters of the editor: the name of a special character, or a Latin letter
// where the Greek letter looks the same.
struct LetterRow {
  char32_t character;
  std::string_view name; // one byte: that Latin letter
};

// clang-format off
constexpr std::array<LetterRow, 58> kLetters = {{
    {U'\u03B1', "alpha"},   {U'\u03B2', "beta"},    {U'\u03B3', "gamma"},   {U'\u03B4', "delta"},
    {U'\u03B5', "epsilon"}, {U'\u03F5', "epsilon"}, {U'\u03B6', "zeta"},    {U'\u03B7', "eta"},
    {U'\u03B8', "theta"},   {U'\u03D1', "vartheta"}, {U'\u03B9', "iota"},   {U'\u03BA', "kappa"},
    {U'\u03BB', "lambda"},  {U'\u03BC', "mu"},      {U'\u00B5', "mu"},      {U'\u03BD', "nu"},
    {U'\u03BE', "xi"},      {U'\u03BF', "o"},       {U'\u03C0', "pi"},      {U'\u03D6', "varpi"},
    {U'\u03C1', "rho"},     {U'\u03C3', "sigma"},   {U'\u03C2', "varsigma"}, {U'\u03C4', "tau"},
    {U'\u03C5', "upsilon"}, {U'\u03C6', "phi"},     {U'\u03D5', "phi"},     {U'\u03C7', "chi"},
    {U'\u03C8', "psi"},     {U'\u03C9', "omega"},
    {U'\u0391', "A"},       {U'\u0392', "B"},       {U'\u0393', "Gamma"},   {U'\u0394', "Delta"},
    {U'\u2206', "Delta"},   {U'\u0395', "E"},       {U'\u0396', "Z"},       {U'\u0397', "H"},
    {U'\u0398', "Theta"},   {U'\u0399', "I"},       {U'\u039A', "K"},       {U'\u039B', "Lambda"},
    {U'\u039C', "M"},       {U'\u039D', "N"},       {U'\u039E', "Xi"},      {U'\u039F', "O"},
    {U'\u03A0', "Pi"},      {U'\u03A1', "P"},       {U'\u03A3', "Sigma"},   {U'\u03A4', "T"},
    {U'\u03A5', "Upsilon"}, {U'\u03A6', "Phi"},     {U'\u03A7', "X"},       {U'\u03A8', "Psi"},
    {U'\u03A9', "Omega"},   {U'\u2126', "Omega"},   {U'\u221E', "infty"},   {U'\u00B0', "degree"},
}};
// clang-format on

} // namespace

std::vector<EditorCommand> unicodeCommands(char32_t character) {
  for (const LetterRow& row : kLetters) {
    if (row.character != character) continue;
    if (row.name.size() == 1) return {static_cast<unsigned char>(row.name.front())};
    return {specialCharacterCommand(row.name)};
  }
  for (const OperatorRow& row : kOperators) {
    if (row.character != character) continue;
    std::vector<EditorCommand> codes;
    for (EditorCommand c : row.codes)
      if (c != 0) codes.push_back(c);
    return codes;
  }
  return {};
}

} // namespace vexmar
