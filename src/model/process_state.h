#pragma once

namespace vexmar {

/// The libraries whose process-wide state can be reset, lowest layer first.
enum class StateLayer { Model, Numeric, Text, Typeset, Editor, Algebra, Count };

/// Registers a library's reset; each library's state file does this once, at start-up.
void registerStateReset(StateLayer layer, void (*reset)());

/// Puts every registered library back to its start-up state, highest layer first (tests call
/// this before every case).
void resetProcessState();

} // namespace vexmar
