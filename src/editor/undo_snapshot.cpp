#include "editor/undo_snapshot.h"

namespace vexmar {
namespace {

// Stricter than treeEqual: an Undo step that only changed a number's text or a nudge is a step.
bool sameNode(const MathObject& a, const MathObject& b) {
  if (a.kind != b.kind || a.childCount() != b.childCount() || a.text != b.text ||
      a.decoration != b.decoration || a.payloadA != b.payloadA || a.payloadB != b.payloadB ||
      a.style != b.style || a.spare != b.spare || a.shiftX != b.shiftX || a.shiftY != b.shiftY ||
      a.padAscent != b.padAscent || a.padTop != b.padTop || a.padLeft != b.padLeft ||
      a.padRight != b.padRight || a.horizontalAlignment != b.horizontalAlignment ||
      a.verticalAlignment != b.verticalAlignment || a.fifthOption != b.fifthOption ||
      a.uniformRows != b.uniformRows || a.uniformColumns != b.uniformColumns || a.fontSize != b.fontSize)
    return false;
  if (!a.number || !b.number) return !a.number && !b.number;
  const bool sameValue = a.number->value == b.number->value ||
                         (a.number->value != a.number->value && b.number->value != b.number->value);
  return sameValue && a.number->displayText() == b.number->displayText() &&
         a.number->ellipsis == b.number->ellipsis;
}

bool sameTree(const MathObject& a, const MathObject& b) {
  const MathObject* x = &a;
  const MathObject* y = &b;
  while (x && y) {
    if (!sameNode(*x, *y)) return false;
    for (int i = 0; i < x->childCount(); ++i)
      if ((x->child(i) == nullptr) != (y->child(i) == nullptr)) return false;
    x = nextPreorder(x, a);
    y = nextPreorder(y, b);
  }
  return x == nullptr && y == nullptr;
}

} // namespace

std::optional<UndoSnapshot> UndoSnapshot::take(const InsertionPoint& ip) {
  if (!ip.root) return std::nullopt;
  UndoSnapshot s;
  // A full copy: layout adjustments made by the user must survive an Undo of a later edit.
  s.root = copyTree(*ip.root);
  s.mode = ip.mode;
  s.selFirst = ip.selFirst;
  s.selLast = ip.selLast;
  if (ip.current) s.path = pathTo(*ip.current);
  s.lineSerial = ip.serial;
  return s;
}

void UndoSnapshot::restoreInto(InsertionPoint& ip) {
  ip.setRoot(std::move(root));
  MathObject* current = followPath(*ip.root, path);
  ip.current = current ? current : ip.root.get();
  ip.mode = mode;
  ip.selFirst = selFirst;
  ip.selLast = selLast;
  markChangedFromRoot(ip);
}

bool UndoSnapshot::sameTreeAs(const UndoSnapshot& other) const {
  if (lineSerial != other.lineSerial) return false;
  if (!root || !other.root) return !root && !other.root;
  return sameTree(*root, *other.root);
}

} // namespace vexmar
