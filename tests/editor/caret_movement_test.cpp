#include "editor/caret_movement.h"

#include "editor_fixture.h"

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vexmar {
namespace {

using test::EditorFixture;

// A caret written as "path/mode" or, where the indices matter, "path/mode:first,last":
// "1.0/3" is the caret after the first child of the root's second child, "/6:1,4" a cell range.
bool showsIndices(SelectionMode m) {
  return m == SelectionMode::Range || m == SelectionMode::Operator || m == SelectionMode::Cells ||
         m == SelectionMode::Text;
}

std::string pathText(const MathObject& o) {
  std::string s;
  for (int i : pathTo(o)) s += (s.empty() ? "" : ".") + std::to_string(i);
  return s;
}

struct CaretMovement : EditorFixture {
  void at(const std::string& caretText) {
    const std::size_t slash = caretText.find('/');
    std::vector<int> path;
    std::istringstream steps(caretText.substr(0, slash));
    for (int i = 0; steps >> i; steps.ignore()) path.push_back(i);
    std::istringstream rest(caretText.substr(slash + 1));
    int mode = 0, first = 0, last = 0;
    char separator = 0;
    rest >> mode >> separator >> first >> separator >> last;
    caret(path, static_cast<SelectionMode>(mode), first, last);
  }
  [[nodiscard]] std::string where() const {
    std::string s = pathText(*line->current) + "/" + std::to_string(static_cast<int>(line->mode));
    if (showsIndices(line->mode))
      s += ":" + std::to_string(line->selFirst) + "," + std::to_string(line->selLast);
    return s;
  }
};

TEST_F(CaretMovement, EachCommandMovesByMode) {
  struct Row {
    const char* name;
    const char* tree;
    const char* from;
    EditorCommand command;
    const char* to;
  };
  const char* abc = "plus[char[a],char[b],char[c]]";
  const char* product = "times[char[a],char[b],char[c]]";
  const char* fraction = "plus[over[char[a],char[b]],char[c]]";
  const char* matrix = "matrix[2,2,char[a],char[b],char[c],char[d]]";
  const char* abcd = R"(string["abcd"])";
  using namespace Command;
  // clang-format off
  const Row rows[] = {
      {"R0 selection: caret after it", abc, "1/0", Right, "1/3"},
      {"R0 prompt: selects the next object", R"(plus[num[1,"1"],prompt[],num[2,"2"]])", "1/0", Right, "2/0"},
      {"R0 prompt: next object's first leaf", "plus[prompt[],over[char[a],char[b]]]", "0/0", Right, "1.0/0"},
      {"R0 last prompt wraps to the first leaf", "plus[char[a],prompt[]]", "1/0", Right, "0/0"},
      {"R1 after the range's last operand", abc, "/1:0,1", Right, "1/3"},
      {"R2 infix: before the next operand", abc, "/2:0,0", Right, "1/4"},
      {"R2 with no operand after: nothing", abc, "/2:2,2", Right, "/2:2,2"},
      {"R2 prefix: before its operand", "sin[char[x]]", "/2:0,0", Right, "0/4"},
      {"R4 prefix: into it", "plus[sin[char[x]],char[y]]", "0/4", Right, "0.0/4"},
      {"R4 enclosing: into it", "plus[char[a],abs[char[x]]]", "1/4", Right, "1.0/4"},
      {"R4 atom: after it", abc, "1/4", Right, "1/3"},
      {"R4 fraction: over it, not into it", fraction, "0/4", Right, "0/3"},
      {"R5 next factor atom: after it", product, "0/5", Right, "1/5"},
      {"R5 next factor prefix: into it", "times[char[a],sin[char[x]]]", "0/5", Right, "1.0/4"},
      {"R5 next factor postfix: after its operand", "times[char[a],fact[char[x]]]", "0/5", Right, "1.0/3"},
      {"R6 selects the last cell", matrix, "/6:1,2", Right, "2/0"},
      {"R7 one character on", abcd, "/7:1,1", Right, "/7:2,2"},
      {"R7 from the selection's far end", abcd, "/7:1,2", Right, "/7:3,3"},
      {"R7 at the end leaves the text", abcd, "/7:3,3", Right, "/3"},
      {"R3 leaves a postfix operand", "plus[fact[char[x]],char[y]]", "0.0/3", Right, "0/3"},
      {"R3 leaves a radicand", "sqrt[char[x]]", "0/3", Right, "/3"},
      {"R3 leaves delimiters", "plus[abs[char[x]],char[y]]", "0.0/3", Right, "0/3"},
      {"R3 prefix, next atom: after it", "plus[sin[char[x]],char[y]]", "0.0/3", Right, "1/3"},
      {"R3 prefix, next prefix: into it", "plus[sin[char[x]],cos[char[y]]]", "0.0/3", Right, "1.0/4"},
      {"R3 prefix, next postfix: after its operand", "plus[sin[char[x]],fact[char[y]]]", "0.0/3", Right, "1.0/3"},
      {"R3 prefix alone: nothing", "sin[char[x]]", "0/3", Right, "0/3"},
      {"R3 prefix climbs out of a fraction", "over[char[a],sin[char[x]]]", "1.0/3", Right, "/3"},
      {"R3 infix: before the next operand", abc, "0/3", Right, "1/4"},
      {"R3 numerator end: before the denominator", "over[plus[char[a],char[b]],char[c]]", "0.1/3", Right, "1/4"},
      {"R3 denominator end climbs out", "plus[char[a],over[char[b],char[c]]]", "1.1/3", Right, "1/3"},
      {"R3 climb stops at a sqrt", "sqrt[plus[char[a],char[b]]]", "0.1/3", Right, "/3"},
      {"R3 end of the equation: nothing", abc, "2/3", Right, "2/3"},
      {"L0 selection: caret before it", abc, "1/0", Left, "1/4"},
      {"L0 prompt: previous object's last leaf", "plus[over[char[a],char[b]],prompt[]]", "1/0", Left, "0.1/0"},
      {"L0 first prompt wraps to the last leaf", "plus[prompt[],char[a],char[b]]", "0/0", Left, "2/0"},
      {"L1 before the range's first operand", abc, "/1:1,2", Left, "1/4"},
      {"L2 infix: after the operand before it", abc, "/2:1,1", Left, "1/3"},
      {"L2 prefix: before the object", "sin[char[x]]", "/2:0,0", Left, "/4"},
      {"L3 postfix: after its operand", "fact[char[x]]", "/3", Left, "0/3"},
      {"L3 enclosing: after its operand", "abs[char[x]]", "/3", Left, "0/3"},
      {"L3 sqrt: before the radicand", "sqrt[char[x]]", "/3", Left, "0/4"},
      {"L3 atom: before it", abc, "1/3", Left, "1/4"},
      {"L5 prefix factor: before its operand", "times[sin[char[x]],char[y]]", "0/5", Left, "0.0/4"},
      {"L5 atom factor: one factor back", product, "1/5", Left, "0/5"},
      {"L6 selects the first cell", matrix, "/6:1,3", Left, "1/0"},
      {"L7 one character back", abcd, "/7:2,2", Left, "/7:1,1"},
      {"L7 at the start leaves the text", abcd, "/7:1,3", Left, "/4"},
      {"L4 enclosing parent: before it", "abs[char[x]]", "0/4", Left, "/4"},
      {"L4 prefix parent: before it", "sin[char[x]]", "0/4", Left, "/4"},
      {"L4 after the previous object's last leaf", fraction, "1/4", Left, "0.1/3"},
      {"L4 first operand climbs out of a sum", "over[plus[char[a],char[b]],char[c]]", "0.0/4", Left, "/4"},
      {"L4 start of the equation: nothing", abc, "0/4", Left, "0/4"},
      {"Up mode 0: the parent", abc, "1/0", Up, "/0"},
      {"Up at the root: nothing", abc, "/0", Up, "/0"},
      {"Up from a range: the container", abc, "/1:0,1", Up, "/0"},
      {"Up from a caret: the object", abc, "1/4", Up, "1/0"},
      {"Down mode 0: first child", abc, "/0", Down, "0/0"},
      {"Down range: child selFirst", abc, "/1:1,2", Down, "1/0"},
      {"Down cells: cell selFirst", matrix, "/6:2,3", Down, "2/0"},
      {"Down operator: nothing", abc, "/2:0,0", Down, "/2:0,0"},
      {"Down keeps the mode", "over[char[a],char[b]]", "/4", Down, "0/4"},
      {"Down leaf mode 0: caret after", abc, "1/0", Down, "1/3"},
      {"Down leaf mode 3 climbs out", "over[sin[plus[char[a],char[b]]],char[c]]", "0.0.1/3", Down, "/3"},
      {"Down leaf mode 3 at the top: nothing", abc, "0/3", Down, "0/3"},
      {"Down leaf mode 4: nothing", abc, "1/4", Down, "1/4"},
      {"Space mode 0: as Up", abc, "1/0", SpaceMove, "/0"},
      {"Space after an object: selects it", abc, "1/3", SpaceMove, "1/0"},
      {"Alternative space: last child", abc, "/0", AlternativeSpaceMove, "2/0"},
      {"Alternative space range: child selLast", abc, "/1:0,1", AlternativeSpaceMove, "1/0"},
      {"Alternative space cells: cell selLast", matrix, "/6:0,2", AlternativeSpaceMove, "2/0"},
      {"Alternative space operator: nothing", abc, "/2:0,0", AlternativeSpaceMove, "/2:0,0"},
      {"Alternative space leaf: nothing", abc, "1/0", AlternativeSpaceMove, "1/0"},
      {"Tab: next object's first leaf", "plus[char[a],over[char[b],char[c]]]", "0/0", NextSlot, "1.0/0"},
      {"Tab wraps to the first leaf", fraction, "1/0", NextSlot, "0.0/0"},
      {"Tab from a caret selects the next leaf itself", product, "0/4", NextSlot, "1/0"},
      {"Shift+Tab: previous object's last leaf", fraction, "1/0", PreviousSlot, "0.1/0"},
      {"Shift+Tab wraps to the last leaf", "plus[char[a],over[char[b],char[c]]]", "0/0", PreviousSlot, "1.1/0"},
      {"Alt+Tab: next prompt", "plus[prompt[],char[a],prompt[]]", "0/0", NextPrompt, "2/0"},
      {"Alt+Tab without prompts: nothing", abc, "1/3", NextPrompt, "1/3"},
      {"): after the nearest id", "times[id[plus[char[a],char[b]]],char[c]]", "0.0.1/3", LeaveParentheses, "0/5"},
      {"): the current id itself does not count", "id[id[char[a]]]", "0/0", LeaveParentheses, "/3"},
      {"): no id: nothing", abc, "1/0", LeaveParentheses, "1/0"},
      {"RightAlternative is Right", "plus[sin[char[x]],char[y]]", "0.0/3", RightAlternative, "1/3"},
      {"LeftAlternative is Left", "fact[char[x]]", "/3", LeftAlternative, "0/3"},
      {"ExtendUp is Up", abc, "1/0", ExtendUp, "/0"},
      {"ExtendDown is Down", abc, "/1:1,2", ExtendDown, "1/0"},
      {"extend right: not yet", abc, "1/0", ExtendRight, "1/0"},
      {"extend left: not yet", abc, "1/0", ExtendLeft, "1/0"},
      {"clamped: range past the end", abc, "/1:-5,99", Right, "2/3"},
      {"clamped: cells before the start", matrix, "/6:-1,50", Left, "0/0"},
      {"clamped: text index below 0", abcd, "/7:-3,-3", Right, "/7:1,1"},
      {"clamped: text index past the end", abcd, "/7:40,40", Left, "/7:3,3"},
  };
  // clang-format on
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    start(r.tree);
    at(r.from);
    run({r.command});
    EXPECT_EQ(where(), r.to);
    EXPECT_EQ(text(), r.tree);
  }
}

// Right from the start and Left from the end visit every stop in reading order, then stay put.
TEST_F(CaretMovement, WalksThroughOperatorsAndStopsAtTheEnds) {
  start("plus[char[a],sin[char[x]],fact[char[y]]]");
  auto walk = [&](const char* from, EditorCommand code) {
    at(from);
    std::vector<std::string> stops{where()};
    for (int i = 0; i < 20; ++i) {
      run({code});
      if (where() == stops.back()) break;
      stops.push_back(where());
    }
    return stops;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(walk("0/4", Command::Right), (V{"0/4", "0/3", "1/4", "1.0/4", "1.0/3", "2.0/3", "2/3"}));
  EXPECT_EQ(walk("2/3", Command::Left), (V{"2/3", "2.0/3", "2.0/4", "1.0/3", "1.0/4", "1/4", "0/3", "0/4"}));
}

TEST_F(CaretMovement, RepeatedUpGrowsTheSelectionOneLevelAtATime) {
  start("over[times[id[plus[char[a],char[b]]],char[c]],char[d]]");
  at("0.0.0.0/4");
  for (const char* expected : {"0.0.0.0/0", "0.0.0/0", "0.0/0", "0/0", "/0", "/0"}) {
    run({Command::Up});
    EXPECT_EQ(where(), expected);
  }
}

TEST_F(CaretMovement, SpaceAfterATextCommitsIt) {
  start(R"(plus[char[a],string["\alpha"]])");
  at("1/3");
  run({Command::SpaceMove});
  EXPECT_EQ(text(), "plus[char[a],char[alpha]]");
}

// From every object in every mode, every move leaves a caret that is in the tree, within range
// and already normalised, and leaves the tree as it was.
TEST_F(CaretMovement, EveryMoveFromEveryCaretIsValidAndKeepsTheTree) {
  std::vector<ObjectPtr> trees;
  for (const char* t :
       {"plus[char[a],prompt[],times[char[b],sin[char[x]],fact[char[y]]]]",
        "equal[over[sqrt[plus[char[a],char[b]],num[3,\"3\"]],abs[char[c]]],id[minus[char[d]]]]",
        R"(list[matrix[2,2,char[a],prompt[],string["xy"],char[d]],log[char[x],string[""]]])", "char[z]",
        "sum[char[i],char[n],power[char[i],num[2,\"2\"]]]"})
    trees.push_back(readObjectText(t));
  ObjectPtr empty = makeObject(ObjectKind::plus); // an empty matrix, and an infix without operands
  appendChild(*empty, makeObject(ObjectKind::matrix))->setMatrixSize(0, 0);
  appendChild(*empty, makeObject(ObjectKind::times));
  trees.push_back(std::move(empty));
  for (ObjectPtr& tree : trees) {
    ASSERT_TRUE(tree);
    const std::string shape = writeObjectText(*tree);
    line->setRoot(std::move(tree));
    for (MathObject* o = line->root.get(); o; o = nextPreorder(*o, *line->root))
      for (int mode = 0; mode <= 7; ++mode)
        for (const auto& [first, last] : {std::pair{0, 0}, std::pair{1, 2}, std::pair{-1, 99}})
          for (EditorCommand code = Command::FirstCaretMove; code <= Command::LastCaretMove; ++code) {
            if (!isCaretMove(code)) continue;
            setInsertionPoint(*line, *o, static_cast<SelectionMode>(mode));
            line->selFirst = first;
            line->selLast = last;
            const std::string from = shape + " " + pathText(*o) + " mode " + std::to_string(mode) + " " +
                                     std::to_string(first) + "," + std::to_string(last) + " code " +
                                     std::to_string(code);
            moveCaret(*line, code);
            MathObject* c = line->current;
            ASSERT_TRUE(c && followPath(*line->root, pathTo(*c)) == c) << from;
            const int m = static_cast<int>(line->mode);
            ASSERT_LE(m, 7) << from;
            const int limit = m == 7 ? static_cast<int>(c->text.size()) : std::max(c->childCount() - 1, 0);
            if (m == 1 || m == 6 || m == 7) {
              EXPECT_TRUE(line->selFirst >= 0 && line->selFirst <= limit) << from;
              EXPECT_TRUE(line->selLast >= 0 && line->selLast <= limit) << from;
            }
            resetInsertionPoint(*line);
            EXPECT_EQ(line->current, c) << from;
            EXPECT_EQ(static_cast<int>(line->mode), m) << from;
            EXPECT_EQ(writeObjectText(*line->root), shape) << from;
          }
  }
}

} // namespace
} // namespace vexmar
