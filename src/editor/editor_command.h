#pragma once

#include "model/object_kind.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace vexmar {

/// A command for the equation editor: a typed character (1..255), a kind to insert
/// (0x1000 + kind index), a special character (0x1300 + index), or one of the named commands
/// of editor_commands.def: decorations, caret moves, layout adjustments, templates, operator keys,
/// algebra actions, term moves, clipboard and rules.
using EditorCommand = std::int32_t;

namespace Command {
#define VEXMAR_COMMAND(name, code, description) inline constexpr EditorCommand name = code;
#define VEXMAR_COMMAND_RANGE(first, last, firstCode, lastCode)                                               \
  inline constexpr EditorCommand first = firstCode;                                                          \
  inline constexpr EditorCommand last = lastCode;
#include "editor/editor_commands.def"
#undef VEXMAR_COMMAND
} // namespace Command

/// One named command of editor_commands.def.
struct CommandInfo {
  EditorCommand code;
  std::string_view name;
  std::string_view description;
};

/// The named commands, in code order.
[[nodiscard]] std::span<const CommandInfo> commandTable();
/// The name of a named command ("Simplify"), or an empty view for any other code.
[[nodiscard]] std::string_view commandName(EditorCommand code);

/// The command that inserts an object of `kind` (a kind of the kind table).
[[nodiscard]] constexpr EditorCommand insertKindCommand(ObjectKind kind) {
  return static_cast<EditorCommand>(kind);
}
/// The command that types the special character `name`; the name must be in the table.
[[nodiscard]] EditorCommand specialCharacterCommand(std::string_view name);

[[nodiscard]] constexpr bool isCaretMove(EditorCommand c) {
  return c >= Command::FirstCaretMove && c <= Command::LastCaretMove && c != Command::DeleteBackward;
}
[[nodiscard]] constexpr bool isTermMove(EditorCommand c) {
  return c >= Command::FirstTermMove && c <= Command::LastTermMove;
}

} // namespace vexmar
