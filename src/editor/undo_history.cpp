#include "editor/undo_history.h"

#include <algorithm>

namespace vexmar {
namespace {

void keepDepth(std::deque<UndoSnapshot>& steps) {
  while (steps.size() > UndoHistory::kDepth) steps.pop_front();
}

// Moves the line one step back along `from`, keeping its present state at the end of `to`.
bool step(std::deque<UndoSnapshot>& from, std::deque<UndoSnapshot>& to, InsertionPoint& ip) {
  std::optional<UndoSnapshot> present = UndoSnapshot::take(ip);
  if (!present) return false;
  // A step taken before a command that left the tree alone (Copy, a key with no effect) would
  // only move the caret; Undo goes on to one that shows.
  while (!from.empty() && from.back().sameTreeAs(*present)) from.pop_back();
  if (from.empty() || from.back().lineSerial != ip.serial) return false;
  UndoSnapshot target = std::move(from.back());
  from.pop_back();
  target.restoreInto(ip);
  to.push_back(std::move(*present));
  return true;
}

} // namespace

void UndoHistory::record(UndoSnapshot snapshot) {
  redo_.clear();
  // The newest step left the tree as it was: the new one, with its caret, stands for both.
  if (!undo_.empty() && undo_.back().sameTreeAs(snapshot)) undo_.pop_back();
  undo_.push_back(std::move(snapshot));
  keepDepth(undo_);
}

// Redo's steps come from Undo's, so only Undo's need a bound.
bool UndoHistory::undo(InsertionPoint& ip) { return step(undo_, redo_, ip); }

bool UndoHistory::redo(InsertionPoint& ip) {
  const bool changed = step(redo_, undo_, ip);
  keepDepth(undo_);
  return changed;
}

void UndoHistory::forgetLine(std::uint64_t serial) {
  const auto ofLine = [serial](const UndoSnapshot& s) { return s.lineSerial == serial; };
  std::erase_if(undo_, ofLine);
  std::erase_if(redo_, ofLine);
}

void UndoHistory::clear() {
  undo_.clear();
  redo_.clear();
}

} // namespace vexmar
