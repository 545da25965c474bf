#include "text/object_text.h"

#include "model/model_state.h"
#include "text_mutations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <tuple>

namespace vexmar {
namespace {

// Every test must leave no node or number record behind, whatever the reader refused.
class ObjectTextTest : public ::testing::Test {
protected:
  void SetUp() override {
    resetModelState();
    objects_ = objectsInUse();
    numbers_ = numberRecordsInUse();
  }
  void TearDown() override {
    resetModelState();
    EXPECT_EQ(objectsInUse(), objects_);
    EXPECT_EQ(numberRecordsInUse(), numbers_);
  }

private:
  std::size_t objects_ = 0;
  std::size_t numbers_ = 0;
};

template <typename... Children> ObjectPtr node(ObjectKind kind, Children&&... children) {
  ObjectPtr n = makeObject(kind);
  (appendChild(*n, std::forward<Children>(children)), ...);
  return n;
}

ObjectPtr withChildren(ObjectPtr n, int count) {
  for (int i = 0; i < count; ++i) appendChild(*n, makePrompt());
  return n;
}

// Everything the text form carries besides the structure treeEqual compares.
auto carried(const MathObject& o) {
  return std::tuple(o.shiftX, o.shiftY, o.padAscent, o.padTop, o.padLeft, o.padRight, o.style, o.spare,
                    o.horizontalAlignment, o.verticalAlignment, o.fifthOption, o.fontSize, o.payloadA,
                    o.decoration & 0x1FF, o.text, o.number ? std::string(o.number->displayText()) : "");
}

// Written, read back and written again: tree, attributes and text must all survive.
void expectRoundTrip(const MathObject& tree) {
  const std::string text = writeObjectText(tree);
  const ObjectPtr back = readObjectText(text);
  ASSERT_TRUE(back) << text;
  EXPECT_TRUE(treeEqual(tree, *back)) << text;
  for (const MathObject *a = &tree, *b = back.get(); a && b;
       a = nextPreorder(a, tree), b = nextPreorder(b, *back))
    EXPECT_EQ(carried(*a), carried(*b)) << kindName(a->kind);
  EXPECT_EQ(writeObjectText(*back), text);
}

ObjectPtr withPayload(ObjectPtr n, std::int32_t payload) {
  n->payloadA = payload;
  return n;
}

std::string prompts(int count) {
  std::string text = "prompt[]";
  for (int i = 1; i < count; ++i) text += ",prompt[]";
  return text;
}

std::string reread(std::string_view text) {
  const ObjectPtr tree = readObjectText(text);
  return tree ? writeObjectText(*tree) : "(refused)";
}

// One object of each kind, with the children its kind needs.
ObjectPtr sampleOf(ObjectKind kind) {
  switch (kind) {
  case ObjectKind::num:
    return makeNumber(2.5, "2.5");
  case ObjectKind::char_:
    return makeChar('x');
  case ObjectKind::dummy:
    return makeDummy(kFirstSpecialCode + 20);
  case ObjectKind::string:
    return makeString("say \"hi\"");
  case ObjectKind::matrix:
    return withPayload(withChildren(makeObject(kind), 6), 2 | 3 << 16);
  case ObjectKind::indexes:
    return withPayload(withChildren(makeObject(kind), 4), 1 | 2 << 16);
  case ObjectKind::tensor:
    return withPayload(withChildren(makeObject(kind), 3), 0b101);
  case ObjectKind::chem:
    return withPayload(withChildren(makeObject(kind), 2), 0b0110);
  default:
    break;
  }
  const int arity = kindArity(kind);
  if (arity != kVariableArity) return withChildren(makeObject(kind), arity);
  return node(kind, makeChar('y'), makeNumber(3, "3"));
}

TEST_F(ObjectTextTest, EveryKindSurvivesWriteReadWrite) {
  for (int code = kFirstKindCode; code < kFirstKindCode + kKindCount; ++code) {
    const auto kind = static_cast<ObjectKind>(code);
    SCOPED_TRACE(std::string(kindName(kind)));
    const ObjectPtr tree = sampleOf(kind);
    EXPECT_EQ(writeObjectText(*tree).rfind(std::string(kindName(kind)) + "[", 0), 0u);
    expectRoundTrip(*tree);
  }
}

TEST_F(ObjectTextTest, KnownTexts) {
  const auto decorated = [] {
    ObjectPtr x = makeChar('x');
    x->decoration = 2 | (3u << Decoration::kDotsShift) | (1u << Decoration::kPrimesShift) | Decoration::kBar |
                    (2u << Decoration::kMarkBelowShift);
    return x;
  };
  const struct {
    const char* name;
    std::function<ObjectPtr()> build;
    std::string text;
  } rows[] = {
      {"one plus x", [] { return node(ObjectKind::plus, makeNumber(1, "1"), makeChar('x')); },
       R"(plus[num[1,"1"],char[x]])"},
      {"special character", [] { return makeChar(kFirstSpecialCode + 20); }, "char[theta]"},
      {"decoration order: accent, primes, dots, bar, mark", decorated, "char[x,2,1,3,1,2]"},
      {"decoration bits the text does not carry", [] { return withPayload(makeChar('x'), 'x'); }, "char[x]"},
      {"code without a name", [] { return makeDummy('+'); }, "dummy[43]"},
      {"quotes doubled", [] { return makeString("say \"hi\""); }, R"(string["say ""hi"""])"},
      {"text ends at NUL", [] { return makeString(std::string("ab\0c", 4)); }, R"(string["ab"])"},
      {"infinity", [] { return makeNumber(INFINITY, "x"); }, R"(num[0,"Infinity"])"},
      {"negative infinity keeps its sign", [] { return makeNumber(-INFINITY); }, R"(num[0,"-Infinity"])"},
      {"not a number", [] { return makeNumber(NAN); }, R"(num[0,"NaN"])"},
      {"value needing 17 digits", [] { return makeNumber(0.1 + 0.2, "0.3"); },
       R"(num[0.30000000000000004,"0.3"])"},
      {"matrix counts",
       [] { return withPayload(withChildren(makeObject(ObjectKind::matrix), 2), 2 | 1 << 16); },
       "matrix[2,1,prompt[],prompt[]]"},
      {"indexes counts", [] { return withPayload(withChildren(makeObject(ObjectKind::indexes), 2), 1); },
       "indexes[1,0,prompt[],prompt[]]"},
      {"tensor mask limited by children",
       [] { return withPayload(withChildren(makeObject(ObjectKind::tensor), 2), 0xFF); },
       "tensor[7,prompt[],prompt[]]"},
      {"tensor mask of many children",
       [] { return withPayload(withChildren(makeObject(ObjectKind::tensor), 40), -1); },
       "tensor[4294967295," + prompts(40) + "]"},
      {"chem flag order: bits 2, 3, 0, 1", [] { return withPayload(makeObject(ObjectKind::chem), 0b0001); },
       "chem[0,0,1,0,]"},
      {"unfilled slot written as a prompt", [] { return makeObject(ObjectKind::sin, 1); }, "sin[prompt[]]"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ObjectPtr tree = row.build();
    EXPECT_EQ(writeObjectText(*tree), row.text);
    EXPECT_EQ(reread(row.text), row.text);
  }
}

struct BlockItemRow {
  const char* name;
  void (*set)(MathObject&);
  const char* text;
};
const BlockItemRow kBlockRows[] = {
    {"shiftX", [](MathObject& o) { o.shiftX = 1; }, "x1x"},
    {"shiftY", [](MathObject& o) { o.shiftY = -2147483647 - 1; }, "y-2147483648y"},
    {"second style byte", [](MathObject& o) { o.style[1] = 3; }, "i3i"},
    {"face byte", [](MathObject& o) { o.style[2] = 255; }, "a255a"},
    {"second face byte", [](MathObject& o) { o.style[3] = 5; }, "w5w"},
    {"scale", [](MathObject& o) { o.fontSize = 32768; }, "s0.5s"},
    {"first style byte", [](MathObject& o) { o.style[0] = 1; }, "n"},
    {"padLeft", [](MathObject& o) { o.padLeft = 6; }, "l6l"},
    {"padRight", [](MathObject& o) { o.padRight = 7; }, "r7r"},
    {"padAscent", [](MathObject& o) { o.padAscent = 8; }, "t8t"},
    {"padTop", [](MathObject& o) { o.padTop = 2147483647; }, "b2147483647b"},
    {"vertical alignment", [](MathObject& o) { o.verticalAlignment = 1; }, "c1c"},
    {"horizontal alignment", [](MathObject& o) { o.horizontalAlignment = 4; }, "j4j"},
    {"fifth option 3", [](MathObject& o) { o.fifthOption = 3; }, "uv"},
    {"spare byte", [](MathObject& o) { o.spare = 10; }, "A10A"},
};

TEST_F(ObjectTextTest, AttributeBlockItemsAloneAndTogether) {
  ObjectPtr all = makeChar('x');
  std::string allText;
  for (const BlockItemRow& row : kBlockRows) {
    SCOPED_TRACE(row.name);
    ObjectPtr one = makeChar('x');
    row.set(*one);
    row.set(*all);
    allText += row.text;
    EXPECT_EQ(writeObjectText(*one), std::string("char[(*") + row.text + "*)x]");
    expectRoundTrip(*one);
  }
  EXPECT_EQ(writeObjectText(*all), "char[(*" + allText + "*)x]");
  expectRoundTrip(*all);
  for (std::uint8_t fifth : {1, 2}) {
    all->fifthOption = fifth;
    expectRoundTrip(*all);
  }
}

TEST_F(ObjectTextTest, AttributeValuesAsRead) {
  const auto read = [](std::string_view block) {
    ObjectPtr object = readObjectText("char[(*" + std::string(block) + "*)x]");
    if (object) return object;
    ADD_FAILURE() << "refused " << block;
    return makeChar('x');
  };
  EXPECT_EQ(read(R"(f"Times ""New"" Roman"f)")->tag, 1);
  EXPECT_EQ(read("x1.9xy-1.9y")->shiftX, 1);
  EXPECT_EQ(read("x1.9xy-1.9y")->shiftY, -1);
  EXPECT_EQ(read("s0.3s")->fontSize, 19660);
  // Two-digit scales can round past the field: clamped, never wrapped.
  EXPECT_EQ(read("s3.3e+04s")->fontSize, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(read("s-1e300s")->fontSize, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(read("")->fontSize, 0);
  // The tag alone is never written, and no empty block either.
  ObjectPtr tagged = makeChar('x');
  tagged->tag = 7;
  EXPECT_EQ(writeObjectText(*tagged), "char[x]");
}

TEST_F(ObjectTextTest, NumbersKeepValueAndUserSeparator) {
  const struct {
    double value;
    const char* text; // shows the value, so the reader keeps it as it is
  } rows[] = {{0.0, "0"},
              {-0.0, "-0"},
              {1e-320, "1e-320"},
              {2.5e-300, "2.5e-300"},
              {1.7976931348623157e308, "1.7976931348623157e308"},
              {0.1 + 0.2, "0.30000000000000004"},
              {-123456.789, "-123456.789"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    const ObjectPtr back = readObjectText(writeObjectText(*makeNumber(row.value, row.text)));
    ASSERT_TRUE(back && back->is(ObjectKind::num));
    EXPECT_EQ(back->number->value, row.value);
    EXPECT_EQ(std::signbit(back->number->value), std::signbit(row.value));
  }
  const ObjectPtr infinite = readObjectText(R"(num[0,"-Infinity"])");
  const ObjectPtr nan = readObjectText(R"(num[0,"NaN"])");
  const ObjectPtr tiny = readObjectText(R"(num[1e-400,"0"])");
  ASSERT_TRUE(infinite && nan && tiny);
  EXPECT_EQ(infinite->number->value, -INFINITY);
  EXPECT_TRUE(std::isnan(nan->number->value));
  EXPECT_EQ(nan->number->displayText(), "NaN"); // not rewritten as "nan"
  EXPECT_EQ(tiny->number->value, 0.0);

  modelState().decimalSeparator = ',';
  const ObjectPtr typed = makeNumber(2.5, "2,5");
  EXPECT_EQ(writeObjectText(*typed), R"(num[2.5,"2.5"])");
  expectRoundTrip(*typed);
}

TEST_F(ObjectTextTest, NumbersShowingAnotherValueAreRenderedAfterReading) {
  const struct {
    const char* name;
    const char* text;
    const char* reread;
  } rows[] = {
      {"text with its value stays", R"(num[2.5,"2.5..."])", R"(num[2.5,"2.5..."])"},
      {"text of another value", R"(num[3,"x"])", R"(num[3,"3"])"},
      {"empty text", R"(num[0.125,""])", R"(num[0.125,"0.125"])"},
      {"twelve digits", R"(num[3.14159265358979,"3.14"])", R"(num[3.14159265358979,"3.14159265359"])"},
      {"large value", R"(num[1.5e20,"1"])", R"(sn[num[1.5,"1.5"],num[20,"20"]])"},
      {"small value keeps its place", R"(plus[char[x],num[2.5e-7,"0"],char[y]])",
       R"(plus[char[x],sn[num[2.5,"2.5"],num[-7,"-7"]],char[y]])"},
      {"exponent near the end of the range", R"(num[-2e-300,""])", R"(sn[num[-2,"-2"],num[-300,"-300"]])"},
      {"mantissa at a tie of the last digit", R"(num[8888888088465,"0"])",
       R"(sn[num[8.888888088465,"8.88888808847"],num[12,"12"]])"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(reread(row.text), row.reread);
    EXPECT_EQ(reread(row.reread), row.reread);
  }
  modelState().decimalSeparator = ',';
  EXPECT_EQ(reread(R"(num[0.25,""])"), R"(num[0.25,"0.25"])");
  const ObjectPtr comma = readObjectText(R"(num[0.25,""])");
  ASSERT_TRUE(comma);
  EXPECT_EQ(comma->number->displayText(), "0,25");
}

TEST_F(ObjectTextTest, CharacterSymbols) {
  for (int i = 0; i < kSpecialCharacterCount; ++i) {
    const ObjectPtr c = makeChar(static_cast<std::uint16_t>(kFirstSpecialCode + i));
    EXPECT_EQ(writeObjectText(*c), "char[" + std::string(specialCharacter(i).name) + "]");
    expectRoundTrip(*c);
  }
  for (int code : {0, 43, int{'A'}, int{'z'}, kLastSpecialCode + 1, 0xFFFF}) {
    SCOPED_TRACE(code);
    expectRoundTrip(*makeDummy(static_cast<std::uint16_t>(code)));
  }
  for (std::uint32_t decoration = 0; decoration < 0x200; ++decoration) {
    ObjectPtr c = makeChar('q');
    c->decoration = decoration;
    expectRoundTrip(*c);
  }
}

TEST_F(ObjectTextTest, StringsOfAnyLengthReadBack) {
  // Typing stops at 60 characters but appending a backslash does not: all must read back.
  expectRoundTrip(*makeString(std::string(500, '"') + "\xE9\x01"));
  expectRoundTrip(*makeString(""));
}

TEST_F(ObjectTextTest, DeepAndWideTreesDoNotExhaustTheStack) {
  constexpr int kDepth = 100000;
  ObjectPtr deep = makeChar('x');
  for (int i = 0; i < kDepth; ++i) deep = node(ObjectKind::id, std::move(deep));
  const std::string text = writeObjectText(*deep);
  std::string expected;
  for (int i = 0; i < kDepth; ++i) expected += "id[";
  EXPECT_EQ(text, expected + "char[x]" + std::string(kDepth, ']'));
  const ObjectPtr back = readObjectText(text);
  ASSERT_TRUE(back);
  EXPECT_TRUE(treeEqual(*deep, *back));

  ObjectPtr wide = makeObject(ObjectKind::plus);
  for (int i = 0; i < kMaxChildren; ++i) appendChild(*wide, makeNumber(i, std::to_string(i)));
  expectRoundTrip(*wide);
  std::string tooWide = writeObjectText(*wide);
  tooWide.insert(tooWide.size() - 1, ",prompt[]");
  EXPECT_EQ(readObjectTextChecked(tooWide).error, ObjectTextError::TooManyChildren);
}

TEST_F(ObjectTextTest, InvalidTextsAreRefused) {
  using E = ObjectTextError;
  const struct {
    const char* name;
    std::string text;
    ObjectTextError error;
  } rows[] = {
      {"empty", "", E::UnexpectedEnd},
      {"unknown kind", "plux[]", E::UnknownKind},
      {"unknown kind deep inside", R"(plus[num[1,"1"],sin[foo[]]])", E::UnknownKind},
      {"kind name is case-sensitive", "Plus[]", E::UnknownKind},
      {"kind name over 100 characters", std::string(101, 'a') + "[]", E::MissingKindName},
      {"missing opening bracket", "prompt", E::UnexpectedEnd},
      {"parenthesis for bracket", "plus(", E::UnexpectedCharacter},
      {"missing closing bracket", "plus[prompt[]", E::UnexpectedEnd},
      {"whitespace", "plus[ prompt[]]", E::MissingKindName},
      {"trailing bracket", "prompt[]]", E::TrailingText},
      {"trailing object", "prompt[]prompt[]", E::TrailingText},
      {"NUL after the root", std::string("prompt[]\0", 9), E::TrailingText},
      {"fixed arity, too few", "sin[]", E::MissingKindName},
      {"fixed arity, too many", "over[prompt[],prompt[],prompt[]]", E::UnexpectedCharacter},
      {"atom with a child", R"(num[1,"1",prompt[]])", E::UnexpectedCharacter},
      {"empty operand", "plus[prompt[],]", E::MissingKindName},
      {"matrix short of cells", "matrix[2,2,prompt[],prompt[],prompt[]]", E::UnexpectedCharacter},
      {"matrix without rows", "matrix[0,2,]", E::BadDimensions},
      {"matrix negative", "matrix[-1,-1,prompt[]]", E::BadDimensions},
      {"matrix over 10000 cells", "matrix[101,100,]", E::BadDimensions},
      {"count beyond 16 bits", "matrix[65537,1,prompt[]]", E::ValueOutOfRange},
      {"indexes negative", "indexes[-1,1,prompt[]]", E::BadDimensions},
      {"indexes over 10000 children", "indexes[5000,5000,]", E::BadDimensions},
      {"malformed exponent", R"(num[1e,"1"])", E::BadNumber},
      {"two signs", R"(num[--1,"1"])", E::BadNumber},
      {"two points", R"(num[1.2.3,"1"])", E::BadNumber},
      {"no value", R"(num[,"1"])", E::BadNumber},
      {"inf is not a value", R"(num[inf,"1"])", E::BadNumber},
      {"value beyond a double", R"(num[1e999,"1"])", E::BadNumber},
      {"value without text", "num[1]", E::UnexpectedCharacter},
      {"number text over 24 characters", R"(num[1,"1234567890123456789012345"])", E::TextTooLong},
      {"unterminated string", R"(string["abc]))", E::UnexpectedEnd},
      {"font name over 100 characters", "char[(*f\"" + std::string(101, 'a') + "\"f*)x]", E::TextTooLong},
      {"NUL inside quotes", std::string("string[\"a\0b\"]", 13), E::InvalidCharacter},
      {"two letters", "char[xy]", E::UnknownSymbol},
      {"no symbol", "char[]", E::UnknownSymbol},
      {"code beyond 16 bits", "char[65536]", E::UnknownSymbol},
      {"accent beyond 3", "char[x,4,0,0,0,0]", E::ValueOutOfRange},
      {"bar beyond 1", "char[x,0,0,0,2,0]", E::ValueOutOfRange},
      {"negative prime count", "char[x,0,-1,0,0,0]", E::ValueOutOfRange},
      {"decoration short", "char[x,1,1]", E::UnexpectedCharacter},
      {"byte beyond 255", "char[(*i256i*)x]", E::ValueOutOfRange},
      {"negative byte", "char[(*A-1A*)x]", E::ValueOutOfRange},
      {"shift beyond 32 bits", "char[(*x2147483648x*)x]", E::ValueOutOfRange},
      {"items out of order", "char[(*y1yx1x*)x]", E::UnexpectedCharacter},
      {"item repeated", "char[(*x1xx1x*)x]", E::UnexpectedCharacter},
      {"wrong closing letter", "char[(*x1y*)x]", E::UnexpectedCharacter},
      {"block half closed", "char[(*x1x)x]", E::UnexpectedCharacter},
      {"tensor mask beyond 32 bits", "tensor[4294967296,]", E::ValueOutOfRange},
      {"chem flag not 0 or 1", "chem[2,0,0,0,]", E::ValueOutOfRange},
      {"chem flags without comma", "chem[0,0,0,0prompt[]]", E::UnexpectedCharacter},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ObjectTextReadResult result = readObjectTextChecked(row.text);
    EXPECT_FALSE(result.object);
    EXPECT_EQ(result.error, row.error) << result.message;
    EXPECT_LE(result.offset, row.text.size());
    EXPECT_FALSE(readObjectText(row.text));
  }
}

TEST_F(ObjectTextTest, ErrorSaysWhatAndWhere) {
  const ObjectTextReadResult result = readObjectTextChecked("plus[prompt[],sin[foo[]]]");
  EXPECT_EQ(result.offset, 18u);
  EXPECT_EQ(result.message, "unknown kind name");
  EXPECT_EQ(readObjectTextChecked("plus[prompt[]").message,
            "the text ends inside an object (expected ',' or ']')");
}

using test::text::kRichText;

TEST_F(ObjectTextTest, EveryProperPrefixIsRefused) {
  ASSERT_EQ(reread(kRichText), kRichText);
  for (std::size_t length = 0; length < kRichText.size(); ++length) {
    SCOPED_TRACE(kRichText.substr(0, length));
    EXPECT_FALSE(readObjectText(std::string_view(kRichText).substr(0, length)));
  }
}

TEST_F(ObjectTextTest, MutatedTextsNeverCrashAndReadBackStable) {
  std::mt19937 random(20240611);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string text = test::text::mutateText(kRichText, random);
    const ObjectPtr tree = readObjectText(text);
    if (!tree) continue;
    ++accepted;
    const std::string written = writeObjectText(*tree);
    ASSERT_EQ(reread(written), written) << "from " << text;
  }
  EXPECT_GT(accepted, 0);
}

} // namespace
} // namespace vexmar
