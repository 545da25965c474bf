#include "text/object_text.h"

#include "model/model_state.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace vexmar {
namespace {

// Significant digits of each kind of number in the text ("%.*g" style).
constexpr int kIntegerDigits = 14;
constexpr int kScaleDigits = 2;
constexpr int kValueDigits = 16;
constexpr int kExactValueDigits = 17; // enough for every double
constexpr int kRenderDigits = 12;     // display text rebuilt after reading

constexpr std::size_t kMaxNameLength = 100;
constexpr std::size_t kMaxFontNameLength = 100;
constexpr std::size_t kMaxNumberTextLength = NumberRecord::kTextCapacity - 1;
// The model's text buffer grows as needed, so a text of any length written must read back.
constexpr std::size_t kUnlimitedLength = std::numeric_limits<std::size_t>::max();

constexpr double kFixedOne = 65536.0;
constexpr char kQuote = '"';

struct Range {
  std::int64_t min;
  std::int64_t max;
};
constexpr Range kInt32Range{std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max()};
constexpr Range kByteRange{0, 255};
constexpr Range kInt16Range{std::numeric_limits<std::int16_t>::min(),
                            std::numeric_limits<std::int16_t>::max()};
constexpr Range kMaskRange{0, std::numeric_limits<std::uint32_t>::max()};
constexpr Range kFlagRange{0, 1};

// ---- The common attribute block ----------------------------------------------------------------

enum class ItemValue : std::uint8_t { Integer, Scale, Flag, FontName };

struct BlockItem {
  char letter;
  ItemValue value;
  Range range;                            // what an Integer item's field holds
  std::int64_t (*get)(const MathObject&); // zero leaves the item out
  void (*set)(MathObject&, std::int64_t);
};

using Node = MathObject;
using Value = std::int64_t;

// In the order the items must appear.
// clang-format off
constexpr std::array<BlockItem, 17> kBlockItems = {{
    {'x', ItemValue::Integer, kInt32Range, [](const Node& o) -> Value { return o.shiftX; },
                                           [](Node& o, Value v) { o.shiftX = static_cast<Fixed>(v); }},
    {'y', ItemValue::Integer, kInt32Range, [](const Node& o) -> Value { return o.shiftY; },
                                           [](Node& o, Value v) { o.shiftY = static_cast<Fixed>(v); }},
    {'i', ItemValue::Integer, kByteRange,  [](const Node& o) -> Value { return o.style[1]; },
                                           [](Node& o, Value v) { o.style[1] = static_cast<std::uint8_t>(v); }},
    // A font name from older texts: only its presence is kept, as the tag.
    {'f', ItemValue::FontName, {},         [](const Node&) -> Value { return 0; },
                                           [](Node& o, Value) { o.tag = 1; }},
    {'a', ItemValue::Integer, kByteRange,  [](const Node& o) -> Value { return o.style[2]; },
                                           [](Node& o, Value v) { o.style[2] = static_cast<std::uint8_t>(v); }},
    {'w', ItemValue::Integer, kByteRange,  [](const Node& o) -> Value { return o.style[3]; },
                                           [](Node& o, Value v) { o.style[3] = static_cast<std::uint8_t>(v); }},
    {'s', ItemValue::Scale, kInt32Range,   [](const Node& o) -> Value { return o.fontSize; },
                                           [](Node& o, Value v) { o.fontSize = static_cast<Fixed>(v); }},
    {'n', ItemValue::Flag, {},             [](const Node& o) -> Value { return o.style[0] != 0; },
                                           [](Node& o, Value) { o.style[0] = 1; }},
    {'l', ItemValue::Integer, kInt32Range, [](const Node& o) -> Value { return o.padLeft; },
                                           [](Node& o, Value v) { o.padLeft = static_cast<Fixed>(v); }},
    {'r', ItemValue::Integer, kInt32Range, [](const Node& o) -> Value { return o.padRight; },
                                           [](Node& o, Value v) { o.padRight = static_cast<Fixed>(v); }},
    {'t', ItemValue::Integer, kInt32Range, [](const Node& o) -> Value { return o.padAscent; },
                                           [](Node& o, Value v) { o.padAscent = static_cast<Fixed>(v); }},
    {'b', ItemValue::Integer, kInt32Range, [](const Node& o) -> Value { return o.padTop; },
                                           [](Node& o, Value v) { o.padTop = static_cast<Fixed>(v); }},
    {'c', ItemValue::Integer, kByteRange,  [](const Node& o) -> Value { return o.verticalAlignment; },
                                           [](Node& o, Value v) { o.verticalAlignment = static_cast<std::uint8_t>(v); }},
    {'j', ItemValue::Integer, kByteRange,  [](const Node& o) -> Value { return o.horizontalAlignment; },
                                           [](Node& o, Value v) { o.horizontalAlignment = static_cast<std::uint8_t>(v); }},
    {'u', ItemValue::Flag, {},             [](const Node& o) -> Value { return o.fifthOption & 2; },
                                           [](Node& o, Value) { o.fifthOption |= 2; }},
    {'v', ItemValue::Flag, {},             [](const Node& o) -> Value { return o.fifthOption & 1; },
                                           [](Node& o, Value) { o.fifthOption |= 1; }},
    {'A', ItemValue::Integer, kByteRange,  [](const Node& o) -> Value { return o.spare; },
                                           [](Node& o, Value v) { o.spare = static_cast<std::uint8_t>(v); }},
}};
// clang-format on

// ---- Kind-specific fields ----------------------------------------------------------------------

// The five decoration integers of `char` and `dummy`, in text order.
struct DecorationField {
  int shift;
  std::uint32_t max;
};
constexpr std::array<DecorationField, 5> kDecorationFields = {{
    {0, 3},                                  // accent above
    {Decoration::kPrimesShift, 3},           // primes
    {Decoration::kDotsShift, 3},             // dots above
    {std::countr_zero(Decoration::kBar), 1}, // bar above
    {Decoration::kMarkBelowShift, 3}         // mark below
}};
// The decoration bits the text carries; the rest of the word is the model's own.
constexpr std::uint32_t kWrittenDecoration = Decoration::kAccentMask | Decoration::kDotsMask |
                                             Decoration::kPrimesMask | Decoration::kBar |
                                             Decoration::kMarkBelowMask;

constexpr std::string_view kInfinityText = "Infinity";
// Keeps the sign, which a bare "Infinity" would lose.
constexpr std::string_view kNegativeInfinityText = "-Infinity";
constexpr std::string_view kNotANumberText = "NaN";

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isNameCharacter(char c) { return isLetter(c) || isDigit(c); }
bool isNumberCharacter(char c) {
  return isDigit(c) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
}

std::string replaced(std::string_view text, char from, char to) {
  std::string result(text);
  if (from != to) std::replace(result.begin(), result.end(), from, to);
  return result;
}

// ---- Numbers -----------------------------------------------------------------------------------

// "%.*g" without the locale: a Qt application switches the C library to the user's locale.
void appendGeneral(std::string& out, double value, int digits) {
  std::array<char, 64> buffer{};
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, digits);
  out.append(buffer.data(), result.ptr);
}

