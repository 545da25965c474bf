#pragma once

namespace vexmar {

/// The typesetter's process-wide state: the global spacing constants (adjusted by the editor's spacing
/// commands), which every line is laid out with.
struct TypesettingState {
  int spacingA = 75;
  int spacingB = 85;
};

[[nodiscard]] TypesettingState& typesettingState();
/// Back to the start-up spacing (tests call this).
void resetTypesettingState();

} // namespace vexmar
