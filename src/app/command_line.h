#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vexmar {

/// Exit status of a command line that was malformed or named bad input.
inline constexpr int kUsageError = 2;

/// Runs a headless subcommand (`vexmar type ...`); `args` excludes the program name.
/// Returns the process exit status.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// The text form of the active line followed, with `caret`, by its caret line.
[[nodiscard]] std::string describeActiveLine(bool caret);

} // namespace vexmar
