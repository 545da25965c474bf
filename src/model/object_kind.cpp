#include "model/object_kind.h"

#include <array>
#include <cassert>

namespace vexmar {
namespace {

constexpr std::array<KindInfo, kKindCount> kKindTable = {{
#define VEXMAR_KIND(ident, name, arity, shape, layout, glyph)                                                \
  {ObjectKind::ident, name, arity, KindShape::shape, LayoutFamily::layout, glyph},
#include "model/kind_table.def"
#undef VEXMAR_KIND
}};

static_assert(static_cast<int>(ObjectKind::fxnlike) == kFirstKindCode + kKindCount - 1,
              "the kind table must end at 0x1094");

constexpr std::array<SpecialCharacter, kSpecialCharacterCount> kSpecialCharacters = {{
    {"alpha", 0x61},    {"beta", 0x62},     {"chi", 0x63},    {"delta", 0x64},   {"Delta", 0x44},
    {"epsilon", 0x65},  {"phi", 0x66},      {"varphi", 0x6A}, {"Phi", 0x46},     {"gamma", 0x67},
    {"Gamma", 0x47},    {"eta", 0x68},      {"iota", 0x69},   {"kappa", 0x6B},   {"lambda", 0x6C},
    {"Lambda", 0x4C},   {"mu", 0x6D},       {"nu", 0x6E},     {"pi", 0x70},      {"Pi", 0x50},
    {"theta", 0x71},    {"vartheta", 0x4A}, {"Theta", 0x51},  {"rho", 0x72},     {"sigma", 0x73},
    {"varsigma", 0x56}, {"Sigma", 0x53},    {"tau", 0x74},    {"upsilon", 0x75}, {"Upsilon", 0xA1},
    {"omega", 0x77},    {"varpi", 0x76},    {"Omega", 0x57},  {"xi", 0x78},      {"Xi", 0x58},
    {"psi", 0x79},      {"Psi", 0x59},      {"zeta", 0x7A},   {"infty", 0xA5},   {"bot", 0x5E},
    {"ldots", 0xBC},    {"aleph", 0xC0},    {"Im", 0xC1},     {"Re", 0xC2},      {"wp", 0xC3},
    {"emptyset", 0xC6}, {"cpartial", 0xB6}, {"nabla", 0xD1},  {"prime", 0xA2},   {"pprime", 0xB2},
    {"degree", 0xB0},
}};

// The algebra's internal kinds: binary, laid out like a derivative operator if ever drawn.
constexpr std::array<KindInfo, 2> kInternalKinds = {{
    {ObjectKind::PartialDerivativeKind, "partialderivative", 2, KindShape::Binary,
     LayoutFamily::DerivativeOperator, 0},
    {ObjectKind::TotalDerivativeKind, "totalderivative", 2, KindShape::Binary,
     LayoutFamily::DerivativeOperator, 0},
}};

const KindInfo* internalKindInfo(ObjectKind kind) {
  for (const KindInfo& row : kInternalKinds)
    if (row.kind == kind) return &row;
  return nullptr;
}

} // namespace

bool isValidKindCode(int code) { return code >= kFirstKindCode && code < kFirstKindCode + kKindCount; }

const KindInfo& kindInfo(ObjectKind kind) {
  const int code = static_cast<int>(kind);
  if (isValidKindCode(code)) return kKindTable[static_cast<std::size_t>(code - kFirstKindCode)];
  const KindInfo* internal = internalKindInfo(kind);
  assert(internal);
  return *internal;
}

std::optional<ObjectKind> kindByName(std::string_view name) {
  for (const KindInfo& row : kKindTable)
    if (row.name == name) return row.kind;
  return std::nullopt;
}

std::string_view kindName(ObjectKind kind) { return kindInfo(kind).name; }
KindShape kindShape(ObjectKind kind) { return kindInfo(kind).shape; }
std::uint8_t kindArity(ObjectKind kind) { return kindInfo(kind).arity; }

bool isFunctionLike(ObjectKind kind) { return kindInfo(kind).layout == LayoutFamily::FunctionName; }

bool isBigOperator(ObjectKind kind) { return kindInfo(kind).layout == LayoutFamily::BigOperator; }

const SpecialCharacter& specialCharacter(int index) {
  assert(index >= 0 && index < kSpecialCharacterCount);
  return kSpecialCharacters[static_cast<std::size_t>(index)];
}

bool isSpecialCharacterCode(int code) { return code >= kFirstSpecialCode && code <= kLastSpecialCode; }

std::optional<std::uint16_t> specialCharacterByName(std::string_view name) {
  for (std::size_t i = 0; i < kSpecialCharacters.size(); ++i)
    if (kSpecialCharacters[i].name == name) return static_cast<std::uint16_t>(kFirstSpecialCode + i);
  return std::nullopt;
}

} // namespace vexmar
