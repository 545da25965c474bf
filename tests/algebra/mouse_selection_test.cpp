// Algebra on selections made with the mouse: drags laid out by the typesetter, then the action,
// as the equation view runs them.
#include "../editor/soak_actions.h"
#include "../editor/tree_checks.h"
#include "../typeset/typesetting_fixture.h"

#include "algebra/actions/algebra_actions.h"
#include "editor/dispatcher.h"
#include "editor/editor_state.h"
#include "typeset/caret_geometry.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vexmar {
namespace {

using test::px;

struct MouseSelection : test::TypesettingFixture {
  MouseSelection() {
    resetEditorState();
    installAlgebraActions();
    editorState().typesetter = &typesetter;
  }
  ~MouseSelection() override {
    editorState().typesetter = nullptr;
    resetEditorState();
  }

  /// A point of the line in drawn coordinates, from line coordinates.
  LinePoint drawn(Fixed x, Fixed y) { return lineToDisplay(*line, {x, y}); }
  /// Half-way down the line's box, where a user drags along it.
  Fixed middle() const { return line->root->bottom - (line->root->ascent + line->root->descent) / 2; }
  std::string text() const { return writeObjectText(*line->root); }
};

// Equations inside something other than an equation; the root does not count.
int misplacedEquations(const MathObject& root) {
  int count = 0;
  for (const MathObject* n = &root; n; n = nextPreorder(n, root))
    if (n->kind == ObjectKind::equal && n->parent && n->parent->kind != ObjectKind::equal) ++count;
  return count;
}

// Relations or sums left with fewer than two operands.
int loneOperands(const MathObject& root) {
  int count = 0;
  for (const MathObject* n = &root; n; n = nextPreorder(n, root))
    if ((n->kind == ObjectKind::equal || n->kind == ObjectKind::plus) && n->childCount() < 2) ++count;
  return count;
}

// Where a drag starts or ends: a pixel left or right of the box of the object at `path`.
struct DragEnd {
  std::vector<int> path;
  bool right;
};

// The one object a selection covers: the object selected, or a range of one operand; null for
// anything else.
const MathObject* selectedObject(const InsertionPoint& ip) {
  if (ip.mode == SelectionMode::Object) return ip.current;
  if (ip.mode == SelectionMode::Range && ip.selFirst == ip.selLast) return ip.current->child(ip.selFirst);
  return nullptr;
}

TEST_F(MouseSelection, ActionsOnADraggedSelectionActOnWhatWasDraggedOver) {
  struct Row {
    const char* name;
    const char* tree;
    DragEnd from, to;
    std::vector<int> selected;
    EditorCommand command;
    const char* expected;
  };
  const Row rows[] = {
      {"expand after dragging from just left of ( to past the 2 of y=(x+1)^2",
       "equal[char[y],power[id[plus[char[x],num[1,\"1\"]]],num[2,\"2\"]]]",
       {{1, 0}, false},
       {{}, true},
       {1},
       Command::Expand,
       "equal[char[y],plus[power[char[x],num[2,\"\"]],times[num[2,\"\"],char[x]],num[1,\"\"]]]"},
      {"simplify after dragging over x+x+2/4",
       "equal[char[y],plus[char[x],char[x],over[num[2,\"2\"],num[4,\"4\"]]]]",
       {{1, 0}, false},
       {{}, true},
       {1},
       Command::Simplify,
       "equal[char[y],plus[times[num[2,\"\"],char[x]],over[num[1,\"\"],num[2,\"\"]]]]"},
      {"isolate after dragging over y in 2x+y=4",
       "equal[plus[times[num[2,\"2\"],char[x]],char[y]],num[4,\"4\"]]",
       {{0, 1}, false},
       {{0, 1}, true},
       {0, 1},
       Command::IsolateTerm,
       "equal[char[y],plus[minus[times[num[2,\"\"],char[x]]],num[4,\"4\"]]]"},
  };
  for (const Row& row : rows) {
    for (const bool backwards : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (backwards ? ", dragged backwards" : ""));
      layout(row.tree);
      const auto point = [&](const DragEnd& end) {
        const MathObject& o = at(end.path);
        return drawn(end.right ? o.left + o.width + px(1) : o.left - px(1), middle());
      };
      const LinePoint from = point(row.from), to = point(row.to);
      dragTo(typesetter, *line, backwards ? to : from, backwards ? from : to);
      ASSERT_EQ(selectedObject(*line), &at(row.selected)) << text();
      dispatch(row.command);
      const std::string dragged = text();
      EXPECT_EQ(dragged, row.expected);
      EXPECT_EQ(misplacedEquations(*line->root), 0) << dragged;
      EXPECT_EQ(loneOperands(*line->root), 0) << dragged;

      // The same object selected without the mouse gives the same equation.
      layout(row.tree);
      setInsertionPoint(*line, at(row.selected), SelectionMode::Object);
      dispatch(row.command);
      EXPECT_EQ(text(), dragged);
    }
  }
}

