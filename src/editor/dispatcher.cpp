#include "editor/dispatcher.h"

#include "editor/caret_movement.h"
#include "editor/editing_operations.h"
#include "editor/editor_state.h"
#include "editor/kind_insertion.h"
#include "editor/layout_adjustment.h"
#include "editor/templates.h"
#include "editor/typing.h"
#include "model/decoration.h"
#include "model/memory_reserve.h"
#include "model/model_state.h"
#include "model/pattern_rule.h"

#include <utility>

namespace vexmar {
namespace {

bool inRange(EditorCommand c, EditorCommand first, EditorCommand last) { return c >= first && c <= last; }

bool roomToCopy(const InsertionPoint& ip) {
  return !memoryReserve().isLow() || !ip.root || countObjects(*ip.root) <= objectsFree();
}

void takeSnapshot(EditorState& s, const InsertionPoint& ip) {
  if (!roomToCopy(ip)) return;
  if (auto snapshot = UndoSnapshot::take(ip)) s.undo.record(std::move(*snapshot));
}

bool isLetter(EditorCommand c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isInsertableKind(EditorCommand c) {
  return c == insertKindCommand(ObjectKind::string) ||
         inRange(c, insertKindCommand(ObjectKind::matrix), kFirstKindCode + kKindCount - 1);
}

bool isTemplate(EditorCommand c) {
  return c == Command::WrapTotalDerivative || c == Command::WrapPartialDerivative ||
         inRange(c, Command::FirstTemplate, Command::LastTemplate);
}

bool isOperatorKey(EditorCommand c) {
  return c == Command::WrapMinus || c == Command::OpenEqual || c == Command::OpenComma ||
         c == Command::OpenLessThan || c == Command::OpenGreaterThan || c == Command::NextTemplateSlot ||
         c == Command::AdjustParentheses || c == Command::OpenLessOrEqual ||
         c == Command::OpenGreaterOrEqual || c == Command::OpenNotEqual;
}

bool isSelectionAction(EditorCommand c) {
  return inRange(c, Command::FirstAlgebraAction, Command::LastAlgebraAction) || isTermMove(c) ||
         c == Command::DefineRule || c == Command::ApplyRules;
}

void defineRule(EditorState& s, InsertionPoint& ip) {
  MathObject& current = *ip.current;
  if (ip.mode == SelectionMode::Object && isNamedDefinition(current)) {
    s.definitions.insert_or_assign(current.firstChild()->text, cloneTree(*current.lastChild()));
    return;
  }
  // The rule set is taken exactly as Copy would take the selection; the clipboard keeps its own.
  EditClipboard taken;
  if (copySelection(ip, taken) && taken.tree) s.activeRules = std::move(taken.tree);
}

void applyActiveRules(EditorState& s, InsertionPoint& ip) {
  if (!s.activeRules) return;
  if (ip.mode == SelectionMode::Range) groupSelection(ip);
  applyRules(*s.activeRules, *ip.current);
  resetInsertionPoint(ip);
  markChangedFromRoot(ip);
}

void selectionAction(EditorState& s, InsertionPoint& ip, EditorCommand code) {
  if (code == Command::DefineRule) {
    defineRule(s, ip);
  } else if (code == Command::ApplyRules) {
    applyActiveRules(s, ip);
  } else if (isTermMove(code)) {
    if (s.termMove) s.termMove(ip, code);
  } else if (s.algebraAction) {
    s.algebraAction(ip, code);
  }
}

// Step 8 of the dispatch order: the commands that build and edit the tree.
int edit(EditorState& s, InsertionPoint& ip, EditorCommand code) {
  const char separator = modelState().decimalSeparator;
  if (s.characterEntryModifier && code == ' ') return dispatch(Command::SpaceMove);
  if (s.characterEntryModifier && code == '\\') {
    startTextObject(ip);
    return 1;
  }
  if (s.characterEntryModifier && code == '.') {
    applyDecoration(ip, Command::AddDot);
    return 1;
  }
  // Space after a text commits it (the space-key move); inside a text it is a character; anywhere
  // else it separates what the user types ("sin x") and changes nothing.
  if (code == ' ' && ip.mode != SelectionMode::Text) {
    if (ip.mode == SelectionMode::After && ip.current->kind == ObjectKind::string)
      return dispatch(Command::SpaceMove);
    return 0;
  }
  const bool atText = ip.current->kind == ObjectKind::string &&
                      (ip.mode == SelectionMode::After || ip.mode == SelectionMode::Text);
  if (code > 0 && code < 256 && atText) {
    typeIntoText(ip, static_cast<char>(code));
    return 1;
  }
  if (code == '\\') {
    startTextObject(ip);
    return 1;
  }
  if (code == static_cast<unsigned char>(separator)) {
    typeDecimalSeparator(ip);
    return 1;
  }
  if (isOperatorKey(code)) {
    applyOperatorKey(ip, code);
    return 1;
  }
  if (isTemplate(code)) {
    applyTemplate(ip, code);
    return 1;
  }
  if (inRange(code, Command::FirstDecoration, Command::LastDecoration)) {
    applyDecoration(ip, code);
    return 1;
  }
  if (isLetter(code) || inRange(code, kFirstSpecialCode, kLastSpecialCode)) {
    typeLetter(ip, code);
    return 1;
  }
  if (isInsertableKind(code)) {
    insertKind(ip, static_cast<ObjectKind>(code));
    return 1;
  }
  if (code >= '0' && code <= '9') {
    typeDigit(ip, code - '0');
    return 1;
  }
  return 0;
}

int route(EditorCommand code) {
  EditorState& s = editorState();
  InsertionPoint* ip = modelState().activeInsertionPoint;
  // Work on another line is a step of its own, and no run of deletions or term moves goes on.
  if (ip && ip->serial != s.lastLine) {
    s.lastLine = ip->serial;
    s.currentCommand = 0;
    s.snapshotDue = true;
  }
  s.previousCommand = s.currentCommand;
  s.currentCommand = code;
  if (!ip || !ip->current) return 0;

  if (isCaretMove(code)) {
    s.previousCommand = s.currentCommand = 0;
    s.snapshotDue = true;
    moveCaret(*ip, code);
    return 1;
  }
  if (inRange(code, Command::FirstLayoutAdjustment, Command::LastLayoutAdjustment)) {
    takeSnapshot(s, *ip);
    s.snapshotDue = true;
    adjustLayout(*ip, code);
    return 1;
  }
  if (code == Command::DeleteBackward) {
    if (s.previousCommand != Command::DeleteBackward) takeSnapshot(s, *ip);
    s.snapshotDue = true;
    deleteBackward(*ip);
    return 1;
  }
  if (inRange(code, Command::FirstClipboardCommand, Command::LastClipboardCommand)) {
    takeSnapshot(s, *ip);
    s.snapshotDue = true;
    switch (code) {
    case Command::Cut:
      cutSelection(*ip, s.clipboard);
      break;
    case Command::Copy:
      copySelection(*ip, s.clipboard);
      break;
    case Command::Paste:
      pasteClipboard(*ip, s.clipboard);
      break;
    default:
      clearSelection(*ip);
      break;
    }
    return 1;
  }
  if (memoryReserve().isLow()) return 0;
  if (isSelectionAction(code)) {
    if (!(isTermMove(code) && isTermMove(s.previousCommand))) takeSnapshot(s, *ip);
    s.snapshotDue = true;
    selectionAction(s, *ip, code);
    return 1;
  }
  if (s.snapshotDue) {
    takeSnapshot(s, *ip);
    s.snapshotDue = false;
  }
  return edit(s, *ip, code);
}

} // namespace

int dispatch(EditorCommand code) {
  try {
    return route(code);
  } catch (const TooManyChildren&) {
    // Thrown before the object was changed: the command is refused and says so.
    editorState().refusal = "Not done: one object can hold at most 10000 items";
    return 0;
  }
}

namespace {

bool stepHistory(bool forward) {
  EditorState& s = editorState();
  InsertionPoint* ip = modelState().activeInsertionPoint;
  s.previousCommand = s.currentCommand = 0;
  if (!ip || !roomToCopy(*ip)) return false;
  const bool changed = forward ? s.undo.redo(*ip) : s.undo.undo(*ip);
  if (changed) s.snapshotDue = true;
  return changed;
}

} // namespace

bool undo() { return stepHistory(false); }

bool redo() { return stepHistory(true); }

std::string_view takeRefusal() { return std::exchange(editorState().refusal, {}); }

} // namespace vexmar
