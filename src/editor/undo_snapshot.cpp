#include "editor/undo_snapshot.h"

namespace vexmar {

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

} // namespace vexmar