// Equations to start from: sums, products, fractions, powers, roots and functions on either side.
constexpr const char* kStartingEquations[] = {
    "equal[char[y],power[id[plus[char[x],num[1,\"1\"]]],num[2,\"2\"]]]",
    "equal[char[y],plus[char[x],char[x],over[num[2,\"2\"],num[4,\"4\"]]]]",
    "equal[plus[times[num[2,\"2\"],char[x]],char[y]],num[4,\"4\"]]",
    "equal[plus[power[char[x],num[2,\"2\"]],power[char[y],num[2,\"2\"]]],num[1,\"1\"]]",
    "equal[char[y],over[sin[char[x]],plus[power[char[x],num[2,\"2\"]],minus[num[1,\"1\"]]]]]",
    "equal[times[num[3,\"3\"],char[y]],plus[times[num[2,\"2\"],id[plus[char[x],num[5,\"5\"]]]],sqrt[char[x]]]"
    "]",
    "equal[char[r],plus[num[1,\"1\"],minus[times[num[2,\"2\"],cos[char[theta]]]]]]",
    "equal[plus[char[y],num[3,\"3\"]],times[char[a],power[id[plus[char[x],minus[char[b]]]],num[3,\"3\"]]]]",
};

constexpr EditorCommand kActions[] = {
    Command::Simplify,
    Command::KeepProducts,
    Command::Expand,
    Command::ExpandOnce,
    Command::DerivativesOnly,
    Command::PeelTerms,
    Command::CarryOutSubstitutions,
    Command::CompactFractions,
    Command::IsolateTerm,
    Command::Evaluate,
    Command::EvaluateIntoEquation,
};

// A random place for one end of a drag: anywhere over the line and a little beyond it, or a pixel
// outside the box of a random object, in the gaps a user's pointer most often rests in.
LinePoint randomPoint(std::mt19937& random, const MathObject& root) {
  const auto uniform = [&random](Fixed low, Fixed high) {
    return std::uniform_int_distribution<Fixed>(low, std::max(low, high))(random);
  };
  const Fixed top = root.bottom - root.descent - root.ascent;
  if (random() % 3 == 0)
    return {uniform(root.left - px(15), root.left + root.width + px(15)),
            uniform(top - px(5), root.bottom + px(5))};
  std::vector<const MathObject*> nodes;
  for (const MathObject* n = &root; n; n = nextPreorder(n, root)) nodes.push_back(n);
  const MathObject& o = *nodes[random() % nodes.size()];
  const Fixed x = random() % 2 ? o.left - px(1) : o.left + o.width + px(1);
  return {x, uniform(o.bottom - o.descent - o.ascent, o.bottom - 1)};
}

TEST_F(MouseSelection, SoakOfActionsOnRandomDragsKeepsEquationsWhole) {
  // Random typing between the actions makes trees of every shape; each action works on what a
  // random drag selected, and must leave a sound tree with no equation where there was none.
  const long commands = test::environmentNumber("VEXMAR_SOAK_COMMANDS", 4000);
  const auto seed = static_cast<unsigned>(test::environmentNumber("VEXMAR_SOAK_SEED", 20261208));
  test::ActionSource typist(seed);
  std::mt19937 random(seed);
  int acted = 0;
  for (long i = 0; i < commands; ++i) {
    if (i % 200 == 0 || countObjects(*line->root) > 400) {
      layout(kStartingEquations[random() % std::size(kStartingEquations)]);
      resetEditorState();
    }
    if (random() % 4 != 0) {
      const test::Action a = typist.next();
      if (a.kind == test::Action::Key) handleViewCharacter(a.value, a.modifiers);
      if (a.kind == test::Action::Command) dispatch(a.value);
      if (a.kind == test::Action::Undo) undo();
      continue;
    }
    typesetter.ensureLayout(*line);
    const std::string before = text();
    const LinePoint from = randomPoint(random, *line->root), to = randomPoint(random, *line->root);
    dragTo(typesetter, *line, lineToDisplay(*line, from), lineToDisplay(*line, to));
    const std::string caret = test::caretProblem(*line);
    ASSERT_TRUE(caret.empty()) << caret << "\n" << before;
    const EditorCommand action = kActions[random() % std::size(kActions)];
    const int misplaced = misplacedEquations(*line->root), lone = loneOperands(*line->root);
    const bool canAct = selectionCanBeActedOn(line.get());
    dispatch(action);
    acted += canAct;
    const std::string what = std::string(commandName(action)) + " on a drag from " +
                             std::to_string(from.x / 65536.0) + "," + std::to_string(from.y / 65536.0) +
                             " to " + std::to_string(to.x / 65536.0) + "," + std::to_string(to.y / 65536.0) +
                             " over " + before + "\ngave " + text();
    const std::string tree = test::treeProblem(*line->root);
    ASSERT_TRUE(tree.empty()) << tree << "\n" << what;
    ASSERT_TRUE(test::caretProblem(*line).empty()) << test::caretProblem(*line) << "\n" << what;
    if (misplaced == 0) {
      ASSERT_EQ(misplacedEquations(*line->root), 0) << what;
    }
    if (lone == 0) {
      ASSERT_EQ(loneOperands(*line->root), 0) << what;
    }
  }
  EXPECT_GT(acted, static_cast<int>(commands / 8));
  RecordProperty("actions on a selection", acted);
}

} // namespace
} // namespace vexmar
