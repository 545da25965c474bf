// Long random command sequences, with bursts that build sums of thousands of terms and nesting
// thousands of levels deep, checking after every command (every so many on large trees) that the
// tree and caret are sound, that the text form reads back, that the line lays out, draws and
// evaluates, and that Undo then Redo changes nothing. VEXMAR_SOAK_COMMANDS sets the number of
// commands (default a few seconds' worth); VEXMAR_SOAK_SEED the seed.
#include "soak_actions.h"

namespace vexmar {
namespace {

using EditorSoak = test::EditorFixture;

TEST_F(EditorSoak, RandomCommandsKeepTreeCaretTextAndUndoSound) { test::runSoak(*this, false, 20000); }

TEST_F(EditorSoak, WithClassicTypingTreeCaretTextAndUndoStaySound) {
  test::runSoak(*this, false, 10000, [] { editorState().habits = TypingHabits::classic(); });
}

} // namespace
} // namespace vexmar
