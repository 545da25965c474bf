#pragma once

// The random user of the soak tests: keys, editor commands and Undo in the proportions a busy
// typist produces them, optionally with the algebra commands of the Math menu.
#include "editor/dispatcher.h"
#include "editor/editor_command.h"
#include "editor/key_table.h"
#include "editor/view_keys.h"
#include "editor_fixture.h"
#include "tree_checks.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vexmar::test {

inline long environmentNumber(const char* name, long fallback) {
  const char* value = std::getenv(name);
  if (!value || !*value) return fallback;
  char* end = nullptr;
  const long parsed = std::strtol(value, &end, 10);
  return (end && *end == '\0' && parsed > 0) ? parsed : fallback;
}

// One random user action: a key with modifiers, an editor command, or Undo.
struct Action {
  enum Kind { Key, Command, Undo } kind;
  int value;
  int modifiers;
};

class ActionSource {
public:
  explicit ActionSource(unsigned seed, bool algebra = false) : random_(seed), algebra_(algebra) {}

  Action next() {
    // Algebra commands replace a share of the moves when asked for.
    if (algebra_ && uniform(0, 99) < 8)
      return command(kAlgebra[static_cast<std::size_t>(uniform(0, static_cast<int>(kAlgebra.size()) - 1))]);
    const int pick = uniform(0, 99);
    if (pick < 30) return key(letter());
    if (pick < 40) return key(uniform('0', '9'));
    if (pick < 55)
      return key(kOperators[static_cast<std::size_t>(uniform(0, static_cast<int>(kOperators.size()) - 1))]);
    // Caret moves and backspace.
    if (pick < 67) return command(uniform(Command::FirstCaretMove, Command::LastCaretMove));
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

private:
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
  static Action key(int character, int modifiers = 0) { return {Action::Key, character, modifiers}; }
  static Action command(int code) { return {Action::Command, code, 0}; }

  std::mt19937 random_;
  bool algebra_;
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

/// Runs VEXMAR_SOAK_COMMANDS random actions (default `defaultCommands`) on the fixture's line,
/// checking after each that the tree and caret are sound, the text form reads back, and Undo then
/// Redo changes nothing. `afterReset` restores what resetting the editor's state removes.
inline void runSoak(EditorFixture& f, bool algebra, long defaultCommands,
                    const std::function<void()>& afterReset = {}) {
  const long commands = environmentNumber("VEXMAR_SOAK_COMMANDS", defaultCommands);
  const unsigned seed = static_cast<unsigned>(environmentNumber("VEXMAR_SOAK_SEED", 20261208));
  ActionSource source(seed, algebra);
  std::vector<std::string> recent;
  for (long i = 0; i < commands; ++i) {
    // A fresh line now and then keeps trees to a size where per-command checks stay cheap. Before
    // it goes, the whole history is undone and redone, which must lead back to the same tree.
    if (i % 400 == 0 || countObjects(*f.line->root) > 1500) {
      while (redo()) {
      } // from the newest state, after any random Undo
      const std::string last = f.text();
      while (undo()) ASSERT_TRUE(test::caretProblem(*f.line).empty()) << f.text();
      while (redo()) ASSERT_TRUE(test::caretProblem(*f.line).empty()) << f.text();
      ASSERT_EQ(f.text(), last) << "Undo and Redo of the whole history changed the tree";
      f.line->setRoot(makePrompt());
      resetEditorState();
      if (afterReset) afterReset();
      recent.clear();
    }
    const Action action = source.next();
    recent.push_back(describe(action));
    if (recent.size() > 12) recent.erase(recent.begin());
    const std::string before = f.text();
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
    }
    auto history = [&] {
      std::string h = "command " + std::to_string(i) + " from " + before + "\nrecent:";
      for (const std::string& r : recent) h += "\n  " + r;
      return h;
    };
    const std::string tree = test::treeProblem(*f.line->root);
    ASSERT_TRUE(tree.empty()) << tree << "\n" << f.text() << "\n" << history();
    const std::string caret = test::caretProblem(*f.line);
    ASSERT_TRUE(caret.empty()) << caret << "\n" << f.text() << "\n" << history();
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
    if (undo()) {
      ASSERT_TRUE(redo()) << history();
    }
    ASSERT_EQ(f.text(), written) << "Undo then Redo changed the tree\n" << history();
    ASSERT_TRUE(test::caretProblem(*f.line).empty()) << history();
  }
}

} // namespace vexmar::test