// 16 digits as the format asks, 17 for the doubles 16 cannot tell apart from a neighbour.
void appendValue(std::string& out, double value) {
  std::string rendered;
  appendGeneral(rendered, value, kValueDigits);
  double back = 0.0;
  std::from_chars(rendered.data(), rendered.data() + rendered.size(), back);
  if (back != value) {
    rendered.clear();
    appendGeneral(rendered, value, kExactValueDigits);
  }
  out += rendered;
}

// Strict grammar of a value in the text: [+-] digits [. digits] [e [+-] digits], at least one digit.
bool isDecimalReal(std::string_view token) {
  std::size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  std::size_t digits = 0;
  for (; i < token.size() && isDigit(token[i]); ++i) ++digits;
  if (i < token.size() && token[i] == '.')
    for (++i; i < token.size() && isDigit(token[i]); ++i) ++digits;
  if (digits == 0) return false;
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    for (; i < token.size() && isDigit(token[i]); ++i) ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == token.size();
}

// A value too small for a double reads as zero; one too large is an error.
bool parseDecimalReal(std::string_view token, double& value) {
  if (!isDecimalReal(token)) return false;
  if (token.front() == '+') token.remove_prefix(1);
  const auto result = std::from_chars(token.data(), token.data() + token.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (decimalExceedsDoubleRange(token)) return false;
    value = token.front() == '-' ? -0.0 : 0.0;
    return true;
  }
  return result.ec == std::errc{} && result.ptr == token.data() + token.size();
}

