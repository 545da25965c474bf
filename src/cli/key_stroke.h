#pragma once

#include "editor/editor_command.h"
#include "editor/view_keys.h"

#include <variant>

namespace vexmar {

/// A typed character (as written, before Control turns a letter into its control code).
struct CharacterKey {
  int character = 0;
};
/// A key that the view handles on key-down.
struct NamedKey {
  ViewKey key = ViewKey::Enter;
};
/// An editor command issued directly, as a menu or the keypad would.
struct CommandKey {
  EditorCommand code = 0;
};

/// One key press with its modifiers (KeyModifier bits), as the main window receives it.
struct KeyStroke {
  std::variant<CharacterKey, NamedKey, CommandKey> key;
  int modifiers = 0;
};

} // namespace vexmar
