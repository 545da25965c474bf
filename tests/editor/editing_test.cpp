// Structural editing through keys, as a user types them: each row starts from a text form (or
// a new line), types keys and checks the tree and the caret.
#include "editor/view_keys.h"
#include "editor_fixture.h"

namespace vexmar {
namespace {

using test::EditorFixture;

constexpr char Left = 28, Right = 29, Up = 30, Backspace = 8;

struct Row {
  const char* name;
  const char* start; // text form, or "" for a new line
  std::vector<int> startPath;
  SelectionMode startMode;
  std::string keys; // characters; values 0x100 and above are editor commands
  const char* expected;
  std::vector<int> path;
  SelectionMode mode;
};

struct Editing : EditorFixture {
  void check(const Row& r) {
    SCOPED_TRACE(r.name);
    line->setRoot(makePrompt());
    if (*r.start) {
      start(r.start);
      caret(r.startPath, r.startMode);
    }
    for (unsigned char c : r.keys) handleViewCharacter(c, 0);
    EXPECT_EQ(text(), r.expected);
    EXPECT_EQ(currentPath(), r.path);
    EXPECT_EQ(line->mode, r.mode);
  }
  void checkCommands(const char* startText, std::vector<int> path, SelectionMode mode,
                     std::initializer_list<EditorCommand> codes, const char* expected,
                     std::vector<int> caretPath, SelectionMode caretMode) {
    SCOPED_TRACE(expected);
    start(startText);
    caret(path, mode);
    run(codes);
    EXPECT_EQ(text(), expected);
    EXPECT_EQ(currentPath(), caretPath);
    EXPECT_EQ(line->mode, caretMode);
  }
};

using M = SelectionMode;

TEST_F(Editing, NamesBecomeFunctionsAndCharacters) {
  const Row rows[] = {
      {"sin", "", {}, M::Object, "sin", "sin[prompt[]]", {0}, M::Object},
      {"asin is never a times sin", "", {}, M::Object, "asin", "asin[prompt[]]", {0}, M::Object},
      {"h makes it hyperbolic", "", {}, M::Object, "sinh", "sinh[prompt[]]", {0}, M::Object},
      {"inverse hyperbolic", "", {}, M::Object, "acosh", "acosh[prompt[]]", {0}, M::Object},
      {"ln", "", {}, M::Object, "lnx", "ln[char[x]]", {0}, M::After},
      {"pi", "", {}, M::Object, "pi", "char[pi]", {}, M::After},
      {"theta after a factor", "", {}, M::Object, "2theta", "times[num[2,\"2\"],char[theta]]", {1}, M::After},
      {"phi", "", {}, M::Object, "phi", "char[phi]", {}, M::After},
      {"a coefficient stays outside",
       "",
       {},
       M::Object,
       "2sinx",
       "times[num[2,\"2\"],sin[char[x]]]",
       {1, 0},
       M::After},
      {"a name typed before factors takes them all",
       "times[char[x],char[y]]",
       {0},
       M::Before,
       "cos",
       "cos[times[char[x],char[y]]]",
       {0, 0},
       M::Before},
      {"h typed before the argument", "sin[char[x]]", {0}, M::Before, "h", "sinh[char[x]]", {0}, M::Before},
      {"not a name", "", {}, M::Object, "sn", "times[char[s],char[n]]", {1}, M::After},
  };
  for (const Row& r : rows) check(r);
}

TEST_F(Editing, NumbersAndScientificNotation) {
  const Row rows[] = {
      {"digits", "", {}, M::Object, "125", "num[125,\"125\"]", {}, M::After},
      {"eighteen digits at most",
       "",
       {},
       M::Object,
       "1234567890123456789",
       "num[1.2345678901234568e+17,\"123456789012345678\"]",
       {},
       M::After},
      {"one decimal separator", "", {}, M::Object, "1.2.3", "num[1.23,\"1.23\"]", {}, M::After},
      {"a leading separator", "", {}, M::Object, ".5", "num[0.5,\".5\"]", {}, M::After},
      {"E after a number", "", {}, M::Object, "2E", "sn[num[2,\"2\"],prompt[]]", {1}, M::Object},
      {"E then the exponent", "", {}, M::Object, "2E5", "sn[num[2,\"2\"],num[5,\"5\"]]", {1}, M::After},
      {"digit before a number", "num[5,\"5\"]", {}, M::Before, "3", "num[35,\"35\"]", {}, M::Before},
      {"number after a letter", "", {}, M::Object, "x2", "times[char[x],num[2,\"2\"]]", {1}, M::After},
      {"backspace shortens a number", "", {}, M::Object, "123\b", "num[12,\"12\"]", {}, M::After},
  };
  for (const Row& r : rows) check(r);
}

TEST_F(Editing, OperatorsByCaretMode) {
  const Row rows[] = {
      {"equation",
       "",
       {},
       M::Object,
       "y=x^2",
       "equal[char[y],power[char[x],num[2,\"2\"]]]",
       {1, 1},
       M::After},
      {"difference", "", {}, M::Object, "a-b", "plus[char[a],minus[char[b]]]", {1, 0}, M::After},
      {"plus leaves a function argument",
       "",
       {},
       M::Object,
       "2sinx+1",
       "plus[times[num[2,\"2\"],sin[char[x]]],num[1,\"1\"]]",
       {1},
       M::After},
      {"plus between factors splits",
       "",
       {},
       M::Object,
       std::string("abcd") + Left + Left + "+",
       "plus[times[char[a],char[b]],times[char[c],char[d]]]",
       {1, 0},
       M::Before},
      {"fraction of the selection",
       "",
       {},
       M::Object,
       std::string("x") + Up + "/",
       "over[char[x],prompt[]]",
       {1},
       M::Object},
      {"parentheses keep the selection",
       "",
       {},
       M::Object,
       std::string("x") + Up + "(",
       "id[char[x]]",
       {0},
       M::Object},
      {"fraction then denominator",
       "",
       {},
       M::Object,
       "sinx/2",
       "sin[over[char[x],num[2,\"2\"]]]",
       {0, 1},
       M::After},
      {"factorial", "", {}, M::Object, "x!", "fact[char[x]]", {}, M::After},
      {"comma list", "", {}, M::Object, "a,b", "comma[char[a],char[b]]", {1}, M::After},
      {"equal climbs to the top",
       "",
       {},
       M::Object,
       "1+2=",
       "equal[plus[num[1,\"1\"],num[2,\"2\"]],prompt[]]",
       {1},
       M::Object},
      {"operator replaced by typing",
       "plus[char[a],char[b]]",
       {},
       M::Operator,
       "-",
       "plus[char[a],minus[char[b]]]",
       {1, 0},
       M::Before},
      {"times before a selection", "char[x]", {}, M::Object, "*", "times[prompt[],char[x]]", {0}, M::Object},
      {"square with @", "char[x]", {}, M::Object, "@", "power[char[x],num[2,\"2\"]]", {}, M::Object},
      {"text then commit", "", {}, M::Object, "\\sqrt x", "sqrt[char[x]]", {0}, M::After},
      {"special character by name", "", {}, M::Object, "\\alpha ", "char[alpha]", {}, M::After},
      {"unknown name is selected", "", {}, M::Object, "\\zz ", "string[\"\\zz\"]", {}, M::Object},
  };
  for (const Row& r : rows) check(r);
}

TEST_F(Editing, BackspaceByMode) {
  const Row rows[] = {
      {"before b in a + b makes a product",
       "",
       {},
       M::Object,
       std::string("a+b") + Left + char(Backspace),
       "times[char[a],char[b]]",
       {0},
       M::BetweenFactors},
      {"after x! removes the factorial",
       "fact[char[x]]",
       {},
       M::After,
       std::string(1, Backspace),
       "char[x]",
       {},
       M::After},
      {"after |x| removes the bars",
       "abs[char[x]]",
       {},
       M::After,
       std::string(1, Backspace),
       "char[x]",
       {},
       M::After},
      {"a selection becomes a prompt",
       "plus[char[a],char[b]]",
       {1},
       M::Object,
       std::string(1, Backspace),
       "plus[char[a],prompt[]]",
       {1},
       M::Object},
      {"then the prompt goes",
       "plus[char[a],char[b]]",
       {1},
       M::Object,
       std::string(2, Backspace),
       "char[a]",
       {},
       M::After},
      {"a factor goes from a product",
       "times[char[a],char[b],char[c]]",
       {1},
       M::Object,
       std::string(1, Backspace),
       "times[char[a],char[c]]",
       {0},
       M::BetweenFactors},
      {"a sole argument leaves its prompt",
       "sin[char[x]]",
       {0},
       M::After,
       std::string(1, Backspace),
       "sin[prompt[]]",
       {0},
       M::Object},
      {"an empty function becomes a prompt",
       "sin[prompt[]]",
       {0},
       M::Object,
       std::string(1, Backspace),
       "prompt[]",
       {},
       M::Object},
      {"before a denominator joins it to the numerator",
       "over[char[a],char[b]]",
       {1},
       M::Before,
       std::string(1, Backspace),
       "times[char[b],char[a]]",
       {0},
       M::BetweenFactors},
      {"before a sign joins the terms",
       "plus[char[a],minus[char[b]]]",
       {1, 0},
       M::Before,
       std::string(1, Backspace),
       "times[char[a],char[b]]",
       {0},
       M::BetweenFactors},
      {"text loses its last character",
       "string[\"ab\"]",
       {},
       M::After,
       std::string(1, Backspace),
       "string[\"a\"]",
       {},
       M::After},
  };
  for (const Row& r : rows) check(r);
}

TEST_F(Editing, TemplatesAndContainers) {
  checkCommands("char[x]", {}, M::Object, {Command::NthRoot}, "sqrt[char[x],prompt[]]", {1}, M::Object);
  checkCommands("char[x]", {}, M::Object, {Command::CubeRoot}, "sqrt[char[x],num[3,\"3\"]]", {}, M::Object);
  checkCommands("char[x]", {}, M::Object, {Command::RaiseEToSelection}, "power[char[e],char[x]]", {},
                M::Object);
  checkCommands("char[x]", {}, M::Object, {Command::LogBaseTwo}, "log[char[x],num[2,\"2\"]]", {}, M::Object);
  checkCommands("char[x]", {}, M::Object, {Command::Reciprocal}, "over[num[1,\"1\"],char[x]]", {}, M::Object);
  checkCommands("char[x]", {}, M::Object, {Command::Reciprocal, Command::Reciprocal}, "char[x]", {},
                M::Object);
  checkCommands("prompt[]", {}, M::Object, {Command::TwoVector}, "matrix[2,1,char[x],char[y]]", {1},
                M::After);
  checkCommands("char[f]", {}, M::Object, {Command::Derivative}, "function[oppartial[char[x]],char[f]]",
                {0, 0}, M::After);
  checkCommands("char[f]", {}, M::Object, {Command::WrapTotalDerivative},
                "function[optotal[prompt[]],char[f]]", {0, 0}, M::Object);
  checkCommands("matrix[1,1,char[a]]", {0}, M::Object, {Command::AddMatrixRow},
                "matrix[2,1,char[a],prompt[]]", {1}, M::Object);
  checkCommands("matrix[2,1,char[a],char[b]]", {0}, M::Object, {Command::AddMatrixColumn},
                "matrix[2,2,char[a],prompt[],char[b],prompt[]]", {1}, M::Object);
  checkCommands("int[char[x]]", {0}, M::After, {'d'}, "int[times[char[x],diff[prompt[]]]]", {0, 1, 0},
                M::Object);
  checkCommands("indexes[1,0,char[x],char[i]]", {1}, M::Object, {Command::AddIndex},
                "indexes[2,0,char[x],char[i],prompt[]]", {2}, M::Object);
  checkCommands("indexes[1,0,char[x],char[i]]", {1}, M::Object, {Command::LeftLowerIndexSlot},
                "chem[1,0,1,0,char[x],prompt[],char[i]]", {1}, M::Object);
  checkCommands("id[char[x]]", {0}, M::Object, {Command::AdjustParentheses}, "lparen[char[x]]", {0},
                M::Object);
  checkCommands("plus[char[a],char[b]]", {}, M::Operator, {Command::OpenEqual}, "equal[char[a],char[b]]", {},
                M::Operator);
}

TEST_F(Editing, IndexSlotsOfChemistryNotationFlaggedBeyondItsChildren) {
  // A text form may flag slots that no child fills: only the filled ones count, and the flags
  // become the slots the object then has.
  checkCommands("chem[1,0,0,1,char[x]]", {0}, M::Object, {Command::RightUpperIndexSlot},
                "chem[0,0,0,1,char[x],prompt[]]", {1}, M::Object);
  checkCommands("chem[1,0,0,1,char[x]]", {0}, M::Object, {Command::LeftLowerIndexSlot},
                "chem[1,0,0,0,char[x],prompt[]]", {1}, M::Object);
  checkCommands("chem[1,0,0,1,char[x],char[i]]", {1}, M::Object, {Command::LeftLowerIndexSlot},
                "chem[1,0,0,1,char[x],char[i]]", {1}, M::Object);
  checkCommands("chem[1,0,0,1,char[x],char[i]]", {1}, M::Object, {Command::RightUpperIndexSlot},
                "chem[1,0,0,1,char[x],char[i],prompt[]]", {2}, M::Object);
}

TEST_F(Editing, MatrixCellArithmeticWithTheClipboard) {
  editorState().clipboard.hold(readObjectText("matrix[1,2,num[1,\"1\"],num[2,\"2\"]]"));
  checkCommands("matrix[1,2,char[a],plus[char[b],char[c]]]", {}, M::Cells, {},
                "matrix[1,2,char[a],plus[char[b],char[c]]]", {}, M::Cells);
  line->selFirst = 0;
  line->selLast = 1;
  dispatch(insertKindCommand(ObjectKind::plus));
  EXPECT_EQ(text(), "matrix[1,2,plus[char[a],num[1,\"1\"]],plus[char[b],char[c],num[2,\"2\"]]]");
  line->selLast = 0;
  dispatch(insertKindCommand(ObjectKind::plus)); // a one-cell rectangle does not fit a two-cell clipboard
  EXPECT_EQ(text(), "matrix[1,2,plus[char[a],num[1,\"1\"]],plus[char[b],char[c],num[2,\"2\"]]]");
  editorState().clipboard.hold(readObjectText("char[k]"));
  dispatch(insertKindCommand(ObjectKind::times));
  EXPECT_EQ(text(),
            "matrix[1,2,times[plus[char[a],num[1,\"1\"]],char[k]],plus[char[b],char[c],num[2,\"2\"]]]");
}

} // namespace
} // namespace vexmar
