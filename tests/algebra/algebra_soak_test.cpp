// The editor soak with the Math menu's algebra mixed in: Simplify, Expand, Isolate and Evaluate on
// whatever the random typist has selected, in small trees and in the wide and deep ones its bursts
// build, must leave a sound tree that Undo restores.
// VEXMAR_SOAK_COMMANDS and VEXMAR_SOAK_SEED as for the editor soak.
#include "../editor/soak_actions.h"

#include "algebra/actions/algebra_actions.h"

namespace vexmar {
namespace {

using AlgebraSoak = test::EditorFixture;

TEST_F(AlgebraSoak, RandomCommandsWithAlgebraKeepTreeCaretTextAndUndoSound) {
  installAlgebraActions();
  test::runSoak(*this, true, 5000, [] { installAlgebraActions(); });
}

} // namespace
} // namespace vexmar
