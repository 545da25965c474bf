#include "document/document_model.h"

#include "editor/editor_state.h"
#include "numeric/numeric_state.h"

#include <algorithm>
#include <cmath>

namespace vexmar {

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

void DocumentModel::deleteContents() {
  while (!equations_.empty()) removeEquation(equationCount() - 1);
  loaded = false;
}

void DocumentModel::newDocument() {
  deleteContents();
  addEquation(0);
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
    return ip.root && dependsOnVariable(*ip.root, code);
  });
}

int DocumentModel::equationIndexOf(const InsertionPoint* ip) const {
  for (int i = 0; i < equationCount(); ++i)
    if (equations_[static_cast<std::size_t>(i)]->insertionPoint.get() == ip) return i;
  return 0;
}

} // namespace vexmar
