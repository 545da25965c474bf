#include "document/document_model.h"

#include "editor/editor_state.h"
#include "graph/equation_classifier.h"
#include "numeric/numeric_state.h"

#include <algorithm>
#include <cmath>

namespace vexmar {
namespace {

// A deleted equation while its deletion waits for Undo.
struct DetachedEquation final : DetachedLine {
  std::unique_ptr<EquationRecord> record;
  /// The empty equation that took the place of the only one; 0 for none.
  std::uint64_t replacementSerial = 0;
};

bool isEmptyLine(const InsertionPoint& ip) { return !ip.root || ip.root->kind == ObjectKind::prompt; }

// What is typed after a deletion, or after its Undo or Redo, is an edit step of its own.
void startNewEditStep() {
  EditorState& editor = editorState();
  editor.previousCommand = editor.currentCommand = 0;
  editor.snapshotDue = true;
}

} // namespace

double DocumentModel::colourForNewEquation(int neighbour) const {
  for (int c = 1; c <= 8; ++c) {
    const bool used = std::any_of(equations_.begin(), equations_.end(),
                                  [c](const auto& e) { return e->colourCode == static_cast<double>(c); });
    if (!used) return c;
  }
  // Every colour is taken: the one after the neighbour's, wrapping from 8 to 1.
  const double code = equation(std::clamp(neighbour, 0, equationCount() - 1)).colourCode;
  const double whole = std::isfinite(code) ? std::trunc(code) : 0.0;
  const long long wrapped = static_cast<long long>(std::fmod(whole, 8.0));
  return static_cast<double>((wrapped % 8 + 8) % 8 + 1);
}

EquationRecord& DocumentModel::addEquation(int index) {
  auto record = std::make_unique<EquationRecord>();
  record->colourCode = colourForNewEquation(index);
  const int position = std::clamp(index + 1, 0, equationCount());
  EquationRecord& added = *record;
  equations_.insert(equations_.begin() + position, std::move(record));
  return added;
}

void DocumentModel::removeEquation(int index) {
  if (index < 0 || index >= equationCount()) return;
  // Undo steps of a line that is gone could never be taken.
  editorState().undo.forgetLine(equation(index).insertionPoint->serial);
  equations_.erase(equations_.begin() + index);
}

int DocumentModel::indexOfLine(std::uint64_t serial) const {
  for (int i = 0; i < equationCount(); ++i)
    if (equation(i).insertionPoint->serial == serial) return i;
  return -1;
}

void DocumentModel::detachInto(int index, LineRemoval& removal) {
  auto held = std::make_unique<DetachedEquation>();
  held->record = std::move(equations_[static_cast<std::size_t>(index)]);
  equations_.erase(equations_.begin() + index);
  // Its graph goes with the next rebuild of the graphs; put back, it waits for the one after.
  held->record->graphIndex = -1;
  held->record->status = 0;
  if (equations_.empty()) held->replacementSerial = addEquation(-1).insertionPoint->serial;
  removal.lineSerial = held->record->insertionPoint->serial;
  removal.position = index;
  removal.line = std::move(held);
}

bool DocumentModel::deleteEquation(int index) {
  if (index < 0 || index >= equationCount()) return false;
  LineRemoval removal;
  detachInto(index, removal);
  editorState().undo.recordRemoval(std::move(removal));
  startNewEditStep();
  return true;
}

std::optional<int> DocumentModel::undoDeletion() {
  std::optional<int> restoredAt;
  editorState().undo.undoRemoval([&](LineRemoval& removal) {
    auto* held = dynamic_cast<DetachedEquation*>(removal.line.get());
    if (!held || !held->record) return;
    // The empty equation that stood in for the only one goes again, unless it was used meanwhile.
    const int standIn = held->replacementSerial ? indexOfLine(held->replacementSerial) : -1;
    if (standIn >= 0 && isEmptyLine(*equation(standIn).insertionPoint)) removeEquation(standIn);
    const int position = std::clamp(removal.position, 0, equationCount());
    equations_.insert(equations_.begin() + position, std::move(held->record));
    restoredAt = position;
  });
  if (restoredAt) startNewEditStep();
  return restoredAt;
}

std::optional<int> DocumentModel::redoDeletion() {
  std::optional<int> removedAt;
  editorState().undo.redoRemoval([&](LineRemoval& removal) {
    const int index = indexOfLine(removal.lineSerial);
    if (index < 0) return false;
    detachInto(index, removal);
    removedAt = index;
    return true;
  });
  if (removedAt) startNewEditStep();
  return removedAt;
}

void DocumentModel::deleteContents() {
  while (!equations_.empty()) removeEquation(equationCount() - 1);
  loaded = false;
}

void DocumentModel::newDocument() {
  deleteContents();
  addEquation(0);
}

void DocumentModel::replaceContents(std::vector<std::unique_ptr<EquationRecord>> records) {
  deleteContents();
  equations_ = std::move(records);
  if (equations_.empty()) addEquation(0);
}

bool DocumentModel::anyUsesTexture() const {
  return std::any_of(equations_.begin(), equations_.end(),
                     [](const auto& e) { return e->colourCode == kTextureColourCode; });
}

bool DocumentModel::anyUsesAnimationVariable() const {
  const double letter = numericState().animatedVariable;
  if (letter < 0 || letter > 0xFFFF || std::trunc(letter) != letter) return false;
  const auto code = static_cast<std::uint16_t>(letter);
  return std::any_of(equations_.begin(), equations_.end(), [code](const auto& e) {
    const InsertionPoint& ip = *e->insertionPoint;
    return ip.root && usesLetter(*ip.root, code);
  });
}

int DocumentModel::equationIndexOf(const InsertionPoint* ip) const {
  for (int i = 0; i < equationCount(); ++i)
    if (equations_[static_cast<std::size_t>(i)]->insertionPoint.get() == ip) return i;
  return 0;
}

} // namespace vexmar
