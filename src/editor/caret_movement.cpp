#include "editor/caret_movement.h"

namespace vexmar {

void moveCaret(InsertionPoint& ip, EditorCommand code) {
  (void)ip;
  (void)code;
}

} // namespace vexmar
