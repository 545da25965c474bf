#pragma once

#include <string>
#include <string_view>

namespace vexmar {

/// `text` with its control characters written out (\n, \r, \t, \xHH for the other bytes below 0x20
/// and 0x7F), so that words a user gave cannot break a one-line message. Everything else, other
/// UTF-8 characters and backslashes included, is left as it is.
[[nodiscard]] std::string printableText(std::string_view text);

} // namespace vexmar
