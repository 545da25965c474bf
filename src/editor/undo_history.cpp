#include "editor/undo_history.h"

#include <algorithm>

namespace vexmar {
namespace {

using Steps = std::deque<UndoStep>;

void keepDepth(Steps& steps) {
  while (steps.size() > UndoHistory::kDepth) steps.pop_front();
}

bool isRemoval(const Steps& steps) {
  return !steps.empty() && std::holds_alternative<LineRemoval>(steps.back());
}

// Moves the line one step back along `from`, keeping its present state at the end of `to`.
bool step(Steps& from, Steps& to, InsertionPoint& ip) {
  std::optional<UndoSnapshot> present = UndoSnapshot::take(ip);
  if (!present) return false;
  // A step taken before a command that left the tree alone (Copy, a key with no effect) would
  // only move the caret; Undo goes on to one that shows.
  const auto unchanged = [&] {
    const auto* past = std::get_if<UndoSnapshot>(&from.back());
    return past && past->sameTreeAs(*present);
  };
  while (!from.empty() && unchanged()) from.pop_back();
  if (from.empty() || isRemoval(from)) return false;
  auto& target = std::get<UndoSnapshot>(from.back());
  if (target.lineSerial != ip.serial) return false;
  UndoSnapshot past = std::move(target);
  from.pop_back();
  past.restoreInto(ip);
  to.push_back(std::move(*present));
  return true;
}

} // namespace

std::uint64_t UndoHistory::lineOf(const UndoStep& step) {
  return std::visit([](const auto& s) { return s.lineSerial; }, step);
}

const UndoSnapshot* UndoHistory::newest() const {
  return undo_.empty() ? nullptr : std::get_if<UndoSnapshot>(&undo_.back());
}

void UndoHistory::record(UndoSnapshot snapshot) {
  redo_.clear();
  // The newest step left the tree as it was: the new one, with its caret, stands for both.
  if (const UndoSnapshot* last = newest(); last && last->sameTreeAs(snapshot)) undo_.pop_back();
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

void UndoHistory::recordRemoval(LineRemoval removal) {
  redo_.clear();
  undo_.push_back(std::move(removal));
  keepDepth(undo_);
}

bool UndoHistory::undoRestoresLine() const { return isRemoval(undo_); }

bool UndoHistory::redoRemovesLine() const { return isRemoval(redo_); }

bool UndoHistory::undoRemoval(const std::function<void(LineRemoval&)>& restore) {
  if (!isRemoval(undo_)) return false;
  LineRemoval removal = std::get<LineRemoval>(std::move(undo_.back()));
  undo_.pop_back();
  restore(removal);
  // The line is back in the list; whatever the callee left here is not.
  removal.line.reset();
  redo_.push_back(std::move(removal));
  return true;
}

bool UndoHistory::redoRemoval(const std::function<bool(LineRemoval&)>& detach) {
  if (!isRemoval(redo_)) return false;
  LineRemoval removal = std::get<LineRemoval>(std::move(redo_.back()));
  redo_.pop_back();
  if (!detach(removal) || !removal.line) return false;
  undo_.push_back(std::move(removal));
  keepDepth(undo_);
  return true;
}

void UndoHistory::forgetLine(std::uint64_t serial) {
  const auto ofLine = [serial](const UndoStep& s) { return lineOf(s) == serial; };
  std::erase_if(undo_, ofLine);
  std::erase_if(redo_, ofLine);
}

void UndoHistory::clear() {
  undo_.clear();
  redo_.clear();
}

} // namespace vexmar
