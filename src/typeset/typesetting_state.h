#pragma once

namespace vexmar {

/// The typesetter's process-wide state: the global spacing constants (adjusted by editor commands
/// 0x17C0..0x17C3), which every line is laid out with.
struct TypesettingState {
  int spacingA = 75;
  int spacingB = 85;
};

[[nodiscard]] TypesettingState& typesettingState();
/// Back to the start-up spacing (tests call this).
void resetTypesettingState();

} // namespace vexmar
