// Damaged text forms that the reader still accepts are equations like any other: each tree it
// accepts goes through every layer a typed equation goes through (the editor and an algebra
// action, layout and drawing, the classifier, the graph builder and some graph work) and must
// leave sound trees behind.
#include "../editor/soak_actions.h"
#include "../raster/canvas.h"
#include "../text/text_form_builders.h"
#include "../text/text_mutations.h"
#include "algebra/actions/algebra_actions.h"
#include "document/document_graphs.h"
#include "document/document_model.h"
#include "graph/equation_classifier.h"
#include "graph/graph_container.h"
#include "model/clock.h"
#include "model/work_budget.h"
#include "raster/drawing_port.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>
#include <string>

namespace vexmar {
namespace {

using namespace test::text;

// Equations of most graph forms, with conditions, derivatives, parameters and a subscripted name,
// besides the text that touches every part of the grammar.
std::array<std::string, 8> seedTexts() {
  const std::string x = c("x"), y = c("y"), z = c("z"), t = c("t");
  return {
      kRichText,
      eq(y,
         k("plus", {sq(x), k("sin", {x}), k("times", {c("a"), k("function", {k("optotal", {x}), sq(x)})})})),
      eq(c("r"), k("over", {kTheta, n(2)})),
      k("comma", {eq(k("plus", {sq(x), sq(y)}), n(4)), k("lessthan", {x, y})}),
      eq(vec({x, y}), vec({k("cos", {t}), k("times", {"indexes[1,0,char[b],num[1,\"1\"]]", k("sin", {t})})})),
      eq(z, k("times", {x, y})),
      k("lessthan", {y, k("abs", {x}), n(3)}),
      eq(vec({x, y}), vec({y, k("minus", {x})})),
  };
}

// The algebra actions a user applies to a whole equation.
constexpr std::array<EditorCommand, 6> kActions = {Command::Simplify,        Command::Expand,
                                                   Command::Evaluate,        Command::IsolateTerm,
                                                   Command::DerivativesOnly, Command::CompactFractions};

class MutatedEquations : public ::testing::Test {
protected:
  void SetUp() override { installAlgebraActions(); }
  void TearDown() override { modelState().activeInsertionPoint = nullptr; }

  /// What is wrong with the line's tree, caret, text form or the process state, or an empty string.
  static std::string lineProblem(const InsertionPoint& line) {
    if (std::string tree = test::treeProblem(*line.root); !tree.empty()) return tree;
    if (std::string caret = test::caretProblem(line); !caret.empty()) return caret;
    if (std::string state = test::processStateProblem(line); !state.empty()) return state;
    // Numbers an action computed are written with 12 digits: what was read must then be stable.
    const ObjectPtr read = readObjectText(writeObjectText(*line.root));
    if (!read) return "the text form does not read back";
    const ObjectPtr again = readObjectText(writeObjectText(*read));
    if (!again || !treeEqual(*again, *read)) return "the text form read back is not stable";
    return {};
  }

  /// Lays the line out and draws it with its caret; what is wrong, or an empty string.
  std::string typesetProblem(InsertionPoint& line) {
    typesetter_.typesetter.layoutLine(line);
    if (std::string problem = lineProblem(line); !problem.empty()) return "after layout: " + problem;
    test::RecordingSurface surface;
    typesetter_.typesetter.drawLine(line, surface, 0, 0, {.caret = true});
    if (surface.texts.empty() && surface.lines.empty() && surface.carets.empty() &&
        surface.highlights.empty())
      return "drawing the line showed nothing";
    return {};
  }

  /// Classifies the equation for the plane and for space: the form with conditions is the form
  /// itself or none.
  static std::string classifierProblem(const MathObject& tree) {
    for (const bool for3D : {false, true}) {
      const GraphForm form = classify(tree, for3D);
      const GraphForm withConditions = classifyWithConditions(tree, for3D);
      if (withConditions != GraphForm::None && withConditions != form)
        return "the form with conditions " + std::to_string(formCode(withConditions)) + " is not the form " +
               std::to_string(formCode(form));
      (void)whyNotGraphable(tree, for3D);
    }
    return {};
  }

