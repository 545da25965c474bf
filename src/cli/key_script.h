#pragma once

#include "cli/key_stroke.h"

#include <string>
#include <string_view>
#include <vector>

namespace vexmar {

/// The result of reading a KEYS string: the key presses, or an error message.
struct KeyScript {
  std::vector<KeyStroke> strokes;
  std::string error; ///< empty on success
};

/// Reads KEYS, which are UTF-8: characters stand for themselves; braces name keys ({Left} {Right} {Up} {Down}
/// {Home} {End} {Tab} {BS} {Del} {Enter}), carry modifiers ({C-x} {S-Tab} {C-S-Left} {S-A-p}),
/// issue a command code ({cmd:0x2000}) or type a literal brace ({lbrace} {rbrace}).
[[nodiscard]] KeyScript parseKeyScript(std::string_view keys);

} // namespace vexmar
