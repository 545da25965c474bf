#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vexmar {

/// Runs a headless subcommand (`vexmar type ...`); `args` excludes the program name.
/// Returns the process exit status.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vexmar
