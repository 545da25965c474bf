#include "editor/typing_habits.h"

#include "editor/caret_movement.h"

#include <algorithm>
#include <array>

namespace vexmar {
namespace {

// clang-format off
constexpr std::array<TypingHabitRow, 4> kHabits = {{
    {"LeaveScriptsByTyping", "Leave an Exponent or Subscript with + - = < > ,", &TypingHabits::leaveScripts},
    {"NamesTypedAsWords", "Names as Words: log, sqrt, abs, alpha...", &TypingHabits::namesAsWords},
    {"UnderscoreSubscripts", "Underscore Starts a Subscript", &TypingHabits::underscoreSubscripts},
    {"BarsCloseAbsoluteValues", "Bar Closes an Absolute Value", &TypingHabits::closingBars},
}};
// clang-format on

bool isSign(ObjectKind k) { return k == ObjectKind::minus || k == ObjectKind::pm || k == ObjectKind::mp; }

// The keys that end a term or a side: typed at the end of an exponent they are meant for the base.
bool leavesScript(EditorCommand code) {
  static constexpr std::array<EditorCommand, 11> kCodes = {insertKindCommand(ObjectKind::plus),
                                                           insertKindCommand(ObjectKind::minus),
                                                           insertKindCommand(ObjectKind::pm),
                                                           insertKindCommand(ObjectKind::mp),
                                                           Command::OpenEqual,
                                                           Command::OpenLessThan,
                                                           Command::OpenGreaterThan,
                                                           Command::OpenComma,
                                                           Command::OpenLessOrEqual,
                                                           Command::OpenGreaterOrEqual,
                                                           Command::OpenNotEqual};
  return std::find(kCodes.begin(), kCodes.end(), code) != kCodes.end();
}

// Whether the caret stands at the end of an exponent or subscript that holds something, with
// nothing between but products, signs and function names: no parentheses, fraction or root that
// the user would leave with the arrow first.
bool endsScript(const InsertionPoint& ip) {
  if (ip.mode != SelectionMode::After || !ip.current || ip.current->kind == ObjectKind::prompt) return false;
  for (const MathObject* o = ip.current; o->parent; o = o->parent) {
    const MathObject& p = *o->parent;
    if (!o->isLastChild()) return false;
    const bool exponent = p.kind == ObjectKind::power || p.kind == ObjectKind::sn; // x^2, 2E3
    if (exponent && o->indexInParent == 1) return true;
    if (p.kind == ObjectKind::indexes && o->indexInParent > 0) return true;
    if (p.kind != ObjectKind::times && !isSign(p.kind) && !isFunctionLike(p.kind)) return false;
  }
  return false;
}

// The absolute value whose content the caret ends, if any.
MathObject* endedAbsoluteValue(const InsertionPoint& ip) {
  if (ip.mode != SelectionMode::After || !ip.current || ip.current->kind == ObjectKind::prompt)
    return nullptr;
  for (MathObject* o = ip.current; o->parent; o = o->parent) {
    if (!o->isLastChild()) return nullptr;
    if (o->parent->kind == ObjectKind::abs) return o->parent;
  }
  return nullptr;
}

} // namespace

std::span<const TypingHabitRow> typingHabitTable() { return kHabits; }

EditorCommand habitKeyCommand(int character, const TypingHabits& habits) {
  return character == '_' && habits.underscoreSubscripts ? Command::StartSubscript : 0;
}

EditorCommand applyTypingHabits(InsertionPoint& ip, EditorCommand code, const TypingHabits& habits) {
  if (habits.leaveScripts && leavesScript(code) && endsScript(ip)) moveCaret(ip, Command::Right);
  if (habits.closingBars && code == insertKindCommand(ObjectKind::abs)) {
    if (MathObject* bars = endedAbsoluteValue(ip)) {
      setInsertionPoint(ip, *bars, SelectionMode::After);
      return 0;
    }
  }
  return code;
}

} // namespace vexmar
