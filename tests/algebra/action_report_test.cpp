#include "algebra/actions/action_report.h"

#include "algebra/actions/algebra_actions.h"
#include "algebra/evaluate.h"
#include "editor/dispatcher.h"
#include "editor/editor_state.h"
#include "model/insertion_point.h"
#include "model/model_state.h"
#include "model/work_budget.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexmar {
namespace {

// A line holding `text` with the object at `path` selected.
std::unique_ptr<InsertionPoint> lineWith(const std::string& text, const std::vector<int>& path) {
  auto ip = createLineState();
  ObjectPtr root = readObjectText(text);
  EXPECT_TRUE(root) << text;
  if (root) ip->setRoot(std::move(root));
  MathObject* selected = followPath(*ip->root, path);
  EXPECT_TRUE(selected) << text;
  if (selected) setInsertionPoint(*ip, *selected, SelectionMode::Object);
  return ip;
}

// a + b + ... + g, seven terms.
std::string sevenTerms() {
  std::string sum = "id[plus[";
  for (char c = 'a'; c <= 'g'; ++c) sum += std::string(c == 'a' ? "" : ",") + "char[" + c + "]";
  return sum + "]]";
}

TEST(ActionReport, EachActionSaysWhyItDidLess) {
  struct Row {
    const char* name;
    std::string tree;
    std::vector<int> selection;
    EditorCommand command;
    const char* message;
  };
  const std::string longProduct = "times[" + sevenTerms() + "," + sevenTerms() + "," + sevenTerms() + "," +
                                  sevenTerms() + "," + sevenTerms() + "]";
  const Row rows[] = {
      {"evaluate with free letters",
       "plus[char[a],char[b]]",
       {},
       Command::Evaluate,
       "Nothing to evaluate: the selection has free letters (a, b)"},
      {"evaluate names a Greek letter as it is written",
       "times[num[2,\"2\"],char[theta]]",
       {},
       Command::Evaluate,
       "Nothing to evaluate: the selection has free letters (θ)"},
      {"evaluate that found something to do says nothing",
       "plus[char[x],times[num[2,\"2\"],num[3,\"3\"]]]",
       {},
       Command::Evaluate,
       ""},
      {"evaluate with e and pi only gives a value", "times[char[e],char[pi]]", {}, Command::Evaluate, ""},
      {"evaluate into an equation with free letters",
       "plus[char[a],char[b]]",
       {},
       Command::EvaluateIntoEquation,
       "Nothing to evaluate: the selection has free letters (a, b)"},
      {"evaluate into an equation that found something to do says nothing",
       "plus[char[x],times[num[2,\"2\"],num[3,\"3\"]]]",
       {},
       Command::EvaluateIntoEquation,
       ""},
      {"evaluate into an equation with a value",
       "plus[num[2,\"2\"],num[3,\"3\"]]",
       {},
       Command::EvaluateIntoEquation,
       ""},
      {"evaluate into an equation whose sides have no value names the right side's letters",
       "equal[char[y],plus[char[x],num[1,\"1\"]]]",
       {},
       Command::EvaluateIntoEquation,
       "Nothing to evaluate: the selection has free letters (x)"},
      {"isolate outside an equation",
       "plus[char[x],num[1,\"1\"]]",
       {0},
       Command::IsolateTerm,
       "Nothing to isolate: the selection is not in an equation with two sides"},
      {"isolate in an equation of three sides",
       "equal[char[x],char[y],char[z]]",
       {1},
       Command::IsolateTerm,
       "Nothing to isolate: the selection is not in an equation with two sides"},
      {"isolate through a factorial",
       "equal[plus[fact[char[x]],num[1,\"1\"]],num[3,\"3\"]]",
       {0, 0, 0},
       Command::IsolateTerm,
       "Can't isolate: the operation now selected cannot be undone"},
      {"isolate what is alone on the left",
       "equal[char[y],plus[char[x],num[1,\"1\"]]]",
       {0},
       Command::IsolateTerm,
       "Already isolated: the selection is alone on the left"},
      {"isolate that moved something says nothing",
       "equal[plus[char[x],num[1,\"1\"]],num[3,\"3\"]]",
       {0, 0},
       Command::IsolateTerm,
       ""},
      {"expand a sum to the 24th",
       "power[id[plus[char[x],num[1,\"1\"]]],num[24,\"24\"]]",
       {},
       Command::Expand,
       "Not fully expanded: powers of sums above 23 are left as they are"},
      {"expand a sum to the 23rd",
       "power[id[plus[char[x],num[1,\"1\"]]],num[23,\"23\"]]",
       {},
       Command::Expand,
       ""},
      {"expand the rest while a power stays",
       "plus[times[num[2,\"2\"],id[plus[char[x],num[1,\"1\"]]]],power[id[plus[char[x],num[1,\"1\"]]],num[30,"
       "\"30\"]]]",
       {},
       Command::Expand,
       "Not fully expanded: powers of sums above 23 are left as they are"},
      {"expand a product of 7^5 terms",
       longProduct,
       {},
       Command::Expand,
       "Not fully expanded: a product would have more than 10000 terms"},
      {"simplify says nothing", "plus[char[x],char[x]]", {}, Command::Simplify, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto ip = lineWith(row.tree, row.selection);
    const ActionReport report = performAlgebraAction(*ip, row.command);
    EXPECT_EQ(actionMessage(report), row.message) << writeObjectText(*ip->root);
  }
}

TEST(ActionReport, FreeLettersAreThoseWithoutAValue) {
  struct Row {
    const char* name;
    const char* tree;
    const char* names;
  };
  const Row rows[] = {
      {"each letter once, in reading order", "plus[char[b],times[char[a],char[b]]]", "b, a"},
      {"not e, pi, the degree sign or the animated n", "times[char[e],char[pi],char[degree],char[n],char[x]]",
       "x"},
      {"not a letter a sum runs over", "sum[char[i],equal[char[i],num[1,\"1\"]],char[k]]", "k"},
      {"not a letter a substitution gives", "substitution[char[x],equal[char[x],num[2,\"2\"]]]", ""},
      {"Greek letters as they are written", "plus[char[alpha],char[Omega]]", "α, Ω"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ObjectPtr tree = readObjectText(row.tree);
    ASSERT_TRUE(tree);
    EXPECT_EQ(letterNames(freeLetters(*tree)), row.names);
  }
}

TEST(ActionReport, OnlyTheLimitsAreToldWhenTheEquationChanged) {
  for (const ActionOutcome outcome : {ActionOutcome::FreeLetters, ActionOutcome::NotInEquation,
                                      ActionOutcome::NoInverse, ActionOutcome::AlreadyIsolated}) {
    EXPECT_EQ(settledReport({outcome, "x"}, true).outcome, ActionOutcome::Done);
    EXPECT_EQ(settledReport({outcome, "x"}, false).outcome, outcome);
  }
  for (const ActionOutcome outcome : {ActionOutcome::TooManyTerms, ActionOutcome::PowerTooHigh})
    EXPECT_EQ(settledReport({outcome, "1"}, true).outcome, outcome);
  // Unless the action's own work changed nothing, whatever it wrote around it.
  EXPECT_EQ(settledReport({ActionOutcome::FreeLetters, "x", true}, true).outcome, ActionOutcome::FreeLetters);
}

TEST(ActionReport, TheDispatcherHandsEachReportToTheListener) {
  resetModelState();
  resetEditorState();
  std::vector<std::string> heard;
  installAlgebraActions([&heard](const ActionReport& report) { heard.push_back(actionMessage(report)); });
  auto ip = lineWith("plus[char[x],char[y]]", {});
  modelState().activeInsertionPoint = ip.get();
  dispatch(Command::Evaluate);
  dispatch(Command::Simplify);
  modelState().activeInsertionPoint = nullptr;
  installAlgebraActions();
  EXPECT_EQ(heard,
            (std::vector<std::string>{"Nothing to evaluate: the selection has free letters (x, y)", ""}));
}

TEST(ActionReport, AnActionStoppedByItsBudgetPutsTheLineBack) {
  std::string derivatives = "tan[char[x]]";
  for (int i = 0; i < 6; ++i) derivatives = "function[optotal[char[x]]," + derivatives + "]";
  struct Row {
    const char* name;
    std::string tree;
    std::vector<int> selection;
    SelectionMode mode;
    EditorCommand command;
  };
  const Row rows[] = {
      {"derivatives of tan", derivatives, {}, SelectionMode::Object, Command::Simplify},
      {"a power of a sum",
       "power[id[plus[char[a],char[b],char[c]]],num[16,\"16\"]]",
       {},
       SelectionMode::Object,
       Command::Expand},
      {"two terms of a sum, grouped first",
       "plus[" + derivatives + ",char[y],char[z]]",
       {},
       SelectionMode::Range,
       Command::Simplify},
      {"cells of a matrix",
       "matrix[2,1," + derivatives + ",char[y]]",
       {},
       SelectionMode::Cells,
       Command::Simplify},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto ip = lineWith(row.tree, row.selection);
    ip->mode = row.mode;
    ip->selFirst = 0;
    ip->selLast = 1;
    const std::string before = writeObjectText(*ip->root);
    {
      const WorkBudgetScope tight(3000, 60'000);
      EXPECT_EQ(performAlgebraAction(*ip, row.command).outcome, ActionOutcome::TooMuchWork);
    }
    EXPECT_EQ(writeObjectText(*ip->root), before);
    EXPECT_EQ(pathTo(*ip->current), row.selection);
    EXPECT_EQ(ip->mode, row.mode);
    EXPECT_EQ(ip->selLast, 1);
    // Within the action's own budget the same command goes through.
    EXPECT_EQ(performAlgebraAction(*ip, row.command).outcome, ActionOutcome::Done);
    EXPECT_NE(writeObjectText(*ip->root), before);
  }
}

} // namespace
} // namespace vexmar
