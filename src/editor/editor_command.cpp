#include "editor/editor_command.h"

#include "model/decoration.h"

#include <cassert>

namespace vexmar {
namespace {

constexpr CommandInfo kCommands[] = {
#define VEXMAR_COMMAND(name, code, description) {code, #name, description},
#include "editor/editor_commands.def"
#undef VEXMAR_COMMAND
};

// The model performs the decorations by code, below the editor; both must name the same range.
static_assert(Command::FirstDecoration == kFirstDecorationCommand &&
              Command::LastDecoration == kLastDecorationCommand);

} // namespace

std::span<const CommandInfo> commandTable() { return kCommands; }

std::string_view commandName(EditorCommand code) {
  for (const CommandInfo& row : kCommands)
    if (row.code == code) return row.name;
  return {};
}

EditorCommand specialCharacterCommand(std::string_view name) {
  const std::optional<std::uint16_t> code = specialCharacterByName(name);
  assert(code && "not a special character");
  return code ? *code : 0;
}

} // namespace vexmar