  /// Builds the document's graphs in a small plane (or space), gives them a few slices of work
  /// and draws them; nothing may be drawn outside the picture.
  std::string graphProblem(DocumentModel& document) {
    ManualClock clock(0, 1);
    CGraphContainer container({0, 0, 90, 120}, clock);
    rebuildAllGraphs(container, document);
    if (document.equation(0).graphIndex >= 0) ++graphs_;
    for (int slice = 0; slice < 4 && !container.allComplete(); ++slice) container.work(20);
    test::Canvas canvas(PixelFormatCode::Xrgb8888, 120, 90);
    DrawingPort port;
    if (!port.attach(canvas.target())) return "no port for the picture";
    container.draw(port, DrawFlag::All);
    if (!canvas.guardsIntact()) return "the graphs drew outside the picture";
    (void)takeError();
    return {};
  }

  test::SoakTypesetter typesetter_;
  int graphs_ = 0; ///< builds that made a graph
};

TEST_F(MutatedEquations, AcceptedTreesGoThroughEditorTypesetterClassifierAndGraphs) {
  std::mt19937 random(20250214);
  const std::array<std::string, 8> seeds = seedTexts();
  for (const std::string& seed : seeds) ASSERT_TRUE(readObjectText(seed)) << seed;
  test::ActionSource typist(static_cast<unsigned>(random()), true);
  const int wanted = 5000 / static_cast<int>(test::kCommandShare);
  int accepted = 0;
  for (int round = 0; accepted < wanted && round < 100 * wanted; ++round) {
    const std::string text = mutateText(seeds[static_cast<std::size_t>(round) % seeds.size()], random);
    ObjectPtr tree = readObjectText(text);
    if (!tree) continue;
    ++accepted;
    SCOPED_TRACE(text);
    DocumentModel document;
    EquationRecord& record = document.addEquation(-1);
    InsertionPoint& line = *record.insertionPoint;
    line.setRoot(std::move(tree));
    modelState().activeInsertionPoint = &line;
    resetEditorState();

    ASSERT_EQ(classifierProblem(*line.root), "");
    ASSERT_EQ(typesetProblem(line), "");
    ASSERT_EQ(graphProblem(document), "");

    // A few random keys and commands, then an algebra action on the whole equation.
    std::string recent;
    for (int step = 0; step < 6; ++step) {
      const test::Action action = typist.next();
      recent += "\n  " + test::describe(action);
      test::perform(action, typesetter_, line);
      ASSERT_EQ(lineProblem(line), "") << recent;
    }
    selectWholeEquation(line);
    const EditorCommand action = kActions[random() % kActions.size()];
    {
      // A tenth of the action's own budget: an expansion that runs out puts the line back, which
      // is as much worth checking, and the test stays short.
      const WorkBudgetScope budget(kAlgebraBudget.objects / 10, WorkBudget::kUnlimited);
      dispatch(action);
    }
    (void)takeRefusal();
    ASSERT_EQ(lineProblem(line), "") << recent << "\n  " << commandName(action);

    ASSERT_EQ(classifierProblem(*line.root), "") << writeObjectText(*line.root);
    ASSERT_EQ(typesetProblem(line), "") << writeObjectText(*line.root);
    ASSERT_EQ(graphProblem(document), "") << writeObjectText(*line.root);
    modelState().activeInsertionPoint = nullptr;
  }
  EXPECT_EQ(accepted, wanted);
  // Damage leaves many equations graphable: the graph kinds must have had work to do.
  EXPECT_GT(graphs_, wanted / 4);
  std::printf("%d accepted trees, %d graph builds that made a graph\n", accepted, graphs_);
}

} // namespace
} // namespace vexmar