// Gives a number whose display text shows another value a text rendered from the value; a
// rendering with an exponent becomes an `sn` of the mantissa and the exponent.
void renderFromValue(MathObject& number, ObjectPtr& root, char separator) {
  NumberRecord& record = *number.number;
  std::string rendering;
  appendGeneral(rendering, record.value, kRenderDigits);
  const std::size_t e = rendering.find('e');
  if (e == std::string::npos) {
    record.setDisplayText(replaced(rendering, '.', separator));
    return;
  }
  std::string_view exponentText = std::string_view(rendering).substr(e + 1);
  if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
  int exponent = 0;
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  record.keepMantissa(replaced(std::string_view(rendering).substr(0, e), '.', separator), exponent);
  // At a tie of the last digit the whole value and the mantissa, a double of its own, may round
  // apart; the mantissa shows what its value renders as, so that reading the text again keeps it.
  std::string mantissaText;
  appendGeneral(mantissaText, record.value, kRenderDigits);
  record.setDisplayText(replaced(mantissaText, '.', separator));

  ObjectPtr power = makeNumber(exponent, std::to_string(exponent));
  MathObject* parent = number.parent;
  if (!parent) {
    root = makeObject(ObjectKind::sn, std::move(root), std::move(power));
    return;
  }
  const int index = number.indexInParent;
  ObjectPtr mantissa = std::move(parent->children[static_cast<std::size_t>(index)]);
  setChild(*parent, index, makeObject(ObjectKind::sn, std::move(mantissa), std::move(power)));
}

void renderStaleNumbers(ObjectPtr& root, char separator) {
  std::vector<MathObject*> stale;
  for (MathObject* node = root.get(); node; node = nextPreorder(*node, *root))
    if (node->is(ObjectKind::num) && node->number->showsOtherValue(separator)) stale.push_back(node);
  for (MathObject* node : stale) renderFromValue(*node, root, separator);
}

// ---- Writing -----------------------------------------------------------------------------------

void appendInteger(std::string& out, std::int64_t value) {
  appendGeneral(out, static_cast<double>(value), kIntegerDigits);
}

void appendQuoted(std::string& out, std::string_view text) {
  out += kQuote;
  for (char c : text) {
    if (c == kQuote) out += kQuote;
    out += c;
  }
  out += kQuote;
}

void writeBlock(std::string& out, const MathObject& node) {
  const bool any = std::any_of(kBlockItems.begin(), kBlockItems.end(),
                               [&](const BlockItem& item) { return item.get(node) != 0; });
  if (!any) return;
  out += "(*";
  for (const BlockItem& item : kBlockItems) {
    const std::int64_t value = item.get(node);
    if (value == 0) continue;
    out += item.letter;
    if (item.value == ItemValue::Integer) {
      appendInteger(out, value);
      out += item.letter;
    } else if (item.value == ItemValue::Scale) {
      appendGeneral(out, static_cast<double>(value) / kFixedOne, kScaleDigits);
      out += item.letter;
    }
  }
  out += "*)";
}

