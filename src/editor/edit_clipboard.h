#pragma once

#include "model/math_object.h"

#include <optional>

namespace vexmar {

struct InsertionPoint;

/// What Cut and Copy hold for Paste: a tree, or the kind of a cut or copied operator.
struct EditClipboard {
  ObjectPtr tree;
  std::optional<ObjectKind> operatorKind;

  [[nodiscard]] bool empty() const { return !tree && !operatorKind; }
  void clear() {
    tree.reset();
    operatorKind.reset();
  }
  void hold(ObjectPtr newTree) {
    clear();
    tree = std::move(newTree);
  }
};

/// The clipboard commands on the line: each returns true when it did something.
bool cutSelection(InsertionPoint& ip, EditClipboard& clipboard);
bool copySelection(InsertionPoint& ip, EditClipboard& clipboard);
bool pasteClipboard(InsertionPoint& ip, const EditClipboard& clipboard);

} // namespace vexmar
