#include "editor/editor_state.h"

#include "model/process_state.h"

namespace vexmar {
namespace {

const bool registered = (registerStateReset(StateLayer::Editor, resetEditorState), true);

} // namespace

EditorState& editorState() {
  static EditorState state;
  return state;
}

void resetEditorState() {
  EditorState& s = editorState();
  AlgebraActionHandler algebra = std::move(s.algebraAction);
  AlgebraActionHandler terms = std::move(s.termMove);
  Typesetter* typesetter = s.typesetter;
  s = EditorState{};
  s.typesetter = typesetter;
  s.algebraAction = std::move(algebra);
  s.termMove = std::move(terms);
}

} // namespace vexmar
