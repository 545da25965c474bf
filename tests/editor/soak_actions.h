#pragma once

// The random user of the soak tests: keys, editor commands, clicks and Undo in the proportions a
// busy typist produces them, optionally with the algebra commands of the Math menu, and now and
// then a burst of one short key sequence typed over and over, which builds the sums of thousands
// of terms and the nesting thousands of levels deep that random typing never reaches.
#include "../typeset/typesetting_fixture.h"
#include "editor/dispatcher.h"
#include "editor/editor_command.h"
#include "editor/key_table.h"
#include "editor/keyboard_selection.h"
#include "editor/view_keys.h"
#include "editor_fixture.h"
#include "numeric/error_word.h"
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"
#include "tree_checks.h"
#include "typeset/fixed_font.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexmar::test {

inline long environmentNumber(const char* name, long fallback) {
  const char* value = std::getenv(name);
  if (!value || !*value) return fallback;
  char* end = nullptr;
  const long parsed = std::strtol(value, &end, 10);
  return (end && *end == '\0' && parsed > 0) ? parsed : fallback;
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer build runs some 25 times slower: it soaks a sixth of the commands, with as many
// bursts, shorter ones.
inline constexpr long kCommandShare = 6;
inline constexpr int kLongestBurst = 1500;
#else
inline constexpr long kCommandShare = 1;
inline constexpr int kLongestBurst = 4000;
#endif

// One random user action: a key with modifiers, an editor command, Undo, or a click at a point of
// the drawn line given in thousandths of its width and height.
struct Action {
  enum Kind { Key, Command, Undo, Click } kind;
  int value;
  int modifiers;
};

// A key sequence a burst repeats, last key first: each repetition of a sum adds a term, each
// repetition of a nesting goes one level deeper wherever the caret then stands.
struct Burst {
  std::array<Action, 2> sequence;
  int length;
  [[nodiscard]] std::span<const Action> keys() const {
    return std::span(sequence).first(static_cast<std::size_t>(length));
  }
};
constexpr Action typed(int character) { return {Action::Key, character, 0}; }
constexpr Action issued(EditorCommand code) { return {Action::Command, code, 0}; }
// Wide and deep in turn.
inline constexpr std::array<Burst, 12> kBursts = {{
    {{typed('+'), typed('a')}, 2},                      // a+a+a+...
    {{typed('(')}, 1},                                  // ((((...
    {{typed('*'), typed('x')}, 2},                      // x*x*x*...
    {{typed('^'), typed('2')}, 2},                      // 2^2^2^...
    {{typed(','), typed('1')}, 2},                      // 1,1,1,...
    {{typed('/'), typed('y')}, 2},                      // y/(y/(y/...
    {{typed('-'), typed('7')}, 2},                      // 7-7-7-...
    {{issued(insertKindCommand(ObjectKind::sqrt))}, 1}, // sqrt(sqrt(...
    {{typed('[')}, 1},                                  // [[[[...
    {{issued(Command::WrapMinus)}, 1},                  // -(-(-(...
    {{typed('|')}, 1},                                  // ||||...
    {{issued(Command::StartSubscript), typed('n')}, 2}, // n_n_n_...
}};

class ActionSource {
public:
  explicit ActionSource(unsigned seed, bool algebra = false)
      : random_(seed), algebra_(algebra), nextBurst_(random_() % kBursts.size()) {}

  Action next() {
    if (burstLeft_ > 0) {
      --burstLeft_;
      const std::span<const Action> keys = burst_->keys();
      return keys[static_cast<std::size_t>(burstLeft_) % keys.size()];
    }
    if (uniform(0, kBurstOdds - 1) == 0) {
      // In turn, so that a run of a few bursts builds both wide and deep trees.
      burst_ = &kBursts[nextBurst_++ % kBursts.size()];
      burstLeft_ = uniform(kShortestBurst, kLongestBurst) * static_cast<int>(burst_->keys().size());
    }
    // Algebra commands replace a share of the moves when asked for.
    if (algebra_ && uniform(0, 99) < 8)
      return command(kAlgebra[static_cast<std::size_t>(uniform(0, static_cast<int>(kAlgebra.size()) - 1))]);
    const int pick = uniform(0, 99);
    if (pick < 30) return key(letter());
    if (pick < 40) return key(uniform('0', '9'));
    if (pick < 55)
      return key(kOperators[static_cast<std::size_t>(uniform(0, static_cast<int>(kOperators.size()) - 1))]);
    // Caret moves and backspace.
    if (pick < 66) return command(uniform(Command::FirstCaretMove, Command::LastCaretMove));
    if (pick < 67) return {Action::Click, uniform(-20, 1020), uniform(-20, 1020)};
    if (pick < 70) return {Action::Undo, 0, 0};
    if (pick < 75) return command(uniform(Command::FirstClipboardCommand, Command::LastClipboardCommand));
    if (pick < 81) return command(uniform(Command::FirstTemplate, Command::LastTemplate));
    if (pick < 84) return command(uniform(Command::FirstOperatorKey, Command::LastOperatorKey));
    if (pick < 88)
      return command(uniform(insertKindCommand(ObjectKind::matrix), insertKindCommand(ObjectKind::fxnlike)));
    if (pick < 90) return command(uniform(kFirstSpecialCode, kLastSpecialCode));
    if (pick < 92) return command(uniform(Command::FirstDecoration, Command::LastDecoration));
    if (pick < 94)
      return command(kLayout[static_cast<std::size_t>(uniform(0, static_cast<int>(kLayout.size()) - 1))]);
    if (pick < 95)
      return command(uniform(0, 1) ? Command::WrapTotalDerivative : Command::WrapPartialDerivative);
    if (pick < 97) return key(KeyCharacter::Tab, uniform(0, 2) == 0 ? KeyModifier::Shift : KeyModifier::None);
    if (pick < 98)
      return key(static_cast<int>(
          kUnicode[static_cast<std::size_t>(uniform(0, static_cast<int>(kUnicode.size()) - 1))]));
    return key(uniform(32, 126), uniform(0, 7));
  }

  /// True while the actions come from a burst.
  [[nodiscard]] bool inBurst() const { return burstLeft_ > 0; }

private:
  static constexpr Action key(int character, int modifiers = 0) {
    return {Action::Key, character, modifiers};
  }
  static constexpr Action command(int code) { return {Action::Command, code, 0}; }

  static constexpr int kBurstOdds = 2000 / kCommandShare;
  static constexpr int kShortestBurst = 200;

  static constexpr std::array<int, 20> kOperators = {'+', '-', '*', '^', '!', '|', '(',  ')', '[', '/',
                                                     '=', '<', '>', '@', ',', '.', '\\', ' ', ' ', 8};
  // Characters beyond ASCII that mean something to the editor, and one that does not.
  static constexpr std::array<char32_t, 12> kUnicode = {U'\u2212', U'\u00D7', U'\u00F7', U'\u00B2',
                                                        U'\u221A', U'\u03C0', U'\u03B1', U'\u2264',
                                                        U'\u2260', U'\u00B1', U'\u221E', U'\u2713'};
  // Simplify and its variants, Expand, peeling terms, substitutions, compact fractions, Isolate,
  // Evaluate and Evaluate into the equation.
  static constexpr std::array<EditorCommand, 12> kAlgebra = {
      Command::Simplify,         Command::KeepProducts,
      Command::Expand,           Command::ExpandOnce,
      Command::DerivativesOnly,  Command::SimplifyHoldingDerivatives,
      Command::PeelTerms,        Command::CarryOutSubstitutions,
      Command::CompactFractions, Command::IsolateTerm,
      Command::Evaluate,         Command::EvaluateIntoEquation};
  static constexpr std::array<EditorCommand, 8> kLayout = {
      Command::NudgeDown,         Command::NudgeRight,          Command::IncreaseAscentPadding,
      Command::ResetPaddings,     Command::AlignLeft,           Command::AlignBottom,
      Command::ToggleUniformRows, Command::SetFifthOptionBefore};

  int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  int letter() {
    static constexpr std::string_view letters = "abcdefghijklmnopqrstuvwxyzxyzsinpthEe";
    return letters[static_cast<std::size_t>(uniform(0, static_cast<int>(letters.size()) - 1))];
  }

  std::mt19937 random_;
  bool algebra_;
  std::size_t nextBurst_;
  const Burst* burst_ = nullptr;
  int burstLeft_ = 0;
};

inline std::string describe(const Action& a) {
  switch (a.kind) {
  case Action::Key:
    return "key " + std::to_string(a.value) + " mods " + std::to_string(a.modifiers);
  case Action::Command: {
    const std::string_view name = commandName(a.value);
    return "command " + std::to_string(a.value) + (name.empty() ? "" : " " + std::string(name));
  }
  case Action::Undo:
    return "undo";
  case Action::Click:
    return "click at " + std::to_string(a.value) + "/1000, " + std::to_string(a.modifiers) + "/1000";
  }
  return {};
}

/// Where two trees first differ in pre-order, for a failure message.
inline std::string firstDifference(const MathObject& a, const MathObject& b) {
  const MathObject* x = &a;
  const MathObject* y = &b;
  while (x && y) {
    if (x->kind != y->kind || x->childCount() != y->childCount() ||
        (x->kind == ObjectKind::num && x->number && y->number && x->number->value != y->number->value) ||
        !treeEqual(*x, *y)) {
      if (x->childCount() == 0 || x->kind != y->kind || x->childCount() != y->childCount()) {
        char values[96] = "";
        if (x->kind == ObjectKind::num && x->number && y->number)
          std::snprintf(values, sizeof values, " (%.17g vs %.17g)", x->number->value, y->number->value);
        return writeObjectText(*x) + " vs " + writeObjectText(*y) + values;
      }
    }
    x = nextPreorder(x, a);
    y = nextPreorder(y, b);
  }
  return "none found";
}

/// How big a tree is: its objects, its levels and the most children of one object.
struct TreeShape {
  std::size_t objects = 0;
  int depth = 0;
  int widest = 0;
};

inline TreeShape shapeOf(const MathObject& root) {
  TreeShape shape;
  std::vector<std::pair<const MathObject*, int>> pending{{&root, 1}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    ++shape.objects;
    shape.depth = std::max(shape.depth, depth);
    shape.widest = std::max(shape.widest, node->childCount());
    for (const ObjectPtr& child : node->children)
      if (child) pending.emplace_back(child.get(), depth + 1);
  }
  return shape;
}

/// What is wrong with the process-wide state between commands, or an empty string: the line is
/// still the active one, no work budget outlived its command and the memory reserve is held.
inline std::string processStateProblem(const InsertionPoint& line) {
  if (modelState().activeInsertionPoint != &line) return "the line is no longer the active one";
  const WorkBudget& budget = modelState().workBudget;
  if (budget.objectsLeft != WorkBudget::kUnlimited || budget.deadlineMs != WorkBudget::kUnlimited)
    return "a work budget outlived its command";
  if (memoryReserve().isLow() || !memoryReserve().hasReserve()) return "the memory reserve is spent";
  return {};
}

/// What is wrong with compiling the tree and evaluating it at a point and over a box around the
/// point, or an empty string: nothing may be left behind, and a finite value at the point lies
/// in the box's enclosure. Works on a copy; a program the compiler refuses is no fault.
inline std::string evaluationProblem(const MathObject& tree) {
  const std::size_t objectsBefore = objectsInUse();
  {
    Evaluator evaluator(cloneTree(tree));
    compileBatch({&evaluator});
    constexpr double u = 0.5, v = -0.25, x = 0.7, y = -1.3, z = 2.1, radius = 0.125;
    const double value = evaluator.evalUVXYZ(u, v, x, y, z);
    NumericState& state = numericState();
    state.intervalSlots[Slot::U] = {u, u};
    state.intervalSlots[Slot::V] = {v, v};
    const IntervalValue box =
        evaluator.evalIntervalXYZ(x - radius, x + radius, y - radius, y + radius, z - radius, z + radius);
    // Rounding may move a value across a step of floor, round or a comparison: allow a little.
    const double slack = 1e-9 * std::max(1.0, std::fabs(value));
    if (std::isfinite(value) && !isUndefined(box) &&
        (value < box.lower - slack || value > box.upper + slack)) {
      char message[160];
      std::snprintf(message, sizeof message, "the value %.17g at the point lies outside [%.17g, %.17g]",
                    value, box.lower, box.upper);
      return message;
    }
    (void)takeError(); // a program too deep for the value stack is refused with an error code
  }
  if (objectsInUse() != objectsBefore) return "evaluation left objects behind";
  return {};
}

/// A surface that only counts what is drawn on it: the soak draws lines of thousands of objects.
class CountingSurface final : public DrawingSurface {
public:
  void drawText(const FontFace&, Fixed, Fixed, std::string_view) override { ++items; }
  void drawLine(Fixed, Fixed, Fixed, Fixed, Fixed) override { ++items; }
  void fillRectangle(Fixed, Fixed, Fixed, Fixed, Fill) override { ++items; }
  void setClip(Fixed, Fixed, Fixed, Fixed) override {}
  void clearClip() override {}
  long items = 0;
};

inline constexpr std::size_t kMostDrawnDisplayLines = 64;

/// The soak's own typesetter: the line is laid out and drawn as the window would, and keyboard
/// selection and clicks use it. It leaves the editor when the soak ends.
struct SoakTypesetter {
  FixedFontServices fonts;
  Typesetter typesetter{fonts};
  SoakTypesetter() { editorState().typesetter = &typesetter; }
  ~SoakTypesetter() {
    if (editorState().typesetter == &typesetter) editorState().typesetter = nullptr;
  }
  SoakTypesetter(const SoakTypesetter&) = delete;
  SoakTypesetter& operator=(const SoakTypesetter&) = delete;

  /// What is wrong with laying the line out and drawing it with its caret, or an empty string.
  std::string layoutProblem(InsertionPoint& line) {
    typesetter.ensureLayout(line);
    // Layout keeps the display parentheses it inserts in the tree.
    if (std::string tree = treeProblem(*line.root); !tree.empty()) return "after layout: " + tree;
    if (std::string caret = caretProblem(line); !caret.empty()) return "after layout: " + caret;
    // Each display line draws every delimiter reaching into it, so drawing a line broken many
    // times by deep nesting costs its depth times its display lines: such lines are left undrawn.
    if (Typesetter::displayLines(line).size() > kMostDrawnDisplayLines) return {};
    CountingSurface surface;
    typesetter.drawLine(line, surface, 0, 0, {.caret = true});
    return surface.items > 0 ? std::string() : "drawing the line showed nothing";
  }

  /// A click at thousandths of the drawn line's width and height (a little outside it too).
  void click(InsertionPoint& line, int thousandthsX, int thousandthsY) {
    typesetter.ensureLayout(line);
    const Fixed x = Typesetter::drawnWidth(line) / 1000 * thousandthsX;
    const Fixed y = Typesetter::drawnHeight(line) / 1000 * thousandthsY;
    clickAt(typesetter, line, {x, y});
  }
};

/// Performs one random action on the active line as the window would.
inline void perform(const Action& action, SoakTypesetter& layout, InsertionPoint& line) {
  switch (action.kind) {
  case Action::Key:
    handleViewCharacter(action.value, action.modifiers);
    break;
  case Action::Command:
    dispatch(action.value);
    break;
  case Action::Undo:
    undo();
    break;
  case Action::Click:
    layout.click(line, action.value, action.modifiers);
    break;
  }
  (void)takeRefusal();
}

/// What the soak reached, for its closing line.
struct SoakRecord {
  TreeShape largest; ///< each the largest seen, not necessarily of one tree
  long checks = 0;
  long lines = 0;
};

// The per-command checks cost time in proportion to the tree. Up to kFullCheckObjects objects
// every command is checked; beyond, every Nth, N = objects / kObjectsPerCheck, so that a command
// costs about as much at any size. A line lives kSmallLineCommands commands; one a burst made
// large lives kLargeLineCommands, and at least kCommandsAfterBurst after its last burst, so that
// random edits, cuts, pastes and Undo work on it for a while; any line goes when its tree, or all
// trees with the undo history's copies, grow too large.
inline constexpr std::size_t kFullCheckObjects = 200;
inline constexpr std::size_t kObjectsPerCheck = 50;
inline constexpr long kChecksPerEvaluation = 3; // compiling costs more than the other checks
inline constexpr long kSmallLineCommands = 400;
inline constexpr long kLargeLineCommands = 3000;
inline constexpr long kCommandsAfterBurst = 500;
inline constexpr std::size_t kLargestTree = 40'000;
inline constexpr std::size_t kMostObjectsInUse = 1'500'000;

/// Runs VEXMAR_SOAK_COMMANDS random actions (default `defaultCommands`, a sixth of them in the
/// sanitizer build) on the fixture's line, checking after each (sampled on large trees) that the
/// tree, caret and process state are sound, the text form reads back, the line lays out, draws,
/// compiles and evaluates, and Undo then Redo changes nothing. `afterReset` restores what
/// resetting the editor's state removes.
inline void runSoak(EditorFixture& f, bool algebra, long defaultCommands,
                    const std::function<void()>& afterReset = {}) {
  const long commands = environmentNumber("VEXMAR_SOAK_COMMANDS", defaultCommands / kCommandShare);
  const unsigned seed = static_cast<unsigned>(environmentNumber("VEXMAR_SOAK_SEED", 20261208));
  ActionSource source(seed, algebra);
  SoakTypesetter layout;
  SoakRecord record;
  std::vector<std::string> recent;
  std::size_t objects = 0; // in the line's tree, as of the last check
  long lineStart = 0, lastBurst = 0, lastCheck = 0;
  bool large = false; // a burst has been typed into the line
  // Before a line goes, its whole history is undone and redone, which must lead back to the same
  // tree.
  auto wholeHistoryProblem = [&]() -> std::string {
    while (redo()) {
    } // from the newest state, after any random Undo
    const std::string last = f.text();
    while (undo())
      if (std::string caret = test::caretProblem(*f.line); !caret.empty()) return "undoing: " + caret;
    while (redo())
      if (std::string caret = test::caretProblem(*f.line); !caret.empty()) return "redoing: " + caret;
    if (f.text() != last) return "Undo and Redo of the whole history changed the tree";
    return {};
  };
  for (long i = 0; i < commands; ++i) {
    const bool lived = i - lineStart >= (large ? kLargeLineCommands : kSmallLineCommands) &&
                       i - lastBurst >= kCommandsAfterBurst && !source.inBurst();
    if (i == 0 || lived || objects > kLargestTree || objectsInUse() > kMostObjectsInUse) {
      const std::string history = wholeHistoryProblem();
      ASSERT_TRUE(history.empty()) << history << "\n" << f.text();
      f.line->setRoot(makePrompt());
      resetEditorState();
      if (afterReset) afterReset();
      recent.clear();
      objects = 1;
      lineStart = lastCheck = i;
      large = false;
      ++record.lines;
    }
    const Action action = source.next();
    if (source.inBurst()) {
      large = true;
      lastBurst = i;
    }
    recent.push_back(describe(action));
    if (recent.size() > 12) recent.erase(recent.begin());
    const bool check =
        objects <= kFullCheckObjects || i - lastCheck >= static_cast<long>(objects / kObjectsPerCheck);
    // The text before the command only for a tree small enough to read in a failure message.
    const std::string before =
        objects <= kFullCheckObjects ? f.text() : "a tree of about " + std::to_string(objects) + " objects";
    perform(action, layout, *f.line);
    auto history = [&] {
      std::string h = "command " + std::to_string(i) + " from " + before + "\nrecent:";
      for (const std::string& r : recent) h += "\n  " + r;
      return h;
    };
    // These two are cheap: the caret check only walks up from the current object.
    const std::string caret = test::caretProblem(*f.line);
    ASSERT_TRUE(caret.empty()) << caret << "\n" << history();
    const std::string state = processStateProblem(*f.line);
    ASSERT_TRUE(state.empty()) << state << "\n" << history();
    if (!check) continue;
    lastCheck = i;
    ++record.checks;

    const TreeShape shape = shapeOf(*f.line->root);
    objects = shape.objects;
    record.largest.objects = std::max(record.largest.objects, shape.objects);
    record.largest.depth = std::max(record.largest.depth, shape.depth);
    record.largest.widest = std::max(record.largest.widest, shape.widest);
    const std::string tree = test::treeProblem(*f.line->root);
    ASSERT_TRUE(tree.empty()) << tree << "\n" << f.text() << "\n" << history();
    const std::string laidOut = layout.layoutProblem(*f.line);
    ASSERT_TRUE(laidOut.empty()) << laidOut << "\n" << f.text() << "\n" << history();
    if (record.checks % kChecksPerEvaluation == 0) {
      const std::string evaluated = evaluationProblem(*f.line->root);
      ASSERT_TRUE(evaluated.empty()) << evaluated << "\n" << f.text() << "\n" << history();
    }

    const std::string written = f.text();
    ObjectPtr read = readObjectText(written);
    ASSERT_TRUE(read) << written << "\n" << history();
    if (!algebra) {
      ASSERT_TRUE(treeEqual(*read, *f.line->root)) << firstDifference(*read, *f.line->root) << "\n"
                                                   << written << "\n"
                                                   << history();
    } else if (!treeEqual(*read, *f.line->root)) {
      // Reading shows computed numbers (an Evaluate's results, which have no text of their own)
      // with 12 digits, which may add a scientific notation; what was read must then be stable.
      const std::string again = writeObjectText(*read);
      ObjectPtr reread = readObjectText(again);
      ASSERT_TRUE(reread && treeEqual(*reread, *read))
          << (reread ? firstDifference(*reread, *read) : again) << "\n"
          << written << "\n"
          << history();
    }
    read.reset();
    if (undo()) {
      ASSERT_TRUE(redo()) << history();
    }
    ASSERT_EQ(f.text(), written) << "Undo then Redo changed the tree\n" << history();
    ASSERT_TRUE(test::caretProblem(*f.line).empty()) << history();
  }
  const std::string history = wholeHistoryProblem();
  ASSERT_TRUE(history.empty()) << history << "\n" << f.text();
  std::printf("soak: %ld commands, %ld checked, %ld lines; largest tree %zu objects, deepest %d levels, "
              "widest %d children\n",
              commands, record.checks, record.lines, record.largest.objects, record.largest.depth,
              record.largest.widest);
}

} // namespace vexmar::test