void writeNumber(std::string& out, const MathObject& node) {
  const double value = node.number ? node.number->value : 0.0;
  if (std::isnan(value) || std::isinf(value)) {
    out += "0,";
    appendQuoted(out, std::isnan(value) ? kNotANumberText
                      : value < 0       ? kNegativeInfinityText
                                        : kInfinityText);
    return;
  }
  appendValue(out, value);
  out += ',';
  const std::string_view shown = node.number ? node.number->displayText() : std::string_view{};
  appendQuoted(out, replaced(shown, modelState().decimalSeparator, '.'));
}

void writeSymbol(std::string& out, const MathObject& node) {
  const std::uint16_t code = node.characterCode();
  if (code < 0x80 && isLetter(static_cast<char>(code))) {
    out += static_cast<char>(code);
  } else if (isSpecialCharacterCode(code)) {
    out += specialCharacter(code - kFirstSpecialCode).name;
  } else {
    out += std::to_string(code); // no name for it: the code itself keeps the tree readable
  }
  if ((node.decoration & kWrittenDecoration) == 0) return;
  for (const DecorationField& field : kDecorationFields) {
    out += ',';
    appendInteger(out, (node.decoration >> field.shift) & field.max);
  }
}

void writeSpecifics(std::string& out, const MathObject& node) {
  const auto low = static_cast<std::int16_t>(node.payloadA & 0xFFFF);
  const auto high = static_cast<std::int16_t>((node.payloadA >> 16) & 0xFFFF);
  const auto bits = static_cast<std::uint32_t>(node.payloadA);
  switch (node.kind) {
  case ObjectKind::num:
    writeNumber(out, node);
    break;
  case ObjectKind::char_:
  case ObjectKind::dummy:
    writeSymbol(out, node);
    break;
  case ObjectKind::string:
    // The model's text ends at a NUL, and the reader takes none.
    appendQuoted(out, std::string_view(node.text.c_str()));
    break;
  case ObjectKind::matrix:
  case ObjectKind::indexes:
    appendInteger(out, low);
    out += ',';
    appendInteger(out, high);
    out += ',';
    break;
  case ObjectKind::tensor: {
    const int count = node.childCount();
    const std::uint32_t mask = count >= 31 ? 0xFFFFFFFFu : (2u << count) - 1;
    appendInteger(out, bits & mask);
    out += ',';
    break;
  }
  case ObjectKind::chem:
    for (int bit : kChemSlotBits) {
      appendInteger(out, (bits >> bit) & 1);
      out += ',';
    }
    break;
  default:
    break;
  }
}

void writeHead(std::string& out, const MathObject& node) {
  out += kindName(node.kind);
  out += '[';
  writeBlock(out, node);
  writeSpecifics(out, node);
}

// ---- Reading -----------------------------------------------------------------------------------

// clang-format off
constexpr std::array<std::string_view, 13> kErrorMessages = {{
    "",
    "the text ends inside an object",
    "unexpected character",
    "a kind name is missing or longer than 100 characters",
    "unknown kind name",
    "malformed number",
    "value out of range for its attribute",
    "quoted text too long",
    "NUL byte inside quoted text",
    "unknown character symbol",
    "matrix or index counts out of range",
    "more than 10000 children in one object",
    "text continues after the object",
}};
// clang-format on
static_assert(kErrorMessages.size() == static_cast<std::size_t>(ObjectTextError::TrailingText) + 1);

std::optional<std::uint16_t> characterCodeOf(std::string_view symbol) {
  if (symbol.size() == 1 && isLetter(symbol.front())) return static_cast<std::uint16_t>(symbol.front());
  if (std::all_of(symbol.begin(), symbol.end(), isDigit)) {
    unsigned code = 0;
    const auto result = std::from_chars(symbol.data(), symbol.data() + symbol.size(), code);
    if (result.ec != std::errc{} || code > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(code);
  }
  return specialCharacterByName(symbol);
}

class Reader {
public:
  explicit Reader(std::string_view text) : text_(text), separator_(modelState().decimalSeparator) {}

  ObjectTextReadResult read() {
    ObjectTextReadResult result;
    ObjectPtr root = readTree();
    if (root && !atEnd()) fail(ObjectTextError::TrailingText);
    if (error_ != ObjectTextError::None) {
      result.error = error_;
      result.message = kErrorMessages[static_cast<std::size_t>(error_)];
      if (!expected_.empty()) result.message += " (expected " + expected_ + ")";
      result.offset = errorOffset_;
      return result; // the partial tree dies with `root`
    }
    renderStaleNumbers(root, separator_);
    result.object = std::move(root);
    return result;
  }

private:
  struct Open {
    MathObject* node;
    int expectedChildren; // -1: as many as stand before the ']'
  };

  ObjectPtr readTree() {
    ObjectPtr root;
    int expected = 0;
    if (!readHead(root, expected)) return nullptr;
    std::vector<Open> open{{root.get(), expected}};
    while (!open.empty()) {
      const Open top = open.back();
      const int have = top.node->childCount();
      const bool complete = top.expectedChildren >= 0 ? have == top.expectedChildren : peekIs(']');
      if (complete) {
        if (!expect(']')) return nullptr;
        open.pop_back();
        continue;
      }
      if (have > 0 && !consume(',')) {
        failExpecting(top.expectedChildren < 0 ? "',' or ']'" : "','");
        return nullptr;
      }
      if (have == kMaxChildren) {
        fail(ObjectTextError::TooManyChildren);
        return nullptr;
      }
      ObjectPtr child;
      int childExpected = 0;
      if (!readHead(child, childExpected)) return nullptr;
      open.push_back({appendChild(*top.node, std::move(child)), childExpected});
    }
    return root;
  }

  // Kind name, '[', attribute block and kind-specific attributes: all but the children.
  bool readHead(ObjectPtr& node, int& expectedChildren) {
    const std::size_t start = pos_;
    const std::string_view name = takeRun(isNameCharacter);
    if (name.empty())
      return fail(atEnd() ? ObjectTextError::UnexpectedEnd : ObjectTextError::MissingKindName);
    if (name.size() > kMaxNameLength) return failAt(start, ObjectTextError::MissingKindName);
    const std::optional<ObjectKind> kind = kindByName(name);
    if (!kind) return failAt(start, ObjectTextError::UnknownKind);
    if (!expect('[')) return false;
    node = *kind == ObjectKind::num ? makeNumber(0.0) : makeObject(*kind);
    const std::uint8_t arity = kindArity(*kind);
    expectedChildren = arity == kVariableArity ? -1 : arity;
    if (!readBlock(*node) || !readSpecifics(*node, expectedChildren)) return false;
    if (expectedChildren > 0) node->children.reserve(static_cast<std::size_t>(expectedChildren));
    return true;
  }

  bool readBlock(MathObject& node) {
    if (!consume('(')) return true;
    if (!expect('*')) return false;
    for (const BlockItem& item : kBlockItems) {
      if (!consume(item.letter)) continue;
      std::int64_t value = 1;
      switch (item.value) {
      case ItemValue::Flag:
        break;
      case ItemValue::Integer:
        if (!readInteger(value, item.range) || !expect(item.letter)) return false;
        break;
      case ItemValue::Scale: {
        double scale = 0.0;
        if (!readReal(scale) || !expect(item.letter)) return false;
        // Two significant digits can round past the field's end: clamp rather than refuse.
        const double fixed = std::clamp(std::trunc(scale * kFixedOne), static_cast<double>(item.range.min),
                                        static_cast<double>(item.range.max));
        value = static_cast<std::int64_t>(fixed);
        break;
      }
      case ItemValue::FontName: {
        std::string ignored;
        if (!readQuoted(ignored, kMaxFontNameLength) || !expect(item.letter)) return false;
        break;
      }
      }
      item.set(node, value);
    }
    return expect('*') && expect(')');
  }

  bool readSpecifics(MathObject& node, int& expectedChildren) {
    switch (node.kind) {
    case ObjectKind::num:
      return readNumber(*node.number);
    case ObjectKind::char_:
    case ObjectKind::dummy:
      return readSymbol(node);
    case ObjectKind::string:
      return readQuoted(node.text, kUnlimitedLength);
    case ObjectKind::matrix:
    case ObjectKind::indexes:
      return readCounts(node, expectedChildren);
    case ObjectKind::tensor: {
      std::int64_t mask = 0;
      if (!readInteger(mask, kMaskRange) || !expect(',')) return false;
      node.payloadA = static_cast<std::int32_t>(static_cast<std::uint32_t>(mask));
      return true;
    }
    case ObjectKind::chem: {
      std::uint32_t bits = 0;
      for (int bit : kChemSlotBits) {
        std::int64_t flag = 0;
        if (!readInteger(flag, kFlagRange) || !expect(',')) return false;
        bits |= static_cast<std::uint32_t>(flag) << bit;
      }
      node.payloadA = static_cast<std::int32_t>(bits);
      return true;
    }
    default:
      return true;
    }
  }

  bool readNumber(NumberRecord& record) {
    double value = 0.0;
    std::string shown;
    if (!readReal(value) || !expect(',') || !readQuoted(shown, kMaxNumberTextLength)) return false;
    if (shown == kInfinityText) value = std::numeric_limits<double>::infinity();
    if (shown == kNegativeInfinityText) value = -std::numeric_limits<double>::infinity();
    if (shown == kNotANumberText) value = std::numeric_limits<double>::quiet_NaN();
    record.value = value;
    record.setDisplayText(replaced(shown, '.', separator_));
    return true;
  }

  bool readSymbol(MathObject& node) {
    const std::size_t start = pos_;
    const std::string_view symbol = takeRun(isNameCharacter);
    if (symbol.empty())
      return fail(atEnd() ? ObjectTextError::UnexpectedEnd : ObjectTextError::UnknownSymbol);
    const std::optional<std::uint16_t> code =
        symbol.size() <= kMaxNameLength ? characterCodeOf(symbol) : std::nullopt;
    if (!code) return failAt(start, ObjectTextError::UnknownSymbol);
    node.payloadA = *code;
    if (!consume(',')) return true;
    std::uint32_t decoration = 0;
    for (std::size_t i = 0; i < kDecorationFields.size(); ++i) {
      std::int64_t value = 0;
      if (i > 0 && !expect(',')) return false;
      if (!readInteger(value, {0, kDecorationFields[i].max})) return false;
      decoration |= static_cast<std::uint32_t>(value) << kDecorationFields[i].shift;
    }
    node.decoration = decoration;
    return true;
  }

  bool readCounts(MathObject& node, int& expectedChildren) {
    const std::size_t start = pos_;
    std::int64_t first = 0;
    std::int64_t second = 0;
    if (!readInteger(first, kInt16Range) || !expect(',') || !readInteger(second, kInt16Range) || !expect(','))
      return false;
    const bool isMatrix = node.is(ObjectKind::matrix);
    const std::int64_t count = isMatrix ? first * second : first + second + 1;
    const bool valid = isMatrix ? first >= 1 && second >= 1 : first >= 0 && second >= 0;
    if (!valid || count > kMaxChildren) return failAt(start, ObjectTextError::BadDimensions);
    node.payloadA = static_cast<std::int32_t>((static_cast<std::uint32_t>(second) << 16) |
                                              static_cast<std::uint32_t>(first));
    expectedChildren = static_cast<int>(count);
    return true;
  }

  bool readReal(double& value) {
    const std::size_t start = pos_;
    const std::string_view token = takeRun(isNumberCharacter);
    if (token.empty() && atEnd()) return fail(ObjectTextError::UnexpectedEnd);
    if (!parseDecimalReal(token, value)) return failAt(start, ObjectTextError::BadNumber);
    return true;
  }

  // A real truncated toward zero, which must fit the field it is for.
  bool readInteger(std::int64_t& value, Range range) {
    const std::size_t start = pos_;
    double real = 0.0;
    if (!readReal(real)) return false;
    const double whole = std::trunc(real);
    if (whole < static_cast<double>(range.min) || whole > static_cast<double>(range.max))
      return failAt(start, ObjectTextError::ValueOutOfRange);
    value = static_cast<std::int64_t>(whole);
    return true;
  }

  // A quoted text with doubled quotes, of at most `limit` characters.
  bool readQuoted(std::string& text, std::size_t limit) {
    if (!expect(kQuote)) return false;
    for (;;) {
      if (atEnd()) return fail(ObjectTextError::UnexpectedEnd);
      const char c = text_[pos_];
      const bool doubledQuote = c == kQuote && pos_ + 1 < text_.size() && text_[pos_ + 1] == kQuote;
      if (c == kQuote && !doubledQuote) {
        ++pos_;
        return true;
      }
      if (c == '\0') return fail(ObjectTextError::InvalidCharacter);
      if (text.size() == limit) return fail(ObjectTextError::TextTooLong);
      text += c;
      pos_ += doubledQuote ? 2 : 1;
    }
  }

  [[nodiscard]] bool atEnd() const { return pos_ >= text_.size(); }
  [[nodiscard]] bool peekIs(char c) const { return !atEnd() && text_[pos_] == c; }

  bool consume(char c) {
    if (!peekIs(c)) return false;
    ++pos_;
    return true;
  }

  bool expect(char c) { return consume(c) || failExpecting(std::string{'\'', c, '\''}); }

  bool failExpecting(std::string_view what) {
    if (error_ == ObjectTextError::None) expected_ = what;
    return fail(atEnd() ? ObjectTextError::UnexpectedEnd : ObjectTextError::UnexpectedCharacter);
  }

  std::string_view takeRun(bool (*belongs)(char)) {
    const std::size_t start = pos_;
    while (!atEnd() && belongs(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  // Records the first failure only; every caller returns at once after it.
  bool fail(ObjectTextError error) { return failAt(pos_, error); }
  bool failAt(std::size_t offset, ObjectTextError error) {
    if (error_ == ObjectTextError::None) {
      error_ = error;
      errorOffset_ = offset;
    }
    return false;
  }

  std::string_view text_;
  char separator_;
  std::size_t pos_ = 0;
  ObjectTextError error_ = ObjectTextError::None;
  std::size_t errorOffset_ = 0;
  std::string expected_; // what an UnexpectedEnd or UnexpectedCharacter wanted
};

} // namespace

std::string writeObjectText(const MathObject& object) {
  struct Open {
    const MathObject* node;
    int next;
  };
  std::string out;
  writeHead(out, object);
  std::vector<Open> open{{&object, 0}};
  while (!open.empty()) {
    Open& top = open.back();
    if (top.next == top.node->childCount()) {
      out += ']';
      open.pop_back();
      continue;
    }
    if (top.next > 0) out += ',';
    const MathObject* child = top.node->child(top.next++);
    if (!child) {
      // An unfilled slot stands for a prompt; writing one keeps the text readable.
      out += kindName(ObjectKind::prompt);
      out += "[]";
      continue;
    }
    writeHead(out, *child);
    open.push_back({child, 0}); // `top` is not used past this point
  }
  return out;
}

ObjectTextReadResult readObjectTextChecked(std::string_view text) { return Reader(text).read(); }

ObjectPtr readObjectText(std::string_view text) { return readObjectTextChecked(text).object; }

} // namespace vexmar
